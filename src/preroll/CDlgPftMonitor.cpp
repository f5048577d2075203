#include "preroll/CDlgPftMonitor.h"

#include "config/CConfig.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "members/CMemberEntry.h"
#include "members/CMemberList.h"
#include "preroll/CPftMarkerStrip.h"
#include "preroll/CPftMonitorModel.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

namespace {

// Title text after the member's name.
constexpr int kTitleSuffix = 159;

} // namespace

CDlgPftMonitor::CDlgPftMonitor(ToolWindowHost host, const CPftMonitorModel &model, const CMemberList &members,
                               QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("pft_monitor"), CommandId::PrerollMonitorFont,
                  CommandId::PrerollMonitorBackground, parent),
      m_model(model), m_members(members)
{
    // Until a pre-roll arrives there is nobody to name.
    setWindowTitle(QCoreApplication::translate("CDlgPftMonitor", "前ロールモニター (Ctrl+T)"));

    m_strip = new CPftMarkerStrip(this);
    m_strip->setObjectName(QStringLiteral("pftMonitorMarker"));
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("pftMonitorText"));
    m_edit->setReadOnly(true);
    m_edit->setUndoRedoEnabled(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_edit, 1);
    addStyledWidget(m_edit);
    extendContextMenu(m_edit);

    // Ctrl+A has no menu item; the edit's own menu offers selecting all as well.
    auto *selectAll = new QAction(this);
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    selectAll->setShortcutContext(Qt::WindowShortcut);
    connect(selectAll, &QAction::triggered, this, [this] { OnForwardedCommand(kSelectAllCommand); });
    addAction(selectAll);

    // The marker follows the text whenever the text box moves its lines.
    connect(m_edit, &QPlainTextEdit::updateRequest, this, [this] { UpdateMarker(); });
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { UpdateMarker(); });
    m_edit->viewport()->installEventFilter(this);

    Refresh();
}

CDlgPftMonitor::~CDlgPftMonitor()
{
    m_edit->viewport()->removeEventFilter(this);
    // The children go after this body has run; their last signals (a repaint request while the
    // text box is torn down) must not reach a window that is no longer one.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    WriteLog(QStringLiteral("CDlgPftMonitor destroyed."));
}

void CDlgPftMonitor::OnForwardedCommand(int command)
{
    if (command == kSelectAllCommand) {
        m_edit->selectAll();
        return;
    }
    CToolWindow::OnForwardedCommand(command);
}

void CDlgPftMonitor::FocusWindow()
{
    activateWindow();
    raise();
    m_edit->setFocus(Qt::ShortcutFocusReason);
}

QString CDlgPftMonitor::memberName(const QString &address) const
{
    QString name;
    if (address == CPftMonitorModel::kOwnAddress) {
        if (const CConfig *store = config())
            store->GetString(QStringLiteral("communication.name"), name);
    } else if (const CMemberEntry *entry = m_members.find(address)) {
        name = entry->strName;
    }
    return name.isEmpty() ? address : name;
}

void CDlgPftMonitor::pftMonitorChanged()
{
    // A pre-roll arrives line by line, each line a change; only the last state is worth showing,
    // and the states between would pull the reader's scrolling to every line on the way.
    if (m_bRefreshPending)
        return;
    m_bRefreshPending = true;
    QMetaObject::invokeMethod(this, &CDlgPftMonitor::Refresh, Qt::QueuedConnection);
}

void CDlgPftMonitor::Refresh()
{
    m_bRefreshPending = false;
    const CPftMonitorText shown(m_model.shownText(), m_model.boundary());
    const bool textChanged = shown.text() != m_shown.text();
    const bool boundaryChanged = shown.boundary() != m_shown.boundary();
    m_shown = shown;

    if (textChanged) {
        // Replacing the text scrolls to the top; the reader's place is kept where it still shows
        // the boundary line.
        QScrollBar *bar = m_edit->verticalScrollBar();
        const int scrolled = bar->value();
        m_edit->setPlainText(m_shown.text());
        bar->setValue(scrolled);
    }
    if (textChanged || boundaryChanged) {
        // An unchanged pre-roll leaves the reader's selection and scrolling alone. A scroll bar
        // that comes or goes with the new text wraps the lines anew: reveal once more then.
        RevealBoundary();
        m_bRevealAgain = true;
        ScheduleMarkerUpdate();
    }

    const QString &current = m_model.currentMember();
    if (!current.isEmpty())
        setWindowTitle(memberName(current) + CStringTable::get(kTitleSuffix));
    UpdateMarker();
}

void CDlgPftMonitor::RevealBoundary()
{
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(qBound(0, m_shown.boundary(), m_edit->document()->characterCount() - 1));
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
}

void CDlgPftMonitor::KeepBoundaryInView()
{
    // Seen before the text box lays its lines out again, so wrapping cannot push it away.
    if (m_strip->hasMarker())
        m_bRevealAgain = true;
    ScheduleMarkerUpdate();
}

void CDlgPftMonitor::UpdateMarker()
{
    // A hidden window is brought up to date when it is shown.
    if (!isVisible())
        return;
    // Nobody's pre-roll yet: there is no line to point at.
    if (m_model.currentMember().isEmpty()) {
        m_strip->setMarker(-1, 0);
        return;
    }
    if (m_strip->rect().isEmpty()) {
        WriteLog(QStringLiteral("CDlgPftMonitor::GetLeftSideRect() failed."));
        m_strip->setMarker(-1, 0);
        return;
    }
    if (QFontMetrics(m_edit->font()).height() <= 0) {
        WriteLog(QStringLiteral("CDlgPftMonitor::GetEditTextMetrics() failed."));
        m_strip->setMarker(-1, 0);
        return;
    }
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(qBound(0, m_shown.boundary(), m_edit->document()->characterCount() - 1));
    const QRect line = m_edit->cursorRect(cursor);
    int center = line.center().y();
    if (m_shown.boundaryAfterLastLine())
        center += line.height();
    if (center < 0 || center >= m_edit->viewport()->height()) {
        m_strip->setMarker(-1, line.height());
        return;
    }
    const QPoint inWindow = m_edit->viewport()->mapTo(this, QPoint(0, center));
    m_strip->setMarker(m_strip->mapFrom(this, inWindow).y(), line.height());
}

void CDlgPftMonitor::ScheduleMarkerUpdate()
{
    if (m_bMarkerUpdatePending)
        return;
    m_bMarkerUpdatePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bMarkerUpdatePending = false;
            // A selection the reader is making wins over the boundary.
            if (m_bRevealAgain && !m_edit->textCursor().hasSelection())
                RevealBoundary();
            m_bRevealAgain = false;
            UpdateMarker();
        },
        Qt::QueuedConnection);
}

void CDlgPftMonitor::OnFontChanged()
{
    // Line heights change with the font; the text box lays out again first.
    KeepBoundaryInView();
}

void CDlgPftMonitor::resizeEvent(QResizeEvent *event)
{
    CToolWindow::resizeEvent(event);
    KeepBoundaryInView();
    UpdateMarker();
}

void CDlgPftMonitor::showEvent(QShowEvent *event)
{
    CToolWindow::showEvent(event);
    // Whoever opens the monitor wants to see what comes next.
    m_bRevealAgain = true;
    ScheduleMarkerUpdate();
}

bool CDlgPftMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport shrinks when a scroll bar appears, and the lines wrap anew.
    if (watched == m_edit->viewport() && event->type() == QEvent::Resize)
        KeepBoundaryInView();
    return CToolWindow::eventFilter(watched, event);
}
