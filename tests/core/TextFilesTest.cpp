#include "TestFiles.h"
#include "core/TextEncoding.h"
#include "core/TextFileIo.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// Encoding detection and conversion, and the whole-file loader on top of them (saving goes through
// the text document, which has its own tests).
class TextFilesTest final : public QObject
{
    Q_OBJECT

private slots:
    void detection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("text");
        const int ansi = CTextEncoding::kAnsi;
        const int utf16 = CTextEncoding::kUtf16Le;
        const int utf8 = CTextEncoding::kUtf8;
        const QByteArray a199(199, 'a');
        const QByteArray a200(200, 'a');
        QTest::newRow("ASCII reads as UTF-8") << QByteArray("abc") << utf8 << u"abc"_qs;
        QTest::newRow("one Shift-JIS character") << QByteArray::fromHex("82a0") << ansi << u"あ"_qs;
        QTest::newRow("Shift-JIS lines end in CR LF")
            << QByteArray::fromHex("82a082a20d0a") << ansi << u"あい\r\n"_qs;
        QTest::newRow("UTF-16LE without mark") << QByteArray("a\0", 2) << utf16 << u"a"_qs;
        QTest::newRow("mark only") << QByteArray::fromHex("fffe") << utf16 << QString();
        QTest::newRow("mark and text") << QByteArray::fromHex("fffe4230") << utf16 << u"あ"_qs;
        QTest::newRow("empty file") << QByteArray() << utf8 << QString();
        QTest::newRow("UTF-8 signature and text") << QByteArray::fromHex("efbbbfe38182") << utf8 << u"あ"_qs;
        QTest::newRow("broken signature") << QByteArray::fromHex("ef41bf41") << ansi << u"\u30FBA\uFF7FA"_qs;
        QTest::newRow("exactly the UTF-8 signature") << QByteArray::fromHex("efbbbf") << utf8 << QString();
        QTest::newRow("ill-formed then well-formed") << QByteArray::fromHex("82a04142") << ansi << u"あAB"_qs;
        QTest::newRow("well-formed then ill-formed")
            << QByteArray::fromHex("41c3a9ff") << ansi << u"A\uFF83\uFF69\u30FB"_qs;
        QTest::newRow("E0 then 9F is overlong") << QByteArray::fromHex("e09f") << ansi << u"\u71F9"_qs;
        QTest::newRow("E0 then A0 80") << QByteArray::fromHex("e0a080") << utf8 << u"\u0800"_qs;
        QTest::newRow("F0 then 8F is overlong") << QByteArray::fromHex("f08f") << ansi << u"\uE04E"_qs;
        QTest::newRow("F0 90 80 80") << QByteArray::fromHex("f0908080") << utf8
                                     << QString::fromUcs4(U"\U00010000");
        QTest::newRow("C0 is never a lead byte") << QByteArray::fromHex("c0") << ansi << u"\uFF80"_qs;
        QTest::newRow("F8 is never a lead byte") << QByteArray::fromHex("f8") << ansi << u"\u30FB"_qs;
        QTest::newRow("unfinished sequence at the end")
            << QByteArray::fromHex("e381") << utf8 << u"\uFFFD\uFFFD"_qs;
        QTest::newRow("zero after ill-formed byte") << QByteArray::fromHex("8200") << utf16 << u"\u0082"_qs;
        QTest::newRow("odd UTF-16LE length") << QByteArray("a\0b", 3) << utf16 << u"ab"_qs;
        QTest::newRow("zero beyond 200 bytes")
            << a200 + QByteArray(1, '\0') << utf8 << QString::fromLatin1(a200) + QChar(0);
        QTest::newRow("byte 200 ends the look")
            << a199 + QByteArray::fromHex("82a0") << ansi << QString::fromLatin1(a199) + u"あ"_qs;
    }
    void detection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        // Only a UTF-16LE signature stays out of the text.
        const qsizetype textStart =
            encoding == CTextEncoding::kUtf16Le && bytes.startsWith("\xFF\xFE") ? 2 : 0;
        const CTextEncoding::Detection found = CTextEncoding::detect(bytes);
        QCOMPARE(found.encoding, encoding);
        QCOMPARE(found.textStart, textStart);
        int decoded = -1;
        QTEST(CTextEncoding::decodeFile(bytes, &decoded), "text");
        QCOMPARE(decoded, encoding);
    }

    void encoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requested");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("used");
        const int ansi = CTextEncoding::kAnsi;
        const int utf16 = CTextEncoding::kUtf16Le;
        const int utf8 = CTextEncoding::kUtf8;
        QTest::newRow("ANSI Japanese") << u"$消去$"_qs << ansi << QByteArray::fromHex("248fc18b8e24") << ansi;
        QTest::newRow("ANSI unrepresentable") << u"é"_qs << ansi << QByteArray::fromHex("fffee900") << utf16;
        // Code page 932 turns each of these into another character on the way back.
        for (const QChar c : u"〜¥−‖—¢£¬‾"_qs)
            QTest::addRow("ANSI look-alike U+%04X", c.unicode()) << QString(c) << ansi << utf16le(c) << utf16;
        QTest::newRow("ANSI full-width tilde") << u"\uFF5E"_qs << ansi << QByteArray::fromHex("8160") << ansi;
        QTest::newRow("UTF-16LE") << u"aあ"_qs << utf16 << QByteArray::fromHex("fffe61004230") << utf16;
        QTest::newRow("UTF-16LE own mark")
            << u"\uFEFFa"_qs << utf16 << QByteArray::fromHex("fffe6100") << utf16;
        QTest::newRow("UTF-16LE empty") << QString() << utf16 << QByteArray::fromHex("fffe") << utf16;
        QTest::newRow("UTF-8 without signature")
            << u"aあ"_qs << utf8 << QByteArray::fromHex("61e38182") << utf8;
        QTest::newRow("unknown code") << u"a"_qs << 7 << QByteArray::fromHex("fffe6100") << utf16;
    }
    void encoding()
    {
        QFETCH(QString, text);
        QFETCH(int, requested);
        QFETCH(QByteArray, bytes);
        QFETCH(int, used);
        int actual = -1;
        QCOMPARE(CTextEncoding::encode(text, requested, &actual), bytes);
        QCOMPARE(actual, used);
    }

    void loadKeepsZeroTailAndCreatesMissingFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tail.txt"_qs);
        writeBytes(path, QByteArray::fromHex("fffe610062"));
        CTextFileIo io;
        QVERIFY(io.LoadText(path));
        QCOMPARE(io.buffer(), QByteArray::fromHex("fffe610062000000000000"));
        QCOMPARE(io.text(), u"ab"_qs);
        const QString missing = dir.filePath(u"new.txt"_qs);
        QVERIFY(io.LoadText(missing));
        QCOMPARE(QFileInfo(missing).size(), qint64(0));
        QCOMPARE(io.encoding(), CTextEncoding::kUtf8);
        QCOMPARE(io.buffer(), QByteArray(6, '\0'));
    }

    // Failures below a regular file and on a full disk have their tests with the text document.
    void loadFailures()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath(u"plain.txt"_qs), "kept");
        CTextFileIo io;
        QVERIFY(io.LoadText(dir.filePath(u"plain.txt"_qs)));
        // A folder is not a text file; the content of the last good load is still there.
        QVERIFY(!io.LoadText(dir.path()));
        QCOMPARE(io.lastFailure(), CTextFileIo::Failure::Create);
        QCOMPARE(io.text(), u"kept"_qs);
    }
};

QTEST_APPLESS_MAIN(TextFilesTest)
#include "TextFilesTest.moc"
