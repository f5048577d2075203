#pragma once

#include "input/IToolWindow.h"

#include <QFont>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class CConfig;
class CCustomPalette;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTextEdit;

// What a tool window needs from the application: the settings store, the shared custom colours
// and a way to post a command to the main window. The dialogs can be replaced (tests); empty
// means the platform's dialogs.
struct ToolWindowHost
{
    // Returns true on OK; font and color hold the choice then.
    using FontDialog = std::function<bool(QWidget *owner, QFont &font, quint32 &color)>;
    // Returns true on OK; color holds the choice then. The palette's 16 custom colours are shown
    // and taken back.
    using ColorDialog = std::function<bool(QWidget *owner, quint32 &color, CCustomPalette *palette)>;

    CConfig *config = nullptr;
    CCustomPalette *palette = nullptr;
    std::function<void(int command)> postCommand;
    FontDialog fontDialog;
    ColorDialog colorDialog;
};

// The conventions every small tool window follows (input window, function keys, member monitor,
// contact window): placement, the shown flag, one font with a text colour and a background
// colour for its boxes, all stored under the window's settings prefix; show and hide, hiding on
// close; a context menu with the font and background commands.
//
// Keys under prefix P: "P.display_i", "P.position.x_i", "P.position.y_i", "P.size.x_i",
// "P.size.y_i", the six "P.font.*" keys, "P.color.text", "P.color.background".
//
// A window derived from it puts its boxes in with addStyledWidget() (they get the font and the
// colours), reacts to changes in OnFontChanged()/OnColorsChanged(), and keeps its own keys by
// overriding CopyConfigToWindow()/CopyWindowToConfig() and calling the base first.
class CToolWindow : public QWidget, public IToolWindow
{
    Q_OBJECT

public:
    // fontCommand and backgroundCommand are the window's menu command ids (e.g. 40136, 40137);
    // both are put in its context menu with the standard texts.
    CToolWindow(ToolWindowHost host, const QString &prefix, int fontCommand, int backgroundCommand,
                QWidget *parent = nullptr);
    ~CToolWindow() override;

    // IToolWindow
    QWidget *widget() override { return this; }
    bool isShown() const override { return m_bVisible; }
    void ShowWindow() override;
    void HideWindow() override;
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;
    // Handles the font and background commands; a derived window handles its own first.
    void OnForwardedCommand(int command) override;

    QString prefix() const { return m_strPrefix; }
    CConfig *config() const { return m_host.config; }
    const ToolWindowHost &host() const { return m_host; }
    QFont boxFont() const { return m_font; }
    // 0xBBGGRR.
    quint32 textColor() const { return m_textColor; }
    quint32 backgroundColor() const { return m_backgroundColor; }
    void setBoxFont(const QFont &font);
    void setTextColor(quint32 color);
    void setBackgroundColor(quint32 color);

    // Appends a command to the context menu (after the font and background items).
    void addMenuCommand(int command, const QString &text);
    // The window's commands, for a child's own context menu (an edit box adds them below its
    // cut/copy/paste items, since its own menu covers the window's).
    void addCommandsToMenu(QMenu &menu);
    // Opens the context menu at globalPos; the chosen command goes to OnForwardedCommand().
    void showCommandMenu(const QPoint &globalPos);
    // An edit box's own menu (undo, cut, copy, paste ...) followed by the window's commands.
    void extendContextMenu(QLineEdit *edit);
    void extendContextMenu(QPlainTextEdit *edit);
    void extendContextMenu(QTextEdit *edit);

    // The font dialog started from the current font and text colour; on OK both are taken.
    bool ChooseFont();
    // The background colour dialog with the shared custom colours; on OK the colour is taken.
    bool ChooseBackgroundColor();
    // The colour dialog for any colour of the window (also the shared custom colours).
    bool ChooseColor(quint32 &color);
    // The font dialog for any font of the window, with its colour; true on OK with the choice in
    // both. Sizes stop at kMaxPoints.
    bool ChooseFontAndColor(QFont &font, quint32 &color);

    // A box shows no larger text than this.
    static constexpr int kMaxPoints = 200;

protected:
    // Box widgets take the font and the text and background colours.
    void addStyledWidget(QWidget *widget);
    virtual void OnFontChanged() {}
    virtual void OnColorsChanged() {}

    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

    QString key(const QString &suffix) const { return m_strPrefix + suffix; }

private:
    void extendContextMenu(QWidget *child, const std::function<QMenu *()> &standardMenu);
    void applyFont();
    void applyColors();

    struct MenuCommand
    {
        int command = 0;
        QString text;
    };

    ToolWindowHost m_host;
    QString m_strPrefix;
    int m_nFontCommand = 0;
    int m_nBackgroundCommand = 0;
    QList<MenuCommand> m_commands;
    QList<QPointer<QWidget>> m_styled;
    QFont m_font;
    quint8 m_charSet = 1;
    quint32 m_textColor = 0x000000;
    quint32 m_backgroundColor = 0xffffff;
    bool m_bVisible = false;
};
