#include "core/CTextDocument.h"

#include "core/OperationLog.h"
#include "core/TextEncoding.h"

#include <QFileInfo>

#include <new>
#include <utility>

CTextDocument::CTextDocument(QString logName, int encoding)
    : m_strLogName(std::move(logName)), m_nEncoding(encoding)
{
}

namespace {

bool known(int encoding)
{
    return encoding == CTextEncoding::kAnsi || encoding == CTextEncoding::kUtf16Le ||
           encoding == CTextEncoding::kUtf8;
}

} // namespace

CTextDocument::FileText CTextDocument::ReadFile(const QString &path)
{
    FileText file;
    file.path = path;
    CTextFileIo io;
    if (!io.LoadText(path)) {
        file.failure = io.lastFailure();
        file.error = io.lastError();
        if (file.failure == CTextFileIo::Failure::Allocate || file.failure == CTextFileIo::Failure::Read)
            file.size = QFileInfo(path).size();
        return file;
    }
    file.size = io.fileSize();
    file.encoding = io.encoding();
    try {
        // An unknown code is read as ANSI (decode() does so too).
        file.text = NormaliseLineBreaks(CTextEncoding::decode(io.textBytes(), file.encoding), u"\n");
        file.converted = true;
    } catch (const std::bad_alloc &) {
        file.text.clear();
    }
    return file;
}

bool CTextDocument::Read(const QString &path)
{
    FileText file = ReadFile(path);
    if (!file.read()) {
        m_readFailure = file.failure;
        m_strReadError = file.error;
        m_read.reset();
        return false;
    }
    m_readSize = file.size;
    m_readFailure = CTextFileIo::Failure::None;
    m_strReadError.clear();
    m_read = std::move(file);
    return true;
}

void CTextDocument::Open(const std::function<void(const QString &text)> &show)
{
    if (!m_read)
        return;
    // The text is not kept once shown: a large file is held once less.
    const FileText file = std::move(*m_read);
    m_read.reset();
    AnnounceOpen(file);
    if (show)
        show(file.text);
    Adopt(file);
}

void CTextDocument::AnnounceOpen(const FileText &file) const
{
    if (known(file.encoding))
        WriteLog(
            QStringLiteral("%1 opens file as %2.").arg(m_strLogName, CTextEncoding::name(file.encoding)));
    else
        WriteLog(m_strLogName + QStringLiteral(" couldn't identified."));
    if (!file.converted)
        throw std::bad_alloc();
}

void CTextDocument::Adopt(const FileText &file)
{
    m_strPath = file.path;
    m_nEncoding = known(file.encoding) ? file.encoding : CTextEncoding::kAnsi;
}

bool CTextDocument::Save(const QString &path, QStringView text, int encoding)
{
    CTextFileIo file;
    int written = encoding;
    if (!file.SaveText(path, NormaliseLineBreaks(text, QStringView(u"\r\n")), encoding, &written)) {
        m_saveFailure = file.lastFailure();
        m_strSaveError = file.lastError();
        return false;
    }
    m_saveFailure = CTextFileIo::Failure::None;
    m_strSaveError.clear();
    m_strPath = path;
    m_nEncoding = written;
    return true;
}

QString CTextDocument::NormaliseLineBreaks(QStringView text, QStringView lineBreak)
{
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        result.append(text.sliced(start, i - start));
        result.append(lineBreak);
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    result.append(text.sliced(start));
    return result;
}
