#include "../app/MainWindowTestSupport.h"
#include "TestHome.h"
#include "app/CMainWindow.h"
#include "app/wiring/InstallWindows.h"
#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "net/CNetController.h"
#include "preroll/CDlgPftMonitor.h"
#include "preroll/CPftMarkerStrip.h"

#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace {

int markerLine(CDlgPftMonitor &monitor)
{
    const CPftMarkerStrip *strip = monitor.markerStrip();
    if (!strip->hasMarker())
        return -1;
    const QPoint inWindow = strip->mapTo(&monitor, QPoint(0, strip->markerCenterY()));
    const QPoint inView = monitor.edit()->viewport()->mapFrom(&monitor, inWindow);
    return monitor.edit()->cursorForPosition(QPoint(4, inView.y())).blockNumber();
}

} // namespace

// The monitor as the main window creates it and the controller feeds it.
class DlgPftMonitorAppTest final : public QObject
{
    Q_OBJECT

private slots:
    void ownPrerollThroughTheController()
    {
        TestHome home;
        {
            FakeAdapters adapters; // none: the main window never binds a socket
            CMainWindow main(&adapters);
            main.config().SetString(QStringLiteral("communication.name"), QStringLiteral("me"));
            InstallPrerollWindows(main);
            // What the editor sent before the monitor was first opened is shown at once.
            main.net().SendPreroll({QStringLiteral("one"), QStringLiteral("two")},
                                   {QStringLiteral("three"), QString()});
            main.OnCommand(CommandId::TogglePrerollMonitor);
            auto *monitor =
                dynamic_cast<CDlgPftMonitor *>(main.toolWindow(CMainWindow::ToolWindow::PrerollMonitor));
            QVERIFY(monitor);
            QVERIFY(monitor->isShown());
            drainEvents();
            QCOMPARE(monitor->edit()->toPlainText(), QStringLiteral("one\ntwo\nthree\n\n"));
            QCOMPARE(monitor->windowTitle(), QStringLiteral("me") + CStringTable::get(159));
            QCOMPARE(markerLine(*monitor), 2);

            // The caret moved on a line in the editor.
            main.net().SendPreroll({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")},
                                   {QStringLiteral("four"), QString()});
            drainEvents();
            QCOMPARE(monitor->edit()->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour\n\n"));
            QCOMPARE(markerLine(*monitor), 3);

            main.OnCommand(CommandId::TogglePrerollMonitor);
            QVERIFY(!monitor->isShown());
            main.OnCommand(CommandId::TogglePrerollMonitor);
            QVERIFY(monitor->isShown());
        }
        QVERIFY(operationLogLines().contains(QStringLiteral("CDlgPftMonitor destroyed.")));
    }
};

QTEST_MAIN(DlgPftMonitorAppTest)
#include "test_dlg_pft_monitor_app.moc"
