// Text files on any bytes: the rest after the first byte is a file that is loaded (detection and
// conversion, as the log viewer and the pre-roll window read files), and a text that is saved and
// loaded again. The first byte's low two bits choose the encoding asked for when saving (3 is an
// unknown code); bit 2 takes the text as the rest's UTF-16LE code units instead of the loaded
// text, so that texts no file decodes to (lone surrogates) are saved too. The pre-roll window's
// loader reads the same file, and its line-break normalisation runs on the text.
#include "FuzzEnvironment.h"

#include "core/CodePage932.h"
#include "core/TextEncoding.h"
#include "core/TextFileIo.h"
#include "preroll/CPftTextFile.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>

#define check(condition) checkAt((condition), #condition, __LINE__)

namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';

QString g_folder;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool isValidUtf16(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()) == text;
}

void loadFile(const QByteArray &bytes, QString &text)
{
    int encoding = -1;
    text = CTextEncoding::decodeFile(bytes, &encoding);
    const CTextEncoding::Detection found = CTextEncoding::detect(bytes);
    check(found.encoding == encoding);
    check(encoding == CTextEncoding::kAnsi || encoding == CTextEncoding::kUtf16Le ||
          encoding == CTextEncoding::kUtf8);
    const bool marked = bytes.size() >= 2 && bytes.startsWith("\xFF\xFE");
    check(found.textStart == (marked ? 2 : 0));
    if (marked)
        check(encoding == CTextEncoding::kUtf16Le);
    // Without a signature, a zero byte in the examined window never belongs to ANSI or UTF-8 text.
    const bool utf8Marked = bytes.size() >= 4 && bytes.startsWith("\xEF\xBB\xBF");
    if (utf8Marked)
        check(encoding == CTextEncoding::kUtf8);
    else if (bytes.left(CTextEncoding::kDetectionWindow).contains('\0'))
        check(encoding == CTextEncoding::kUtf16Le);
    // Well-formed UTF-8 without zero bytes is read as UTF-8.
    if (!marked && !bytes.contains('\0') && isValidUtf16(QString::fromUtf8(bytes)) &&
        QString::fromUtf8(bytes).toUtf8() == bytes)
        check(encoding == CTextEncoding::kUtf8);
    if (encoding == CTextEncoding::kUtf16Le)
        check(text.size() == (bytes.size() - found.textStart + 1) / 2);

    // The file loader hands out the same, with the file's bytes and six zero bytes in its buffer.
    const QString path = g_folder + QStringLiteral("/loaded.txt");
    if (!writeFile(path, bytes))
        std::abort();
    CTextFileIo file;
    check(file.LoadText(path));
    check(file.fileSize() == bytes.size());
    check(file.buffer() == bytes + QByteArray(6, '\0'));
    check(file.encoding() == encoding);
    check(file.textStart() == found.textStart);
    check(file.textStart() + file.textLength() == bytes.size());
    check(file.text() == text);

    CPftTextFile pft;
    qint64 loadedSize = -1;
    QString message;
    check(pft.LoadText(path, loadedSize, message) == 1);
    check(loadedSize == bytes.size());
    check(pft.encoding() == encoding);
    check(pft.text() == text);
}

// Every CR LF, lone CR and lone LF becomes the chosen break; nothing else changes.
void normaliseLineBreaks(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    const QStringList parts = lines.split(u'\n');
    const QString windows = CPftTextFile::NormaliseLineBreaks(text);
    check(windows == parts.join(QStringLiteral("\r\n")));
    check(CPftTextFile::NormaliseLineBreaks(windows) == windows);
    check(CPftTextFile::NormaliseLineBreaks(text, u"\n") == lines);
}

// What a save and a load give back: the text itself where the encoding can hold it.
void saveAndLoad(const QString &text, int requested)
{
    int used = -1;
    const QByteArray bytes = CTextEncoding::encode(text, requested, &used);
    bool complete = false;
    const QByteArray ansi = CCodePage932::encode(text, &complete);
    // Look-alikes do not count: the text must come back as it was.
    const bool representable = complete && CCodePage932::decode(ansi) == text;
    switch (requested) {
    case CTextEncoding::kAnsi:
        check(used == (representable ? CTextEncoding::kAnsi : CTextEncoding::kUtf16Le));
        break;
    case CTextEncoding::kUtf8:
        check(used == CTextEncoding::kUtf8);
        break;
    default:
        check(used == CTextEncoding::kUtf16Le);
        break;
    }
    // Whatever was saved reads back as the saved text in the encoding that was written.
    if (used == CTextEncoding::kAnsi) {
        check(bytes == ansi);
        check(CTextEncoding::decode(bytes, CTextEncoding::kAnsi) == text);
    }
    if (used == CTextEncoding::kUtf16Le) {
        check(bytes.startsWith("\xFF\xFE"));
        check(CTextEncoding::decode(bytes, CTextEncoding::kUtf16Le) ==
              (text.startsWith(QChar(kByteOrderMark)) ? text : QChar(kByteOrderMark) + text));
    }

    const QString path = g_folder + QStringLiteral("/saved.txt");
    CTextFileIo file;
    int written = -1;
    check(file.SaveText(path, text, requested, &written));
    check(written == used && file.savedEncoding() == used);
    CTextFileIo loaded;
    check(loaded.LoadText(path));
    check(loaded.buffer().chopped(6) == bytes);
    const QString expected = text.startsWith(QChar(kByteOrderMark)) ? text.mid(1) : text;
    if (used == CTextEncoding::kUtf16Le) {
        // The signature tells the encoding; a leading U+FEFF of the text serves as it.
        check(loaded.encoding() == CTextEncoding::kUtf16Le);
        check(loaded.text() == expected);
    } else if (used == CTextEncoding::kUtf8 && isValidUtf16(text) &&
               !bytes.left(CTextEncoding::kDetectionWindow).contains('\0')) {
        check(loaded.encoding() == CTextEncoding::kUtf8);
        check(loaded.text() == expected);
    } else if (used == CTextEncoding::kAnsi && loaded.encoding() == CTextEncoding::kAnsi) {
        check(loaded.text() == text);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    disableOperationLog();
    g_folder = makeScratchFolder("text");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int requested = data[0] & 3;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    QString text;
    loadFile(rest, text);
    if (data[0] & 4) {
        text = QString(rest.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(static_cast<char16_t>(static_cast<uchar>(rest[2 * i]) |
                                                  (static_cast<uchar>(rest[2 * i + 1]) << 8)));
    }
    normaliseLineBreaks(text);
    saveAndLoad(text, requested);
    return 0;
}
