#include "core/TextFileIo.h"

#include "core/SafeFile.h"
#include "core/TextEncoding.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <new>

namespace {

// Zero bytes after the data end it both as byte text and as 16-bit text, even at an odd size.
constexpr qsizetype kZeroTail = 6;

} // namespace

bool CTextFileIo::fail(Failure failure, const QString &error)
{
    m_lastFailure = failure;
    m_lastError = error;
    return false;
}

bool CTextFileIo::LoadText(const QString &path)
{
    QFile file(path);
    // Reading needs no write access, so a read-only file loads too; a missing one is created
    // empty, and then reads as empty UTF-8 text.
    if (!file.exists()) {
        if (!file.open(QIODevice::WriteOnly))
            return fail(Failure::Create, QStringLiteral("CTextFileIo::LoadText() Create() failed."));
        file.close();
    }
    if (!file.open(QIODevice::ReadOnly))
        return fail(Failure::Create, QStringLiteral("CTextFileIo::LoadText() Create() failed."));

    const qint64 size = file.size();
    if (size < 0 || file.isSequential())
        return fail(Failure::GetSize, QStringLiteral("CTextFileIo::LoadText() GetSize() failed."));

    QByteArray buffer;
    try {
        if (size > std::numeric_limits<qsizetype>::max() / 2)
            throw std::bad_alloc();
        buffer.resize(static_cast<qsizetype>(size) + kZeroTail);
    } catch (const std::bad_alloc &) {
        return fail(Failure::Allocate, QStringLiteral("CTextFileIo::LoadText() memory allocation failed."));
    }
    std::fill(buffer.end() - kZeroTail, buffer.end(), '\0');

    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(buffer.data() + done, size - done);
        if (got <= 0)
            break;
        done += got;
    }
    if (done != size)
        return fail(Failure::Read, QStringLiteral("CTextFileIo::LoadText() Read() failed."));
    file.close();

    const CTextEncoding::Detection found =
        CTextEncoding::detect(QByteArrayView(buffer.constData(), static_cast<qsizetype>(size)));
    m_buffer = std::move(buffer);
    m_fileSize = size;
    m_textStart = found.textStart;
    m_textLength = size - found.textStart;
    m_encoding = found.encoding;
    m_lastError.clear();
    m_lastFailure = Failure::None;
    return true;
}

QByteArrayView CTextFileIo::textBytes() const
{
    if (m_buffer.isEmpty())
        return {};
    return QByteArrayView(m_buffer.constData() + m_textStart, static_cast<qsizetype>(m_textLength));
}

QString CTextFileIo::text() const
{
    return CTextEncoding::decode(textBytes(), m_encoding);
}

bool CTextFileIo::SaveText(const QString &path, const QString &text, int encoding, int *usedEncoding)
{
    int written = encoding;
    const QByteArray bytes = CTextEncoding::encode(text, encoding, &written);
    switch (CSafeFile::write(path, bytes)) {
    case CSafeFile::Result::Ok:
        break;
    case CSafeFile::Result::CreateFailed:
        return fail(Failure::Create, QStringLiteral("CTextFileIo::SaveText() Create() failed."));
    case CSafeFile::Result::WriteFailed:
        return fail(Failure::Write, QStringLiteral("CTextFileIo::SaveText() Write() failed."));
    }
    if (usedEncoding)
        *usedEncoding = written;
    m_lastError.clear();
    m_lastFailure = Failure::None;
    return true;
}
