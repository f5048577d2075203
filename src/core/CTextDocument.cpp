#include "core/CTextDocument.h"

#include "core/OperationLog.h"
#include "core/TextEncoding.h"

#include <utility>

CTextDocument::CTextDocument(QString logName, int encoding)
    : m_strLogName(std::move(logName)), m_nEncoding(encoding)
{
}

bool CTextDocument::Read(const QString &path)
{
    m_read.emplace();
    if (!m_read->LoadText(path)) {
        m_readFailure = m_read->lastFailure();
        m_strReadError = m_read->lastError();
        m_read.reset();
        return false;
    }
    m_strReadPath = path;
    m_readSize = m_read->fileSize();
    m_readFailure = CTextFileIo::Failure::None;
    m_strReadError.clear();
    return true;
}

void CTextDocument::Open(const std::function<void(const QString &text)> &show)
{
    if (!m_read)
        return;
    int encoding = m_read->encoding();
    switch (encoding) {
    case CTextEncoding::kAnsi:
    case CTextEncoding::kUtf16Le:
    case CTextEncoding::kUtf8:
        WriteLog(QStringLiteral("%1 opens file as %2.").arg(m_strLogName, CTextEncoding::name(encoding)));
        break;
    default:
        WriteLog(m_strLogName + QStringLiteral(" couldn't identified."));
        encoding = CTextEncoding::kAnsi;
        break;
    }
    const QString text =
        NormaliseLineBreaks(CTextEncoding::decode(m_read->textBytes(), encoding), QStringView(u"\n"));
    const QString path = m_strReadPath;
    // The bytes are not needed once they are text: a large file is held once less while shown.
    m_read.reset();
    if (show)
        show(text);
    m_strPath = path;
    m_nEncoding = encoding;
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
