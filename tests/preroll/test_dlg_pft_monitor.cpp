#include "preroll/CDlgPftMonitor.h"

#include "ToolWindowBed.h"
#include "core/StringTable.h"
#include "members/CMemberEntry.h"
#include "members/CMemberList.h"
#include "preroll/CPftMarkerStrip.h"
#include "preroll/CPftMonitorModel.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

namespace {

const QString kAlice = u"127.0.5.1"_qs;
const QString kBob = u"127.0.5.2"_qs;
const QString kStranger = u"127.0.5.9"_qs;
const QString kOwn = QString(CPftMonitorModel::kOwnAddress);

void drainEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QStringList numbered(const QString &stem, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << stem + QString::number(i);
    return lines;
}

// A shown monitor over its own model and member list.
struct Rig
{
    ToolWindowBed bed;
    CMemberList members{[] { return qint64(1700000000); }};
    CPftMonitorModel model;
    std::unique_ptr<CDlgPftMonitor> dlg;

    // What the model holds before the window is made is shown at once.
    explicit Rig(const QString &before = QString())
    {
        if (!before.isEmpty())
            model.SetLatter(kOwn, before, 1000, 1000);
        dlg = std::make_unique<CDlgPftMonitor>(bed.host(), model, members);
        model.setView(dlg.get());
        dlg->CopyConfigToWindow();
        dlg->setGeometry(100, 100, 300, 200);
        dlg->ShowWindow();
        drainEvents();
    }
    ~Rig() { model.setView(nullptr); }

    void addMember(const QString &address, const QString &name)
    {
        CMemberEntry entry;
        entry.strAddress = address;
        entry.strName = name;
        entry.nKind = CMemberEntry::kKindQuorel;
        members.updateMember(entry);
    }
    // As a shared-protocol peer (or the own pre-roll) delivers it: cleared, then line by line.
    void lineByLine(const QString &address, const QStringList &former, const QStringList &latter)
    {
        model.ClearFormer(address);
        for (const QString &line : former)
            model.AppendFormerLine(address, line);
        model.ClearLatter(address);
        for (const QString &line : latter)
            model.AppendLatterLine(address, line);
        drainEvents();
    }
    QString shown() const { return dlg->edit()->toPlainText(); }
    // The marker's centre in the text box's viewport.
    int markerY() const
    {
        const CPftMarkerStrip *strip = dlg->markerStrip();
        const QPoint inWindow = strip->mapTo(dlg.get(), QPoint(0, strip->markerCenterY()));
        return dlg->edit()->viewport()->mapFrom(dlg.get(), inWindow).y();
    }
    // The line (block) of the text beside the marker, -1 while no marker is drawn.
    int markerLine() const
    {
        if (!dlg->markerStrip()->hasMarker())
            return -1;
        return dlg->edit()->cursorForPosition(QPoint(4, markerY())).blockNumber();
    }
    QRect lineRect(int block) const
    {
        return dlg->edit()->cursorRect(QTextCursor(dlg->edit()->document()->findBlockByNumber(block)));
    }
};

} // namespace

// The pre-roll monitor window over its model: the text of the last sender, the marker on the
// line that member sends next, and the reader's own scrolling.
class DlgPftMonitorTest final : public QObject
{
    Q_OBJECT

private slots:
    void markerFollowsScrollingAndResizing()
    {
        Rig rig(u"shown at once\r\n"_qs);
        QCOMPARE(rig.shown(), u"shown at once\n"_qs);
        // A native record's former text need not end with a line end; with no latter text the
        // next line to send is below the last line shown.
        rig.model.SetFormer(kAlice, u"one\r\ntwo"_qs, 1000, 1100);
        rig.model.SetLatter(kAlice, QString(), 1000, 1100);
        drainEvents();
        QCOMPARE(rig.shown(), u"one\ntwo"_qs);
        const QRect rect = rig.lineRect(1);
        QCOMPARE(rig.markerY(), rect.center().y() + rect.height());
        rig.lineByLine(kAlice, numbered(u"a line well before the boundary "_qs, 60),
                       numbered(u"a line after the boundary "_qs, 5));
        QScrollBar *bar = rig.dlg->edit()->verticalScrollBar();
        // The boundary line was brought into view.
        QVERIFY(bar->value() > 0);
        QCOMPARE(rig.markerLine(), 60);
        bar->setValue(0);
        QVERIFY(!rig.dlg->markerStrip()->hasMarker());
        // Narrow enough to wrap every line: the marker stays beside the same line.
        rig.dlg->resize(90, 260);
        drainEvents();
        rig.dlg->edit()->ensureCursorVisible();
        drainEvents();
        QVERIFY(rig.dlg->edit()->document()->findBlockByNumber(60).layout()->lineCount() > 1);
        QCOMPARE(rig.markerLine(), 60);
        QCOMPARE(rig.markerY(), rig.lineRect(60).center().y());
        // A hidden window catches up when shown again.
        rig.dlg->HideWindow();
        rig.lineByLine(kAlice, numbered(u"before "_qs, 20), numbered(u"after "_qs, 5));
        rig.dlg->ShowWindow();
        drainEvents();
        QCOMPARE(rig.markerLine(), 20);
    }

    void readersPlaceKeptWhileTheBoundaryShows()
    {
        Rig rig;
        const QStringList former = numbered(u"before "_qs, 30);
        rig.lineByLine(kAlice, former, numbered(u"after "_qs, 30));
        QScrollBar *bar = rig.dlg->edit()->verticalScrollBar();
        const int settled = bar->value();
        // The reader scrolls on a little; the boundary line is still in view.
        bar->setValue(settled + 2);
        rig.lineByLine(kAlice, former, numbered(u"changed "_qs, 30));
        QCOMPARE(bar->value(), settled + 2);
        QCOMPARE(rig.markerLine(), 30);
        // Scrolled far away: the next change brings the boundary back.
        bar->setValue(bar->maximum());
        QCOMPARE(rig.markerLine(), -1);
        rig.lineByLine(kAlice, former, numbered(u"again "_qs, 30));
        QCOMPARE(rig.markerLine(), 30);
    }

    void staleRecordsAndHalfTextsLeaveTheWindow()
    {
        Rig rig;
        rig.model.SetLatter(kAlice, u"a1\r\n\r\n"_qs, 5001000, 5001010);
        drainEvents();
        QCOMPARE(rig.shown(), u"a1\n\n"_qs);
        // Stale records change nothing in the window, not even the reader's selection.
        rig.dlg->OnForwardedCommand(CDlgPftMonitor::kSelectAllCommand);
        QCOMPARE(rig.dlg->edit()->textCursor().selectionEnd(),
                 rig.dlg->edit()->document()->characterCount() - 1);
        QVERIFY(!rig.model.SetLatter(kAlice, u"stale\r\n"_qs, 5000500, 5001005));
        drainEvents();
        QVERIFY(rig.dlg->edit()->textCursor().hasSelection());
        // A shared-protocol peer takes over line by line; the window waits for the whole text.
        rig.model.ClearFormer(kBob);
        rig.model.AppendFormerLine(kBob, u"q0"_qs);
        QVERIFY(rig.dlg->refreshPending());
        QCOMPARE(rig.shown(), u"a1\n\n"_qs);
        rig.model.ClearLatter(kBob);
        rig.model.AppendLatterLine(kBob, u"q1"_qs);
        drainEvents();
        QCOMPARE(rig.shown(), u"q0\nq1\n"_qs);
        QCOMPARE(rig.markerLine(), 1);
    }

    void titleNamesTheMember()
    {
        Rig rig;
        CConfig &config = rig.bed.config();
        // Without a name, the address.
        QCOMPARE(rig.dlg->memberName(kOwn), kOwn);
        QCOMPARE(rig.dlg->memberName(kStranger), kStranger);
        rig.addMember(kAlice, QString());
        QCOMPARE(rig.dlg->memberName(kAlice), kAlice);
        rig.addMember(kAlice, u"alice"_qs);
        QCOMPARE(rig.dlg->memberName(kAlice), u"alice"_qs);
        // The own pre-roll takes the own name, even when the own address is a member too.
        config.SetString(u"communication.name"_qs, u"me"_qs);
        rig.addMember(kOwn, u"other"_qs);
        QCOMPARE(rig.dlg->memberName(kOwn), u"me"_qs);
        rig.lineByLine(kAlice, {u"x"_qs}, {u"y"_qs});
        QCOMPARE(rig.dlg->windowTitle(), u"alice"_qs + CStringTable::get(159));
    }
};

QTEST_MAIN(DlgPftMonitorTest)
#include "test_dlg_pft_monitor.moc"
