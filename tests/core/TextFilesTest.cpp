#include "FileSizeLimit.h"
#include "core/TextEncoding.h"
#include "core/TextFileIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

} // namespace

class TextFilesTest final : public QObject
{
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void encoding_data();
    void encoding();
    void loadKeepsZeroTail();
    void loadCreatesMissingFile();
    void loadFailures();
    void saveRoundTrip_data();
    void saveRoundTrip();
    void ansiFallsBackToUtf16();
    void ansiLookAlikesReadBack();
    void failedSaveKeepsOldFile();
    void saveIntoMissingFolderFails();
};

void TextFilesTest::detection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<qsizetype>("textStart");
    QTest::addColumn<QString>("text");

    const int ansi = CTextEncoding::kAnsi;
    const int utf16 = CTextEncoding::kUtf16Le;
    const int utf8 = CTextEncoding::kUtf8;
    const QByteArray a199(199, 'a');
    const QByteArray a200(200, 'a');

    QTest::newRow("ASCII reads as UTF-8") << QByteArray("abc") << utf8 << qsizetype(0) << QStringLiteral("abc");
    QTest::newRow("one Shift-JIS character") << bytesOf({0x82, 0xA0}) << ansi << qsizetype(0) << QStringLiteral("あ");
    QTest::newRow("Shift-JIS then ASCII") << bytesOf({0x82, 0xA0, 0x41}) << ansi << qsizetype(0)
                                          << QStringLiteral("あA");
    QTest::newRow("Shift-JIS lines end in CR LF") << bytesOf({0x82, 0xA0, 0x82, 0xA2, 0x0D, 0x0A}) << ansi
                                                  << qsizetype(0) << QStringLiteral("あい\r\n");
    QTest::newRow("UTF-16LE without mark") << QByteArray("a\0", 2) << utf16 << qsizetype(0) << QStringLiteral("a");
    QTest::newRow("UTF-16LE two units") << QByteArray("a\0b\0", 4) << utf16 << qsizetype(0) << QStringLiteral("ab");
    QTest::newRow("mark only") << bytesOf({0xFF, 0xFE}) << utf16 << qsizetype(2) << QString();
    QTest::newRow("mark and text") << bytesOf({0xFF, 0xFE, 0x42, 0x30}) << utf16 << qsizetype(2) << QStringLiteral("あ");
    QTest::newRow("empty file") << QByteArray() << utf8 << qsizetype(0) << QString();
    QTest::newRow("UTF-8 signature and text") << bytesOf({0xEF, 0xBB, 0xBF, 0xE3, 0x81, 0x82}) << utf8 << qsizetype(0)
                                              << QStringLiteral("あ");
    QTest::newRow("exactly the UTF-8 signature") << bytesOf({0xEF, 0xBB, 0xBF}) << utf8 << qsizetype(0) << QString();
    QTest::newRow("ill-formed then well-formed") << bytesOf({0x82, 0xA0, 0x41, 0x42}) << ansi << qsizetype(0)
                                                 << QStringLiteral("あAB");
    QTest::newRow("well-formed then ill-formed") << bytesOf({0x41, 0xC3, 0xA9, 0xFF}) << ansi << qsizetype(0)
                                                 << QStringLiteral("A\uFF83\uFF69\u30FB");
    QTest::newRow("E0 then 9F is overlong") << bytesOf({0xE0, 0x9F}) << ansi << qsizetype(0) << QStringLiteral("\u71F9");
    QTest::newRow("E0 then A0 80") << bytesOf({0xE0, 0xA0, 0x80}) << utf8 << qsizetype(0) << QStringLiteral("\u0800");
    QTest::newRow("F0 then 8F is overlong") << bytesOf({0xF0, 0x8F}) << ansi << qsizetype(0) << QStringLiteral("\uE04E");
    QTest::newRow("F0 90 80 80") << bytesOf({0xF0, 0x90, 0x80, 0x80}) << utf8 << qsizetype(0)
                                 << QString::fromUcs4(U"\U00010000");
    QTest::newRow("C0 is never a lead byte") << bytesOf({0xC0}) << ansi << qsizetype(0) << QStringLiteral("\uFF80");
    QTest::newRow("F8 is never a lead byte") << bytesOf({0xF8}) << ansi << qsizetype(0) << QStringLiteral("\u30FB");
    QTest::newRow("unfinished sequence at the end") << bytesOf({0xE3, 0x81}) << utf8 << qsizetype(0)
                                                    << QStringLiteral("\uFFFD\uFFFD");
    QTest::newRow("zero after ill-formed byte") << bytesOf({0x82, 0x00}) << utf16 << qsizetype(0) << QStringLiteral("\u0082");
    QTest::newRow("odd UTF-16LE length") << QByteArray("a\0b", 3) << utf16 << qsizetype(0) << QStringLiteral("ab");
    QTest::newRow("zero beyond 200 bytes") << a200 + QByteArray(1, '\0') << utf8 << qsizetype(0)
                                           << QString::fromLatin1(a200) + QChar(0);
    QTest::newRow("byte 200 ends the look") << a199 + bytesOf({0x82, 0xA0}) << ansi << qsizetype(0)
                                            << QString::fromLatin1(a199) + QStringLiteral("あ");
}

void TextFilesTest::detection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(qsizetype, textStart);
    QFETCH(QString, text);

    const CTextEncoding::Detection found = CTextEncoding::detect(bytes);
    QCOMPARE(found.encoding, encoding);
    QCOMPARE(found.textStart, textStart);

    // The same through a file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.txt"));
    writeBytes(path, bytes);
    CTextFileIo io;
    QVERIFY(io.LoadText(path));
    QCOMPARE(io.encoding(), encoding);
    QCOMPARE(io.textStart(), qint64(textStart));
    QCOMPARE(io.textLength(), qint64(bytes.size() - textStart));
    QCOMPARE(io.text(), text);
}

void TextFilesTest::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("requested");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("used");

    const int ansi = CTextEncoding::kAnsi;
    const int utf16 = CTextEncoding::kUtf16Le;
    const int utf8 = CTextEncoding::kUtf8;

    QTest::newRow("ANSI ASCII") << QStringLiteral("abc\r\n") << ansi << QByteArray("abc\r\n") << ansi;
    QTest::newRow("ANSI Japanese") << QStringLiteral("$消去$") << ansi << bytesOf({0x24, 0x8F, 0xC1, 0x8B, 0x8E, 0x24})
                                   << ansi;
    QTest::newRow("ANSI unrepresentable") << QStringLiteral("é") << ansi << bytesOf({0xFF, 0xFE, 0xE9, 0x00}) << utf16;
    QTest::newRow("ANSI mixed") << QStringLiteral("aé") << ansi << bytesOf({0xFF, 0xFE, 0x61, 0x00, 0xE9, 0x00}) << utf16;
    QTest::newRow("ANSI empty") << QString() << ansi << QByteArray() << ansi;
    // Code page 932 has look-alikes for these; saved as those they would read back changed.
    QTest::newRow("ANSI yen sign") << QStringLiteral("¥100") << ansi
                                   << bytesOf({0xFF, 0xFE, 0xA5, 0x00, 0x31, 0x00, 0x30, 0x00, 0x30, 0x00}) << utf16;
    QTest::newRow("ANSI wave dash") << QStringLiteral("あ\u301C") << ansi << bytesOf({0xFF, 0xFE, 0x42, 0x30, 0x1C, 0x30})
                                    << utf16;
    QTest::newRow("ANSI full-width tilde") << QStringLiteral("\uFF5E") << ansi << bytesOf({0x81, 0x60}) << ansi;
    QTest::newRow("ANSI minus sign") << QStringLiteral("\u2212") << ansi << bytesOf({0xFF, 0xFE, 0x12, 0x22}) << utf16;
    QTest::newRow("UTF-16LE") << QStringLiteral("aあ") << utf16 << bytesOf({0xFF, 0xFE, 0x61, 0x00, 0x42, 0x30}) << utf16;
    QTest::newRow("UTF-16LE own mark") << QStringLiteral("\uFEFFa") << utf16 << bytesOf({0xFF, 0xFE, 0x61, 0x00}) << utf16;
    QTest::newRow("UTF-16LE empty") << QString() << utf16 << bytesOf({0xFF, 0xFE}) << utf16;
    QTest::newRow("UTF-8 without signature") << QStringLiteral("aあ") << utf8 << bytesOf({0x61, 0xE3, 0x81, 0x82}) << utf8;
    QTest::newRow("UTF-8 empty") << QString() << utf8 << QByteArray() << utf8;
    QTest::newRow("unknown code") << QStringLiteral("a") << 7 << bytesOf({0xFF, 0xFE, 0x61, 0x00}) << utf16;
}

void TextFilesTest::encoding()
{
    QFETCH(QString, text);
    QFETCH(int, requested);
    QFETCH(QByteArray, bytes);
    QFETCH(int, used);

    int actual = -1;
    QCOMPARE(CTextEncoding::encode(text, requested, &actual), bytes);
    QCOMPARE(actual, used);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    CTextFileIo io;
    int saved = -1;
    QVERIFY(io.SaveText(path, text, requested, &saved));
    QCOMPARE(saved, used);
    QCOMPARE(io.savedEncoding(), used);
    QCOMPARE(readBytes(path), bytes);
}

void TextFilesTest::loadKeepsZeroTail()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tail.txt"));
    writeBytes(path, bytesOf({0xFF, 0xFE, 0x61, 0x00, 0x62}));
    CTextFileIo io;
    QVERIFY(io.LoadText(path));
    QCOMPARE(io.fileSize(), qint64(5));
    QCOMPARE(io.buffer().size(), qsizetype(11));
    QCOMPARE(io.buffer().first(5), bytesOf({0xFF, 0xFE, 0x61, 0x00, 0x62}));
    QCOMPARE(io.buffer().sliced(5), QByteArray(6, '\0'));
    QCOMPARE(io.textStart(), qint64(2));
    QCOMPARE(io.textLength(), qint64(3));
    QCOMPARE(io.text(), QStringLiteral("ab"));
}

void TextFilesTest::loadCreatesMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.txt"));
    CTextFileIo io;
    QVERIFY(io.LoadText(path));
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QFileInfo(path).size(), qint64(0));
    QCOMPARE(io.encoding(), CTextEncoding::kUtf8);
    QCOMPARE(io.text(), QString());
    QCOMPARE(io.buffer(), QByteArray(6, '\0'));
}

void TextFilesTest::loadFailures()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    writeBytes(plain, "kept");
    CTextFileIo io;
    QVERIFY(io.LoadText(plain));

    // Below a regular file nothing can be opened or created; a folder is not a text file.
    QVERIFY(!io.LoadText(plain + QStringLiteral("/child.txt")));
    QCOMPARE(io.lastError(), QStringLiteral("CTextFileIo::LoadText() Create() failed."));
    QCOMPARE(io.lastFailure(), CTextFileIo::Failure::Create);
    QVERIFY(!QFileInfo::exists(plain + QStringLiteral("/child.txt")));
    QVERIFY(!io.LoadText(dir.path()));
    QCOMPARE(io.lastError(), QStringLiteral("CTextFileIo::LoadText() Create() failed."));

    // The content of the last good load is still there.
    QCOMPARE(io.text(), QStringLiteral("kept"));
}

void TextFilesTest::saveRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");

    QTest::newRow("UTF-8") << QStringLiteral("字幕の原稿\r\n二行目 line two\r\n") << CTextEncoding::kUtf8;
    QTest::newRow("UTF-16LE") << QStringLiteral("字幕の原稿\r\nabc😀") << CTextEncoding::kUtf16Le;
    QTest::newRow("ANSI") << QStringLiteral("前ロールの原稿ですます") << CTextEncoding::kAnsi;
    QTest::newRow("ANSI lines") << QStringLiteral("前ロールの原稿\r\n二行目 line two\r\n") << CTextEncoding::kAnsi;
}

void TextFilesTest::saveRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.txt"));
    CTextFileIo io;
    QVERIFY(io.SaveText(path, text, encoding));
    if (encoding == CTextEncoding::kUtf8)
        QVERIFY(!readBytes(path).startsWith("\xEF\xBB\xBF"));
    CTextFileIo reader;
    QVERIFY(reader.LoadText(path));
    QCOMPARE(reader.encoding(), encoding);
    QCOMPARE(reader.text(), text);
}

void TextFilesTest::ansiFallsBackToUtf16()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("accent.txt"));
    CTextFileIo io;
    int used = -1;
    QVERIFY(io.SaveText(path, QStringLiteral("café"), CTextEncoding::kAnsi, &used));
    QCOMPARE(used, CTextEncoding::kUtf16Le);
    CTextFileIo reader;
    QVERIFY(reader.LoadText(path));
    QCOMPARE(reader.encoding(), CTextEncoding::kUtf16Le);
    QCOMPARE(reader.text(), QStringLiteral("café"));
}

void TextFilesTest::ansiLookAlikesReadBack()
{
    // Every character that code page 932 turns into another one on the way back.
    const QString text = QStringLiteral("〜¥−‖—¢£¬‾");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("marks.txt"));
    CTextFileIo io;
    int used = -1;
    QVERIFY(io.SaveText(path, text, CTextEncoding::kAnsi, &used));
    QCOMPARE(used, CTextEncoding::kUtf16Le);
    CTextFileIo reader;
    QVERIFY(reader.LoadText(path));
    QCOMPARE(reader.text(), text);
}

void TextFilesTest::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("script.txt"));
    const QByteArray old = CTextEncoding::encode(QStringLiteral("元の原稿"), CTextEncoding::kUtf16Le);
    writeBytes(path, old);
    CTextFileIo io;
    bool saved = true;
    {
        // The disk fills up part way through the new content.
        FileSizeLimit limit(4096);
        saved = io.SaveText(path, QString(20000, QChar(u'あ')), CTextEncoding::kUtf16Le);
    }
    QVERIFY(!saved);
    QCOMPARE(io.lastError(), QStringLiteral("CTextFileIo::SaveText() Write() failed."));
    QCOMPARE(io.lastFailure(), CTextFileIo::Failure::Write);
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("script.txt")});
}

void TextFilesTest::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    writeBytes(plain, "kept");
    CTextFileIo io;
    QVERIFY(!io.SaveText(plain + QStringLiteral("/x.txt"), QStringLiteral("x"), CTextEncoding::kUtf8));
    QCOMPARE(io.lastError(), QStringLiteral("CTextFileIo::SaveText() Create() failed."));
    QCOMPARE(readBytes(plain), QByteArray("kept"));
}

QTEST_APPLESS_MAIN(TextFilesTest)
#include "TextFilesTest.moc"
