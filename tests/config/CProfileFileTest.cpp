#include "ConfigTestFiles.h"

#include "config/CProfileFile.h"
#include "core/CodePage932.h"

#include <QTest>

using namespace ConfigTestFiles;

class CProfileFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void readsEncodings_data();
    void readsEncodings();
    void readsLikeTheProfileFunctions_data();
    void readsLikeTheProfileFunctions();
    void integers_data();
    void integers();
    void firstSectionAndKeyWin();
    void writesSectionsAndReplacesKeys();
    void valuesReadBackAsSet_data();
    void valuesReadBackAsSet();
};

void CProfileFileTest::readsEncodings_data()
{
    const QString body = QStringLiteral("[tavrin]\r\nname=要約\r\n");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-16LE with mark") << utf16(body);
    QTest::newRow("UTF-16LE without mark") << utf16(body, false);
    QByteArray bigEndian("\xFE\xFF", 2);
    for (const QChar c : body)
        bigEndian.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    QTest::newRow("UTF-16BE with mark") << bigEndian;
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + body.toUtf8();
    QTest::newRow("UTF-8") << body.toUtf8();
    QTest::newRow("code page 932") << CCodePage932::encode(body);
    QTest::newRow("LF line ends") << body.toUtf8().replace("\r\n", "\n");
}

void CProfileFileTest::readsEncodings()
{
    QFETCH(QByteArray, bytes);
    CProfileFile file;
    file.Parse(bytes);
    QCOMPARE(file.GetString(QStringLiteral("tavrin"), QStringLiteral("name")), QStringLiteral("要約"));
}

void CProfileFileTest::readsLikeTheProfileFunctions_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "key=value" << "value";
    QTest::newRow("blanks around") << " \tkey \t=  value  " << "value";
    QTest::newRow("inner blanks kept") << "key=a  b" << "a  b";
    QTest::newRow("quoted") << "key=\" value \"" << " value ";
    QTest::newRow("one pair only") << "key=\"\"x\"\"" << "\"x\"";
    QTest::newRow("lone quote") << "key=\"" << "\"";
    QTest::newRow("single quotes kept") << "key='x'" << "'x'";
    QTest::newRow("equals in value") << "key=a=b" << "a=b";
    QTest::newRow("empty") << "key=" << "";
    QTest::newRow("upper-case key") << "KEY=v" << "v";
    QTest::newRow("cut at 259") << QStringLiteral("key=") + QString(300, u'z') << QString(259, u'z');
    QTest::newRow("quotes removed before cutting")
        << QStringLiteral("key=\"") + QString(259, u'z') + QStringLiteral("\"") << QString(259, u'z');
}

void CProfileFileTest::readsLikeTheProfileFunctions()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    CProfileFile file;
    file.Parse(utf16(QStringLiteral("[Tavrin]\r\n") + line + QStringLiteral("\r\n")));
    QCOMPARE(file.GetString(QStringLiteral("tavrin"), QStringLiteral("key")), expected);
}

void CProfileFileTest::integers_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("number") << "250" << 250;
    QTest::newRow("negative") << "-250" << -250;
    QTest::newRow("digits then letters") << "12abc" << 12;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("quoted") << "\"31\"" << 31;
    QTest::newRow("hexadecimal is not read") << "0x1F" << 0;
    QTest::newRow("empty keeps the default") << "" << -99;
    QTest::newRow("lowest") << "-2147483648" << int(std::numeric_limits<qint32>::min());
    QTest::newRow("too large saturates") << "4294967296" << int(std::numeric_limits<qint32>::max());
}

void CProfileFileTest::integers()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    CProfileFile file;
    file.Parse(utf16(QStringLiteral("[tavrin]\r\nn=") + value + QStringLiteral("\r\n")));
    QCOMPARE(file.GetInt(QStringLiteral("tavrin"), QStringLiteral("n")).value_or(-99), expected);
    QVERIFY(!file.GetInt(QStringLiteral("tavrin"), QStringLiteral("missing")));
}

void CProfileFileTest::firstSectionAndKeyWin()
{
    CProfileFile file;
    file.Parse(utf16(QStringLiteral("orphan=0\r\n[other]\r\na=1\r\n\r\n[tavrin]\r\n; a=comment\r\n"
                                    "no equals sign\r\na=2\r\nA=3\r\n[tavrin]\r\na=4\r\nb=5\r\n")));
    QCOMPARE(file.GetString(QStringLiteral("tavrin"), QStringLiteral("a")), QStringLiteral("2"));
    QCOMPARE(file.GetString(QStringLiteral("other"), QStringLiteral("a")), QStringLiteral("1"));
    QVERIFY(!file.GetString(QStringLiteral("tavrin"), QStringLiteral("b")));
    QVERIFY(!file.GetString(QStringLiteral("tavrin"), QStringLiteral("; a")));
    QVERIFY(!file.GetString(QStringLiteral("tavrin"), QStringLiteral("orphan")));
    QVERIFY(!file.GetString(QStringLiteral("missing"), QStringLiteral("a")));
}

void CProfileFileTest::writesSectionsAndReplacesKeys()
{
    CProfileFile file;
    file.SetString(QStringLiteral("tavrin"), QStringLiteral("a"), QStringLiteral("1"));
    file.SetString(QStringLiteral("tavrin"), QStringLiteral("b"), QStringLiteral("値"));
    file.SetString(QStringLiteral("TAVRIN"), QStringLiteral("A"), QStringLiteral("3"));
    file.SetString(QStringLiteral("two"), QStringLiteral("c"), QStringLiteral("x\ny"));
    QCOMPARE(file.ToBytes(), utf16(QStringLiteral("[tavrin]\r\na=3\r\nb=値\r\n\r\n[two]\r\nc=x y\r\n")));
}

void CProfileFileTest::valuesReadBackAsSet_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << "a b" << "k=a b";
    QTest::newRow("empty") << "" << "k=";
    QTest::newRow("quoted") << "\"はい\"" << "k=\"\"はい\"\"";
    QTest::newRow("quoted with blanks") << " \"x\" " << "k=\" \"x\" \"";
    QTest::newRow("leading blank") << " a" << "k=\" a\"";
    QTest::newRow("trailing tab") << "a\t" << "k=\"a\t\"";
    QTest::newRow("lone quote") << "\"" << "k=\"";
    QTest::newRow("quote at one end") << "\"a" << "k=\"a";
    QTest::newRow("ideographic space kept bare") << u"\u3000a"_qs << u"k=\u3000a"_qs;
}

void CProfileFileTest::valuesReadBackAsSet()
{
    QFETCH(QString, value);
    QFETCH(QString, line);
    CProfileFile file;
    file.SetString(QStringLiteral("tavrin"), QStringLiteral("k"), value);
    const QByteArray bytes = file.ToBytes();
    QCOMPARE(bytes, utf16(QStringLiteral("[tavrin]\r\n") + line + QStringLiteral("\r\n")));
    CProfileFile read;
    read.Parse(bytes);
    QCOMPARE(read.GetString(QStringLiteral("tavrin"), QStringLiteral("k")), value);
}

QTEST_APPLESS_MAIN(CProfileFileTest)
#include "CProfileFileTest.moc"
