#include "core/AppPaths.h"

#include "core/StringTable.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString executablePath()
{
    if (!QCoreApplication::instance())
        return {};
    return QCoreApplication::applicationFilePath();
}

} // namespace

bool CAppPaths::IsPortable()
{
    QString base;
    if (!GetExeBaseName(base))
        return false;
    return base.contains(QStringLiteral("portable"), Qt::CaseSensitive);
}

bool CAppPaths::GetExeFolder(QString &folder)
{
    const QString path = executablePath();
    if (path.isEmpty())
        return false;
    folder = QFileInfo(path).absolutePath();
    return true;
}

QString CAppPaths::GetExeFolder()
{
    QString folder;
    GetExeFolder(folder);
    return folder;
}

bool CAppPaths::GetExeBaseName(QString &name)
{
    const QString path = executablePath();
    if (path.isEmpty()) {
        name = CStringTable::get(101);
        return false;
    }
    name = QFileInfo(path).completeBaseName();
    return true;
}

QString CAppPaths::GetExeBaseName()
{
    QString name;
    GetExeBaseName(name);
    return name;
}

QString CAppPaths::JoinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString CAppPaths::GetSettingsFolder()
{
    if (IsPortable())
        return GetExeFolder();
    const QString roaming = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (roaming.isEmpty())
        return GetExeFolder();
    return JoinPath(roaming, CStringTable::get(101));
}

bool CAppPaths::GetDocumentFolder(QString &folder)
{
    if (IsPortable())
        return GetExeFolder(folder);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) {
        folder.clear();
        return false;
    }
    folder = JoinPath(documents, CStringTable::get(101));
    return true;
}

QString CAppPaths::GetDocumentFolder()
{
    QString folder;
    GetDocumentFolder(folder);
    return folder;
}
