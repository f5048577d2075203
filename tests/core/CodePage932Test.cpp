#include "core/CodePage932.h"
#include "core/TextFormat.h"

#include <QTest>

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

} // namespace

// Code page 932 and the printf-like number pieces: the two text primitives of the wire formats.
class CodePage932Test final : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void decimal_data();
    void decimal();
    void hex_data();
    void hex();
};

void CodePage932Test::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");

    QTest::newRow("erase marker") << QStringLiteral("$消去$") << bytesOf({0x24, 0x8F, 0xC1, 0x8B, 0x8E, 0x24}) << true;
    QTest::newRow("line break marker") << QStringLiteral("$改行$") << bytesOf({0x24, 0x89, 0xFC, 0x8D, 0x73, 0x24}) << true;
    QTest::newRow("ASCII") << QStringLiteral("A,b 1") << QByteArray("A,b 1") << true;
    QTest::newRow("half-width katakana") << QStringLiteral("ｱ") << bytesOf({0xB1}) << true;
    QTest::newRow("wave dash") << QStringLiteral("～") << bytesOf({0x81, 0x60}) << true;
    QTest::newRow("empty") << QString() << QByteArray() << true;
    QTest::newRow("e acute") << QStringLiteral("é") << QByteArray("?") << false;
    QTest::newRow("between others") << QStringLiteral("aéb") << QByteArray("a?b") << false;
    QTest::newRow("surrogate pair") << QStringLiteral("a😀b") << QByteArray("a?b") << false;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD800)) + QStringLiteral("b") << QByteArray("?b") << false;
}

void CodePage932Test::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);

    bool all = !complete;
    QCOMPARE(CCodePage932::encode(text, &all), bytes);
    QCOMPARE(all, complete);
}

void CodePage932Test::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("erase marker") << bytesOf({0x24, 0x8F, 0xC1, 0x8B, 0x8E, 0x24}) << QStringLiteral("$消去$");
    QTest::newRow("hiragana") << bytesOf({0x82, 0xA0}) << QStringLiteral("あ");
    QTest::newRow("half-width katakana") << bytesOf({0xB1}) << QStringLiteral("ｱ");
    QTest::newRow("lone lead byte at the end") << bytesOf({0x41, 0x82}) << QStringLiteral("A\u30FB");
    QTest::newRow("empty") << QByteArray() << QString();
}

void CodePage932Test::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(CCodePage932::decode(bytes), text);
}

void CodePage932Test::decimal_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");

    QTest::newRow("padded") << qint64(5) << 8 << QStringLiteral("00000005");
    QTest::newRow("negative counts the sign") << qint64(-5) << 8 << QStringLiteral("-0000005");
    QTest::newRow("wider is not cut") << qint64(123456789) << 8 << QStringLiteral("123456789");
    QTest::newRow("zero") << qint64(0) << 4 << QStringLiteral("0000");
    QTest::newRow("no width") << qint64(42) << 0 << QStringLiteral("42");
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << 0 << QStringLiteral("-9223372036854775808");
}

void CodePage932Test::decimal()
{
    QFETCH(qint64, value);
    QFETCH(int, width);
    QFETCH(QString, text);
    QString out = QStringLiteral(">");
    CTextFormat::appendDecimal(out, value, width);
    QCOMPARE(out, QStringLiteral(">") + text);
}

void CodePage932Test::hex_data()
{
    QTest::addColumn<quint64>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");

    QTest::newRow("byte") << quint64(0xAB) << 2 << QStringLiteral("ab");
    QTest::newRow("padded") << quint64(0xA) << 2 << QStringLiteral("0a");
    QTest::newRow("wider") << quint64(0x1234) << 2 << QStringLiteral("1234");
    QTest::newRow("zero") << quint64(0) << 4 << QStringLiteral("0000");
}

void CodePage932Test::hex()
{
    QFETCH(quint64, value);
    QFETCH(int, width);
    QFETCH(QString, text);
    QString out;
    CTextFormat::appendHex(out, value, width);
    QCOMPARE(out, text);
}

QTEST_APPLESS_MAIN(CodePage932Test)
#include "CodePage932Test.moc"
