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
    // Complete rows decode back to the text; others show what cannot be encoded.
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        QTest::newRow("erase marker")
            << u"$消去$"_qs << bytesOf({0x24, 0x8F, 0xC1, 0x8B, 0x8E, 0x24}) << true;
        QTest::newRow("line break marker")
            << u"$改行$"_qs << bytesOf({0x24, 0x89, 0xFC, 0x8D, 0x73, 0x24}) << true;
        QTest::newRow("ASCII") << u"A,b 1"_qs << QByteArray("A,b 1") << true;
        QTest::newRow("hiragana") << u"あ"_qs << bytesOf({0x82, 0xA0}) << true;
        QTest::newRow("half-width katakana") << u"ｱ"_qs << bytesOf({0xB1}) << true;
        QTest::newRow("wave dash") << u"～"_qs << bytesOf({0x81, 0x60}) << true;
        QTest::newRow("empty") << QString() << QByteArray() << true;
        QTest::newRow("e acute") << u"é"_qs << QByteArray("?") << false;
        QTest::newRow("between others") << u"aéb"_qs << QByteArray("a?b") << false;
        QTest::newRow("surrogate pair") << u"a😀b"_qs << QByteArray("a?b") << false;
        QTest::newRow("lone high surrogate") << QChar(0xD800) + u"b"_qs << QByteArray("?b") << false;
    }

    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, complete);
        bool all = !complete;
        QCOMPARE(CCodePage932::encode(text, &all), bytes);
        QCOMPARE(all, complete);
        if (complete)
            QCOMPARE(CCodePage932::decode(bytes), text);
    }

    void loneLeadByteAtTheEnd() { QCOMPARE(CCodePage932::decode(bytesOf({0x41, 0x82})), u"A\u30FB"_qs); }

    void numbers_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("text");
        QTest::newRow("padded") << qint64(5) << 8 << false << u"00000005"_qs;
        QTest::newRow("negative counts the sign") << qint64(-5) << 8 << false << u"-0000005"_qs;
        QTest::newRow("wider is not cut") << qint64(123456789) << 8 << false << u"123456789"_qs;
        QTest::newRow("zero") << qint64(0) << 4 << false << u"0000"_qs;
        QTest::newRow("no width") << qint64(42) << 0 << false << u"42"_qs;
        QTest::newRow("most negative")
            << std::numeric_limits<qint64>::min() << 0 << false << u"-9223372036854775808"_qs;
        QTest::newRow("hex byte") << qint64(0xAB) << 2 << true << u"ab"_qs;
        QTest::newRow("hex padded") << qint64(0xA) << 2 << true << u"0a"_qs;
        QTest::newRow("hex wider") << qint64(0x1234) << 2 << true << u"1234"_qs;
        QTest::newRow("hex zero") << qint64(0) << 4 << true << u"0000"_qs;
    }

    void numbers()
    {
        QFETCH(qint64, value);
        QFETCH(int, width);
        QFETCH(bool, hex);
        QFETCH(QString, text);
        QString out = QStringLiteral(">");
        if (hex)
            CTextFormat::appendHex(out, quint64(value), width);
        else
            CTextFormat::appendDecimal(out, value, width);
        QCOMPARE(out, u">"_qs + text);
    }
};

QTEST_APPLESS_MAIN(CodePage932Test)
#include "CodePage932Test.moc"
