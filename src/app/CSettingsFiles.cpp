#include "app/CSettingsFiles.h"

#include "app/CDlgCfgInit.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/AppPaths.h"
#include "core/FileDialogFilters.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QFile>

namespace {

constexpr int kMaxCommandLine = 259;

QWidget *ownerOrActive(QWidget *owner)
{
    return owner ? owner : QApplication::activeWindow();
}

} // namespace

CSettingsFiles::CSettingsFiles(CConfig &config, CCustomPalette &palette)
    : m_config(config), m_palette(palette)
{
}

void CSettingsFiles::AddStateCopier(CopyScope scope, StateCopier copier)
{
    m_copiers.append(Copier{scope, std::move(copier)});
}

void CSettingsFiles::SetApplyHandler(std::function<void()> apply)
{
    m_apply = std::move(apply);
}

QString CSettingsFiles::settingsFilePath(const QString &suffix)
{
    return CAppPaths::JoinPath(CAppPaths::GetSettingsFolder(), CAppPaths::GetExeBaseName() + suffix);
}

QString CSettingsFiles::DefaultFilePath()
{
    return settingsFilePath(QStringLiteral(".tvn"));
}

QString CSettingsFiles::ExitFilePath()
{
    return settingsFilePath(QStringLiteral("~.tvn"));
}

QStringList CSettingsFiles::FileDialogFilters()
{
    return CFileDialogFilters::fromString(117);
}

QString CSettingsFiles::LoadCommandLineFile(const QString &commandLine)
{
    WriteLog(QStringLiteral("CMainWindow::SetCmdLine() begins."));
    QString path = commandLine.left(kMaxCommandLine);
    // A file opened from the desktop arrives in double quotes.
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    m_config.LoadFromFile(path);
    WriteLog(QStringLiteral("CMainWindow::SetCmdLine() finishes. filename=") + path);
    return path;
}

bool CSettingsFiles::LoadDefaultConfig()
{
    WriteLog(QStringLiteral("CMainWindow::LoadDefaultConfig() begins."));
    const QString path = DefaultFilePath();
    QDir().mkpath(CAppPaths::GetSettingsFolder());
    if (m_config.LoadFromFile(path)) {
        WriteLog(QStringLiteral("CMainWindow::LoadDefaultConfig() finishes. filename=") + path);
        return true;
    }
    WriteLog(QStringLiteral("CMainWindow::LoadDefaultConfig() failed. filename=") + path);
    return false;
}

void CSettingsFiles::copyStateToConfig(bool allWindows)
{
    for (const Copier &copier : std::as_const(m_copiers)) {
        if (copier.scope == CopyScope::Always || allWindows)
            copier.copy(m_config);
    }
    m_palette.SaveCustomColors(m_config);
}

bool CSettingsFiles::SaveDefaultConfig(bool toDefaultFile, bool allWindows)
{
    const QString path = toDefaultFile ? DefaultFilePath() : ExitFilePath();
    // The settings folder may not exist yet, nor the folders above it.
    QDir().mkpath(CAppPaths::GetSettingsFolder());
    copyStateToConfig(allWindows);
    return m_config.SaveToFile(path);
}

bool CSettingsFiles::SaveAtExit()
{
    qint32 type = kStartupNone;
    m_config.GetInt(QStringLiteral("miscellaneous.init.type_i"), type);
    // Every window, not only the display: the tool windows are destroyed after this save, so a
    // placement or font changed during the run would otherwise never reach the file.
    return SaveDefaultConfig(type == kStartupLastExit, true);
}

void CSettingsFiles::apply()
{
    if (m_apply)
        m_apply();
}

bool CSettingsFiles::OpenFile(const QString &path)
{
    WriteLog(QStringLiteral("CMainWindow::DoFileOpen() read file [%1]").arg(path));
    // A file that cannot be read leaves the store as it was; it is applied all the same.
    const bool loaded = m_config.LoadFromFile(path);
    apply();
    m_strCurrentFile = path;
    return loaded;
}

bool CSettingsFiles::SaveFileAs(const QString &path)
{
    copyStateToConfig(true);
    const bool saved = m_config.SaveToFile(path);
    WriteLog(QStringLiteral("CMainWindow::DoFileSaveAs() finished file [%1].").arg(path));
    return saved;
}

void CSettingsFiles::ApplyStartupType(int type)
{
    switch (type) {
    case kStartupNone:
        // Nothing to delete is fine.
        QFile::remove(DefaultFilePath());
        break;
    case kStartupCurrent:
        SaveDefaultConfig(true, true);
        break;
    default:
        break;
    }
}

void CSettingsFiles::ResetAll()
{
    m_config.Initialize();
    apply();
    m_strCurrentFile.clear();
}

CDialogs::FileRequest CSettingsFiles::fileRequest(bool save) const
{
    CDialogs::FileRequest request;
    request.save = save;
    request.filters = FileDialogFilters();
    request.defaultSuffix = DefaultSuffix();
    if (save)
        request.selection = m_strCurrentFile;
    return request;
}

bool CSettingsFiles::DoFileOpen(QWidget *owner)
{
    const QString path = CDialogs::chooseFile(ownerOrActive(owner), fileRequest(false));
    if (path.isEmpty())
        return false;
    OpenFile(path);
    return true;
}

bool CSettingsFiles::DoFileSaveAs(QWidget *owner)
{
    const QString path = CDialogs::chooseFile(ownerOrActive(owner), fileRequest(true));
    if (path.isEmpty())
        return false;
    SaveFileAs(path);
    return true;
}

bool CSettingsFiles::DoCfgInit(QWidget *owner)
{
    CDlgCfgInit dialog(m_config, ownerOrActive(owner));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ApplyStartupType(dialog.Selection());
    return true;
}

bool CSettingsFiles::DoReset(QWidget *owner)
{
    if (!CDialogs::confirm(owner, CDialogs::Icon::None, CStringTable::get(150), CStringTable::get(149)))
        return false;
    ResetAll();
    return true;
}
