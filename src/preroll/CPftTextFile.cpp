#include "preroll/CPftTextFile.h"

#include "core/CTextDocument.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"

#include <QFileInfo>

namespace {

// The five characters of a name that has an extension: one or more, a dot, three letters.
constexpr qsizetype kExtensionNameLength = 5;

QString sizeLine(const QString &path, qint64 size)
{
    return QStringLiteral("LoadText : file [%1] size [%2]").arg(path).arg(static_cast<quint64>(size));
}

// The file's name of a path, for the compare of the extension; a folder part does not count
// toward the five characters.
QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

bool hasExtension(const QString &name, QLatin1StringView extension)
{
    return name.size() >= kExtensionNameLength && name.endsWith(extension, Qt::CaseInsensitive);
}

} // namespace

void CPftTextFile::BeginLoad(const QString &path)
{
    WriteLog(QStringLiteral("CDlgPft::LoadText() begins."));
    WriteLog(QStringLiteral("LoadText : file [%1]").arg(path));
}

int CPftTextFile::EndLoad(const CTextDocument::FileText &file, qint64 &size, QString &message)
{
    const QString &path = file.path;
    int result = 0;
    if (file.read()) {
        size = file.size;
        WriteLog(sizeLine(path, size));
        WriteLog(QStringLiteral("LoadText memory allocation done."));
        WriteLog(QStringLiteral("CDlgPft::LoadText() goes to Read()."));
        WriteLog(QStringLiteral("CDlgPft::LoadText() Read() succeeded."));
        result = 1;
    } else {
        switch (file.failure) {
        case CTextFileIo::Failure::GetSize:
            WriteLog(QStringLiteral("CDlgPft::LoadText() GetSize() failed."));
            message = CStringTable::get(162);
            break;
        case CTextFileIo::Failure::Allocate:
            // The size was read: only the buffer could not be had.
            WriteLog(sizeLine(path, file.size));
            message = CStringTable::get(160);
            break;
        case CTextFileIo::Failure::Read:
            WriteLog(sizeLine(path, file.size));
            WriteLog(QStringLiteral("LoadText memory allocation done."));
            WriteLog(QStringLiteral("CDlgPft::LoadText() goes to Read()."));
            WriteLog(QStringLiteral("CDlgPft::LoadText() Read() failed."));
            message = CStringTable::get(161);
            break;
        default:
            WriteLog(QStringLiteral("CDlgPft::LoadText() Create() failed."));
            message = CStringTable::get(163);
            break;
        }
    }
    WriteLogInt(QStringLiteral("LoadText finished result code"), result);
    return result;
}

bool CPftTextFile::SaveText(CTextDocument &document, const QString &path, QStringView text)
{
    if (document.Save(path, text, SaveEncodingFor(path, document.path(), document.encoding())))
        return true;
    WriteLog(document.saveFailure() == CTextFileIo::Failure::Write
                 ? QStringLiteral("CDlgPft::SaveText() Write() failed.")
                 : QStringLiteral("CDlgPft::SaveText() Create() failed."));
    return false;
}

int CPftTextFile::SaveEncodingFor(const QString &newPath, const QString &currentPath, int paneEncoding)
{
    const QString name = fileName(newPath);
    if (hasExtension(name, QLatin1StringView(".tvu")))
        return CTextEncoding::kUtf16Le;
    if (hasExtension(name, QLatin1StringView(".tv8")))
        return CTextEncoding::kUtf8;
    // A ".txt" read as UTF-8 or UTF-16LE is saved back as it came.
    if (hasExtension(name, QLatin1StringView(".txt")) &&
        !hasExtension(fileName(currentPath), QLatin1StringView(".txt")))
        return CTextEncoding::kAnsi;
    return paneEncoding;
}
