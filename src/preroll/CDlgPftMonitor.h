#pragma once

#include "input/CToolWindow.h"
#include "preroll/CPftMonitorText.h"
#include "preroll/IPftMonitorView.h"

#include <QString>

class CMemberList;
class CPftMarkerStrip;
class CPftMonitorModel;
class QPlainTextEdit;

// The pre-roll monitor: shows the pre-roll of the member who last sent one (or the member's own),
// the lines before that member's caret line and the lines from it on, with the triangle on the
// line that member sends next. It only displays; the model holds the texts.
class CDlgPftMonitor final : public CToolWindow, public IPftMonitorView
{
    Q_OBJECT

public:
    // Selects the whole shown text (Ctrl+A).
    static constexpr int kSelectAllCommand = 40220;

    // The model and the member list must outlive the window; the caller makes the window the
    // model's view.
    CDlgPftMonitor(ToolWindowHost host, const CPftMonitorModel &model, const CMemberList &members,
                   QWidget *parent = nullptr);
    ~CDlgPftMonitor() override;

    // IToolWindow
    void OnForwardedCommand(int command) override;
    void FocusWindow() override;

    // IPftMonitorView: the window catches up once the current handler has returned.
    void pftMonitorChanged() override;

    // Text, title and marker from the model's current member, now.
    void Refresh();
    bool refreshPending() const { return m_bRefreshPending; }

    QPlainTextEdit *edit() const { return m_edit; }
    CPftMarkerStrip *markerStrip() const { return m_strip; }
    // The member name the title shows for an address.
    QString memberName(const QString &address) const;

protected:
    void OnFontChanged() override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Puts the marker beside the boundary line, or hides it while that line is scrolled away.
    void UpdateMarker();
    // Once the text box has laid itself out again (resize, a scroll bar that came or went).
    void ScheduleMarkerUpdate();
    // Scrolls as little as needed to show the boundary line; the text cursor goes there.
    void RevealBoundary();
    // The lines are about to wrap anew: a boundary in view now stays in view.
    void KeepBoundaryInView();

    const CPftMonitorModel &m_model;
    const CMemberList &m_members;
    QPlainTextEdit *m_edit = nullptr;
    CPftMarkerStrip *m_strip = nullptr;
    CPftMonitorText m_shown;
    bool m_bRefreshPending = false;
    bool m_bMarkerUpdatePending = false;
    bool m_bRevealAgain = false;
};
