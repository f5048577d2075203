#include "TestFiles.h"

#include "config/CProfileFile.h"
#include "core/CodePage932.h"

#include <QTest>

class CProfileFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void readsEncodings_data()
    {
        const QString body = u"[tavrin]\r\nname=要約\r\n"_qs;
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-16LE with mark") << utf16le(body);
        QTest::newRow("UTF-16LE without mark") << utf16le(body, false);
        QByteArray bigEndian("\xFE\xFF", 2);
        for (const QChar c : body)
            bigEndian.append(static_cast<char>(c.unicode() >> 8))
                .append(static_cast<char>(c.unicode() & 0xFF));
        QTest::newRow("UTF-16BE with mark") << bigEndian;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + body.toUtf8();
        QTest::newRow("UTF-8") << body.toUtf8();
        QTest::newRow("code page 932") << CCodePage932::encode(body);
        QTest::newRow("LF line ends") << body.toUtf8().replace("\r\n", "\n");
    }

    void readsEncodings()
    {
        QFETCH(QByteArray, bytes);
        CProfileFile file;
        file.Parse(bytes);
        QCOMPARE(file.GetString(u"tavrin"_qs, u"name"_qs), u"要約"_qs);
    }

    void readsLikeTheProfileFunctions_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("number"); // -99: no number, the caller's default holds
        QTest::newRow("plain") << u"key=value"_qs << u"value"_qs << 0;
        QTest::newRow("blanks around") << u" \tkey \t=  value  "_qs << u"value"_qs << 0;
        QTest::newRow("every blank") << u"\v\fkey\f=\v value\f"_qs << u"value"_qs << 0;
        QTest::newRow("inner blanks kept") << u"key=a  b"_qs << u"a  b"_qs << 0;
        QTest::newRow("quoted") << u"key=\" value \""_qs << u" value "_qs << 0;
        QTest::newRow("one pair only") << u"key=\"\"x\"\""_qs << u"\"x\""_qs << 0;
        QTest::newRow("lone quote") << u"key=\""_qs << u"\""_qs << 0;
        QTest::newRow("single quotes kept") << u"key='x'"_qs << u"'x'"_qs << 0;
        QTest::newRow("equals in value") << u"key=a=b"_qs << u"a=b"_qs << 0;
        QTest::newRow("empty") << u"key="_qs << u""_qs << -99;
        QTest::newRow("upper-case key") << u"KEY=v"_qs << u"v"_qs << 0;
        QTest::newRow("cut at 259") << u"key="_qs + QString(300, u'z') << QString(259, u'z') << 0;
        QTest::newRow("quotes removed before cutting")
            << u"key=\""_qs + QString(259, u'z') + u"\""_qs << QString(259, u'z') << 0;
        QTest::newRow("number") << u"key=250"_qs << u"250"_qs << 250;
        QTest::newRow("negative") << u"key=-250"_qs << u"-250"_qs << -250;
        QTest::newRow("digits then letters") << u"key=12abc"_qs << u"12abc"_qs << 12;
        QTest::newRow("quoted number") << u"key=\"31\""_qs << u"31"_qs << 31;
        QTest::newRow("hexadecimal is not read") << u"key=0x1F"_qs << u"0x1F"_qs << 0;
        QTest::newRow("lowest") << u"key=-2147483648"_qs << u"-2147483648"_qs
                                << int(std::numeric_limits<qint32>::min());
        QTest::newRow("too large saturates")
            << u"key=4294967296"_qs << u"4294967296"_qs << int(std::numeric_limits<qint32>::max());
    }

    void readsLikeTheProfileFunctions()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QFETCH(int, number);
        CProfileFile file;
        file.Parse(utf16le(u"[Tavrin]\r\n"_qs + line + u"\r\n"_qs));
        QCOMPARE(file.GetString(u"tavrin"_qs, u"key"_qs), expected);
        QCOMPARE(file.GetInt(u"tavrin"_qs, u"key"_qs).value_or(-99), number);
        QVERIFY(!file.GetInt(u"tavrin"_qs, u"missing"_qs));
    }

    void firstSectionAndKeyWin()
    {
        CProfileFile file;
        file.Parse(utf16le(QStringLiteral("orphan=0\r\n[other]\r\na=1\r\n\r\n[tavrin]\r\n; a=comment\r\n"
                                          "no equals sign\r\na=2\r\nA=3\r\n[tavrin]\r\na=4\r\nb=5\r\n")));
        QCOMPARE(file.GetString(u"tavrin"_qs, u"a"_qs), u"2"_qs);
        QCOMPARE(file.GetString(u"other"_qs, u"a"_qs), u"1"_qs);
        QVERIFY(!file.GetString(u"tavrin"_qs, u"b"_qs));
        QVERIFY(!file.GetString(u"tavrin"_qs, u"; a"_qs));
        QVERIFY(!file.GetString(u"tavrin"_qs, u"orphan"_qs));
        QVERIFY(!file.GetString(u"missing"_qs, u"a"_qs));
    }

    void writesSectionsAndReplacesKeys()
    {
        CProfileFile file;
        file.SetString(u"tavrin"_qs, u"a"_qs, u"1"_qs);
        file.SetString(u"tavrin"_qs, u"b"_qs, u"値"_qs);
        file.SetString(u"TAVRIN"_qs, u"A"_qs, u"3"_qs);
        file.SetString(u"two"_qs, u"c"_qs, u"x\ny"_qs);
        QCOMPARE(file.ToBytes(), utf16le(u"[tavrin]\r\na=3\r\nb=値\r\n\r\n[two]\r\nc=x y\r\n"_qs));
    }

    void valuesReadBackAsSet_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << u"a b"_qs << u"k=a b"_qs;
        QTest::newRow("empty") << u""_qs << u"k="_qs;
        QTest::newRow("quoted") << u"\"はい\""_qs << u"k=\"\"はい\"\""_qs;
        QTest::newRow("quoted with blanks") << u" \"x\" "_qs << u"k=\" \"x\" \""_qs;
        QTest::newRow("nothing but two quotes") << u"\"\""_qs << u"k=\"\"\"\""_qs;
        QTest::newRow("leading blank") << u" a"_qs << u"k=\" a\""_qs;
        QTest::newRow("trailing tab") << u"a\t"_qs << u"k=\"a\t\""_qs;
        QTest::newRow("lone quote") << u"\""_qs << u"k=\""_qs;
        QTest::newRow("quote at one end") << u"\"a"_qs << u"k=\"a"_qs;
        QTest::newRow("ideographic space kept bare") << u"\u3000a"_qs << u"k=\u3000a"_qs;
    }

    void valuesReadBackAsSet()
    {
        QFETCH(QString, value);
        QFETCH(QString, line);
        CProfileFile file;
        file.SetString(u"tavrin"_qs, u"k"_qs, value);
        const QByteArray bytes = file.ToBytes();
        QCOMPARE(bytes, utf16le(u"[tavrin]\r\n"_qs + line + u"\r\n"_qs));
        CProfileFile read;
        read.Parse(bytes);
        QCOMPARE(read.GetString(u"tavrin"_qs, u"k"_qs), value);
    }
};

QTEST_APPLESS_MAIN(CProfileFileTest)
#include "CProfileFileTest.moc"
