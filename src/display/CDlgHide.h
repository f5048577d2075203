#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

class CConfig;
class QScreen;

// The cover: one colour ("hide.color.background") over the whole work area of the screen the
// display window is on, kept behind the program's windows so that nothing else on the desktop
// distracts the audience. It follows the display to another screen and a changed screen
// layout while it is shown. Closing it only hides it.
class CDlgHide final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgHide)

public:
    // Reads its colour at once. The settings must outlive the window; the target is observed.
    explicit CDlgHide(CConfig &config, QWidget *target = nullptr, QWidget *parent = nullptr);
    // Writes "hide.display_i" and "hide.color.background" back.
    ~CDlgHide() override;

    // The window whose screen the cover takes (the display window).
    void setTarget(QWidget *target);
    QWidget *target() const { return m_target; }

    // Marks shown and covers the target's screen without taking the focus.
    void ShowWindow();
    // Marks hidden and hides.
    void HideWindow();
    bool isShown() const { return m_bShown; }
    // Takes the target's placement, then maximises on that screen. Logs
    // "DlgHide::DoShowMeMaximized/GetWindowPlacement failed. Code=%lu" when there is no target.
    void DoShowMeMaximized();

    // The colour from "hide.color.background" (also after the cover colour command).
    void CopyConfigToWindow();
    // "hide.display_i" from the shown flag and "hide.color.background" from the colour.
    void CopyWindowToConfig();
    QColor color() const { return m_color; }

    // Called when the user closed the cover (the window is hidden by then).
    void setClosedHandler(std::function<void()> handler) { m_onClosed = std::move(handler); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followScreens();
    void onScreensChanged();

    CConfig &m_config;
    QPointer<QWidget> m_target;
    QColor m_color = Qt::white;
    bool m_bShown = false;
    std::function<void()> m_onClosed;
};
