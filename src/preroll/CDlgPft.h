#pragma once

#include "core/CTextDocument.h"
#include "input/CToolWindow.h"

#include <QFont>
#include <QHash>
#include <QKeyCombination>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTextCursor>

#include <array>
#include <functional>

class CDlgFKey;
class CEngagedEdit;
class CPftFileOpen;
class CPftMarkerStrip;
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QShortcut;

// The pre-roll window: prepared text in three panes (three files), released into the captions
// line by line (F1) or a block at a time up to a separator line (Shift+F1). A black triangle
// beside the current pane points at the line that goes out next; lines beginning with "<-" are
// notes to the typist and never go out. After every key the window hands the lines around the
// caret to the other members' pre-roll monitors.
//
// A file opens in the background: it is read and converted on a worker thread and then fills a
// new edit in slices, with the event loop (the captions, the network) running between them, while
// the pane keeps its old text until the new one is complete. Meanwhile the pane's old text can
// still be sent and moved through but not edited, and New and Open do nothing; Esc or the cancel
// button beside the progress leave the pane as it was. Hiding the window lets the open finish;
// destroying it drops the open.
//
// Settings prefix "pft": the tool window keys, the name bars' font under "pft.name" with
// "pft.name.color.text", "pft.name.color.background" (current pane) and
// "pft.name.nonsel.color.background" (the others), "pft.display.all_i" and
// "pft.display.current_pane_ratio_i".
class CDlgPft final : public CToolWindow
{
    Q_OBJECT

public:
    static constexpr int kPaneCount = 3;
    // The marker strip's width, which is also the gap left of each pane in the show-all layout.
    static constexpr int kGap = 12;

    // Where the pane's text goes (the main window's send paths). Each is called after the
    // command has returned, with its own copy of the lines.
    struct Actions
    {
        std::function<void(const QString &line)> sendLine;
        // The block ends with the separator line.
        std::function<void(const QStringList &lines)> sendBlock;
        std::function<void(const QStringList &former, const QStringList &latter)> sendState;
        std::function<void()> clearScreen;
    };
    // The function-key window when it exists, else nullptr.
    using FunctionKeysSource = std::function<const CDlgFKey *()>;

    struct Accelerator
    {
        QKeyCombination key;
        int command = 0;
    };
    // The window's keys; they act before the pane's own editing keys.
    static QList<Accelerator> accelerators();
    static int commandForKey(QKeyCombination key);

    CDlgPft(ToolWindowHost host, Actions actions, FunctionKeysSource functionKeys, QWidget *parent = nullptr);
    ~CDlgPft() override;

    // IToolWindow
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;
    void OnForwardedCommand(int command) override;
    void FocusWindow() override;

    // Commands on the current pane.
    void SendCaretLine();
    void SendBlock();
    bool OnPftNew();
    // True when an open began; openFinished() tells how it ended.
    bool OnPftOpen();
    bool OnPftSaveAs();
    // Open and save without the file dialogs. OpenFile is false only when another open is still
    // running.
    bool OpenFile(const QString &path);
    bool SaveFile(const QString &path);
    // Stops the open that is running; the pane stays as it was.
    void CancelOpen();
    bool isOpening() const;
    void ToggleComment();
    void JumpToNextComment();
    void JumpToPreviousComment();
    void InsertSeparator();
    void SelectPane(int pane);
    void SetShowAll(bool showAll);
    void SetPaneRatio(int ratio);
    // Hands the lines around the caret of the current pane to the pre-roll monitors.
    void PostState();

    int currentPane() const { return m_nCurrent; }
    CEngagedEdit *edit(int pane) const;
    QLabel *nameBar(int pane) const;
    CPftMarkerStrip *markerStrip() const { return m_strip; }
    QMenuBar *menuBar() const { return m_menuBar; }
    QAction *action(int command) const;
    // "%d:%s": the pane number and the file's name, or "無題" while the pane has no file.
    QString paneName(int pane) const;
    QString filePath(int pane) const;
    // 0 ANSI, 1 UTF-16LE, 2 UTF-8: what the pane is saved in.
    int encoding(int pane) const;
    // The pane's text with CR LF line breaks, as it is saved.
    QString paneText(int pane) const;
    bool showAll() const { return m_bShowAll; }
    int paneRatio() const { return m_nRatio; }
    QFont nameFont() const { return m_nameFont; }
    quint32 nameTextColor() const { return m_nameTextColor; }
    quint32 nameBackgroundColor() const { return m_nameBackgroundColor; }
    quint32 nameOtherBackgroundColor() const { return m_nameOtherBackgroundColor; }
    // Shown beside the name of the pane that a file opens into.
    QProgressBar *openProgress() const { return m_openProgress; }
    QAbstractButton *openCancelButton() const { return m_openCancel; }

signals:
    // Once for every open that began: whether the file is now the pane's.
    void openFinished(bool opened);

protected:
    void OnFontChanged() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Pane
    {
        CEngagedEdit *edit = nullptr;
        QLabel *nameBar = nullptr;
        // A new pane saves in ANSI until a file or a save says otherwise.
        CTextDocument document{QStringLiteral("CDlgPft"), 0};
    };

    // A file on its way into a pane: the open in the background and the edit it fills, which
    // lies under the pane's edit until it replaces it.
    struct Opening
    {
        int pane = -1;
        QPointer<CPftFileOpen> job;
        QPointer<CEngagedEdit> edit;
        QTextCursor end;
    };

    void buildPanes();
    CEngagedEdit *createEdit(int pane);
    void connectEdit(int pane, CEngagedEdit *edit);
    void buildOpenProgress();
    void buildMenus();
    void OnFileRead();
    void OnFileFilled();
    // Ends the open that is running, leaving the pane's edit as it was before.
    void EndOpening();
    bool refusedWhileOpening();
    bool currentIsReadOnly() const;
    QAction *addCommand(QMenu *menu, int command, const QString &text, bool checkable = false);
    void addWindowMenus(QMenu &menu);
    CEngagedEdit *currentEdit() const { return m_panes[m_nCurrent].edit; }
    void moveCaretToLine(int line);
    // Applies what the function-key rules make of the key in the current pane.
    void OnFunctionKey(int pane, int index, bool shift);
    void OnKeyReleased(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    void OnPaneFocused(int pane);
    bool AskAboutChanges();
    QString chooseFile(bool save);
    void showError(const QString &text);
    bool ChooseNameFont();
    void ChooseNameColor(quint32 &color);
    void UpdateNames();
    void UpdateChecks();
    void ApplyNameBars();
    void Relayout();
    void UpdateMarker();
    int nameBarHeight() const;
    void post(std::function<void()> action);
    // Calls the action, when set, once the command has returned; the arguments go as copies.
    template <typename Signature, typename... Args>
    void postAction(std::function<Signature> Actions::*action, Args... args)
    {
        post([this, action, ... args = std::move(args)] {
            if (m_actions.*action)
                (m_actions.*action)(args...);
        });
    }

    Actions m_actions;
    FunctionKeysSource m_functionKeys;
    std::array<Pane, kPaneCount> m_panes{};
    int m_nCurrent = 0;
    bool m_bShowAll = false;
    int m_nRatio = 10;
    QFont m_nameFont;
    quint8 m_nameCharSet = 1;
    quint32 m_nameTextColor = 0x000000;
    quint32 m_nameBackgroundColor = 0xffffff;
    quint32 m_nameOtherBackgroundColor = 0x999999;
    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;
    CPftMarkerStrip *m_strip = nullptr;
    QList<QMenu *> m_menus;
    QHash<int, QAction *> m_actionsById;
    Opening m_opening;
    QWidget *m_openBar = nullptr;
    QProgressBar *m_openProgress = nullptr;
    QAbstractButton *m_openCancel = nullptr;
    QShortcut *m_openEscape = nullptr;
};
