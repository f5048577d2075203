#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "core/CTextDocument.h"
#include "core/TextEncoding.h"

#include <QTest>

#include <stdexcept>

// A text file as the editing windows hold it: opened in the encoding found, shown with line feeds,
// saved with CR LF in the encoding it came in (or UTF-16LE once ANSI could not hold it).
class TextDocumentTest final : public QObject
{
    Q_OBJECT

private slots:
    void openAndSaveBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("UTF-8 log, lone LF")
            << QByteArray("\xE3\x81\x82\nb\r\n") << u"あ\nb\n"_qs << QByteArray("\xE3\x81\x82\r\nb\r\n");
        QTest::newRow("UTF-8 signature dropped") << QByteArray("\xEF\xBB\xBF"
                                                               "ab")
                                                 << u"ab"_qs << QByteArray("ab");
        QTest::newRow("UTF-16LE, lone CR") << QByteArray("\xFF\xFE\x42\x30\r\0b\0", 8) << u"あ\nb"_qs
                                           << QByteArray("\xFF\xFE\x42\x30\r\0\n\0b\0", 10);
        QTest::newRow("ANSI, CR CR LF")
            << QByteArray("\x82\xA0\r\r\n") << u"あ\n\n"_qs << QByteArray("\x82\xA0\r\n\r\n");
    }
    void openAndSaveBack()
    {
        QFETCH(QByteArray, bytes);
        TestHome home;
        const QString path = home.path() + u"/in.txt"_qs;
        writeBytes(path, bytes);
        CTextDocument document(u"CDlgLog"_qs, CTextEncoding::kUtf16Le);
        QVERIFY(document.Read(path));
        QCOMPARE(document.readSize(), bytes.size());
        // Read alone changes nothing yet.
        QCOMPARE(document.path(), QString());
        QString shown;
        document.Open([&shown](const QString &text) { shown = text; });
        QTEST(shown, "shown");
        QCOMPARE(document.path(), path);
        // The bytes are gone once shown: a second Open shows nothing.
        document.Open([](const QString &) { QFAIL("opened twice"); });
        const QString copy = home.path() + u"/copy.txt"_qs;
        QVERIFY(document.Save(copy, shown));
        QTEST(readBytes(copy), "saved");
        QCOMPARE(document.path(), copy);
    }

    void ansiThatCannotHoldTheTextStaysUtf16()
    {
        TestHome home;
        CTextDocument document(u"CDlgPft"_qs, CTextEncoding::kAnsi);
        QVERIFY(document.Save(home.path() + u"/a.txt"_qs, u"é\nx"_qs));
        QCOMPARE(readBytes(home.path() + u"/a.txt"_qs), QByteArray("\xFF\xFE\xE9\0\r\0\n\0x\0", 10));
        QCOMPARE(document.encoding(), CTextEncoding::kUtf16Le);
        // Later saves follow the file, even of text that ANSI could hold.
        QVERIFY(document.Save(home.path() + u"/b.txt"_qs, u"x"_qs));
        QCOMPARE(readBytes(home.path() + u"/b.txt"_qs), QByteArray("\xFF\xFEx\0", 4));
        QVERIFY(document.Save(home.path() + u"/c.txt"_qs, u"x"_qs, CTextEncoding::kAnsi));
        QCOMPARE(document.encoding(), CTextEncoding::kAnsi);
    }

    void failuresLeaveTheDocument()
    {
        TestHome home;
        const QString plain = home.path() + u"/plain.txt"_qs;
        writeBytes(plain, "kept");
        CTextDocument document(u"CDlgLog"_qs, CTextEncoding::kUtf8);
        QVERIFY(document.Read(plain));
        document.Open(nullptr);
        // Nothing can be read or created below a regular file.
        QVERIFY(!document.Read(plain + u"/x.txt"_qs));
        QCOMPARE(document.readFailure(), CTextFileIo::Failure::Create);
        QCOMPARE(document.readError(), u"CTextFileIo::LoadText() Create() failed."_qs);
        document.Open([](const QString &) { QFAIL("nothing was read"); });
        QVERIFY(!document.Save(plain + u"/x.txt"_qs, u"x"_qs));
        QCOMPARE(document.saveFailure(), CTextFileIo::Failure::Create);
        QCOMPARE(document.saveError(), u"CTextFileIo::SaveText() Create() failed."_qs);
        {
            // The disk fills up part way: the old file stays as it was.
            const FileSizeLimit limit(8192);
            QVERIFY(!document.Save(plain, QString(20000, u'x')));
        }
        QCOMPARE(document.saveFailure(), CTextFileIo::Failure::Write);
        QCOMPARE(readBytes(plain), QByteArray("kept"));
        // A window that cannot show the text keeps the document as it was.
        writeBytes(home.path() + u"/other.txt"_qs, "\xFF\xFE");
        QVERIFY(document.Read(home.path() + u"/other.txt"_qs));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 document.Open([](const QString &) { throw std::runtime_error("no room"); }));
        QCOMPARE(document.path(), plain);
        QCOMPARE(document.encoding(), CTextEncoding::kUtf8);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("crlf");
        QTest::newRow("lone CR") << u"a\rb\r"_qs << u"a\r\nb\r\n"_qs;
        QTest::newRow("CR LF kept") << u"a\r\nb"_qs << u"a\r\nb"_qs;
        QTest::newRow("lone LF") << u"a\nb"_qs << u"a\r\nb"_qs;
        QTest::newRow("LF CR is two breaks") << u"a\n\rb"_qs << u"a\r\n\r\nb"_qs;
        QTest::newRow("mixed") << u"\r\r\n\n"_qs << u"\r\n\r\n\r\n"_qs;
        QTest::newRow("none") << u"abc"_qs << u"abc"_qs;
    }
    void lineBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QString, crlf);
        QCOMPARE(CTextDocument::NormaliseLineBreaks(text, u"\r\n"), crlf);
        QCOMPARE(CTextDocument::NormaliseLineBreaks(text, u"\n"),
                 QString(crlf).replace(u"\r\n"_qs, u"\n"_qs));
    }
};

QTEST_APPLESS_MAIN(TextDocumentTest)
#include "TextDocumentTest.moc"
