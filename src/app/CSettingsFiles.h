#pragma once

#include "core/CDialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CConfig;
class CCustomPalette;
class QWidget;

// Which settings files exist, when each is read and written, and the commands that open, save and
// reset settings. The main window owns one and hands it the store and the custom palette.
//
// Files, all in the settings folder and named after the executable (PROGRAM):
//   PROGRAM.tvn   the default settings file: read at start-up, written at exit under start-up
//                 type 2 and at once when type 1 is chosen;
//   PROGRAM~.tvn  the exit settings file: written at exit under start-up types 0 and 1.
class CSettingsFiles final
{
public:
    // Start-up types ("miscellaneous.init.type_i").
    static constexpr int kStartupNone = 0;     // built-in defaults; the default file is deleted
    static constexpr int kStartupCurrent = 1;  // the settings when this was chosen
    static constexpr int kStartupLastExit = 2; // the settings at the last exit

    // Which saves a state copier takes part in. Copiers run in the order they were added, so the
    // main window adds them in the order the windows must be copied: log flags and display window
    // as Always, then input, member monitor, contact, pre-roll, pre-roll monitor, function keys
    // and cover as AllWindows.
    enum class CopyScope
    {
        Always,
        AllWindows
    };
    using StateCopier = std::function<void(CConfig &config)>;

    CSettingsFiles(CConfig &config, CCustomPalette &palette);

    // Copies a window's state into the store before a save.
    void AddStateCopier(CopyScope scope, StateCopier copier);
    // Runs after a file was opened and after a reset: the main window's CopyConfigToApplication.
    void SetApplyHandler(std::function<void()> apply);

    static QString DefaultFilePath();
    static QString ExitFilePath();
    // The file dialogs' filter list (string 117) in Qt's "name (patterns)" form, one entry each.
    static QStringList FileDialogFilters();
    static QString DefaultSuffix() { return QStringLiteral("tvn"); }

    // Start-up with a file on the command line (cut to 259 characters, double quotes removed):
    // the path read, whether or not it could be.
    QString LoadCommandLineFile(const QString &commandLine);
    // Start-up without a file on the command line: the default settings file, if there is one.
    bool LoadDefaultConfig();
    // Copies the application's state into the store (every window when allWindows), stores the
    // custom palette and writes the default or the exit settings file. The result only reaches
    // the operation log and the caller.
    bool SaveDefaultConfig(bool toDefaultFile, bool allWindows);
    // The exit's save: the default file under start-up type 2, else the exit settings file.
    bool SaveAtExit();

    // What the open and save-as commands do once a path was chosen. Opening applies the store to
    // the application even when the file could not be read, and remembers the path either way.
    bool OpenFile(const QString &path);
    bool SaveFileAs(const QString &path);
    // After the start-up settings dialog stored type: 0 deletes the default settings file,
    // 1 writes it now with every window's state, 2 waits for the exits.
    void ApplyStartupType(int type);
    // Every setting back to its default, applied to the application; no file is touched.
    void ResetAll();

    // The commands with their dialogs, owned by owner (the active window when null). Each returns
    // whether the user went through with it.
    bool DoFileOpen(QWidget *owner);
    bool DoFileSaveAs(QWidget *owner);
    bool DoCfgInit(QWidget *owner);
    bool DoReset(QWidget *owner);

    // The file last opened: the initial name of the save dialog; empty at start and after a reset.
    QString CurrentFile() const { return m_strCurrentFile; }

private:
    static QString settingsFilePath(const QString &suffix);
    // The open or save chooser: the settings filters, ".tvn" added, a save offers the current file.
    CDialogs::FileRequest fileRequest(bool save) const;
    void copyStateToConfig(bool allWindows);
    void apply();

    struct Copier
    {
        CopyScope scope = CopyScope::Always;
        StateCopier copy;
    };

    CConfig &m_config;
    CCustomPalette &m_palette;
    QList<Copier> m_copiers;
    std::function<void()> m_apply;
    QString m_strCurrentFile;
};
