#pragma once

#include "core/CTextDocument.h"
#include "input/CToolWindow.h"

#include <QString>

#include <functional>

class QMenuBar;
class QPlainTextEdit;

// The log viewer: a small text editor that shows the captions so far, and can open, edit and
// save any text file in the encoding it came in. It dresses like the display window (placement,
// font and colours under "main") each time it is shown, and keeps no settings of its own.
class CDlgLog final : public CToolWindow
{
    Q_OBJECT

public:
    // captionText gives every caption still kept; storeDisplayLook has the display window write
    // its placement to the settings before the viewer copies it; transcript names the transcript
    // the subtitle export offers first.
    CDlgLog(ToolWindowHost host, std::function<QString()> captionText, std::function<void()> storeDisplayLook,
            std::function<QString()> transcript = {}, QWidget *parent = nullptr);
    ~CDlgLog() override;

    // IToolWindow: showing fills the viewer with the captions so far.
    void ShowWindow() override;
    // Reads the display window's look; the viewer has no keys to write back.
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override {}
    void OnForwardedCommand(int command) override;
    void FocusWindow() override;

    // Menu commands.
    bool OnLogNew();
    bool OnLogOpen();
    bool OnLogSaveAs();
    bool OpenFile(const QString &path);
    bool SaveFile(const QString &path);

    QPlainTextEdit *edit() const { return m_edit; }
    QMenuBar *menuBar() const { return m_menuBar; }
    QString path() const { return m_document.path(); }
    int encoding() const { return m_document.encoding(); }

private:
    void buildMenu();
    void addCommand(QMenu *menu, int command, const QString &text, const QKeySequence &key = {});
    // Yes saves first; false when the caller must stop (cancel, or the save failed).
    bool AskAboutChanges();
    QString chooseFile(bool save);
    void UpdateTitle();
    void ShowEditMenu(const QPoint &pos);

    std::function<QString()> m_captionText;
    std::function<void()> m_storeDisplayLook;
    std::function<QString()> m_transcript;
    QMenuBar *m_menuBar = nullptr;
    QPlainTextEdit *m_edit = nullptr;
    // The captions and a new text are saved in UTF-16LE, which holds every character.
    CTextDocument m_document{QStringLiteral("CDlgLog"), 1};
};
