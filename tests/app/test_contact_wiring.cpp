#include "MainWindowTestSupport.h"
#include "contact/CDlgChat.h"
#include "contact/CInputChatBox.h"
#include "core/CommandIds.h"
#include "members/CDlgMember.h"

#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

// The two windows as the main window creates and feeds them, offline.
class DlgChatAppTest final : public QObject
{
    Q_OBJECT

private slots:
    void enterGoesThroughTheContactPath()
    {
        MainWindowUnderTest t; // no adapters: the main window never binds a socket
        CMainWindow &main = t.window;
        main.config().SetString(QStringLiteral("communication.name"), QStringLiteral("me"));
        InstallContactWindows(main);
        main.OnCommand(CommandId::ToggleContact);
        auto *chat = dynamic_cast<CDlgChat *>(main.toolWindow(CMainWindow::ToolWindow::Contact));
        QVERIFY(chat);
        QVERIFY(chat->isShown());

        QTest::keyClicks(chat->inputBox(), QStringLiteral("hello"));
        QTest::keyClick(chat->inputBox(), Qt::Key_Return);
        drainEvents();
        // The send path puts the member name and the speaker delimiter in front.
        QCOMPARE(chat->log()->toPlainText(), QStringLiteral("me／hello\n"));
        QVERIFY(chat->isFlashing());
        QCOMPARE(main.contacts().count(), 1);

        // The turn timer's messages take the same road.
        chat->OnForwardedCommand(CommandId::TimerStop); // stopped already: nothing sent
        chat->OnForwardedCommand(CommandId::TimerStart);
        drainEvents();
        QVERIFY(chat->log()->toPlainText().contains(
            QStringLiteral("me／タイマーを開始しました（残り5分0秒）。 (")));
    }

    void memberMonitorFollowsTheMainWindowsList()
    {
        MainWindowUnderTest t;
        CMainWindow &main = t.window;
        InstallMemberWindows(main);
        main.OnCommand(CommandId::ToggleMemberMonitor);
        auto *monitor = dynamic_cast<CDlgMember *>(main.toolWindow(CMainWindow::ToolWindow::MemberMonitor));
        QVERIFY(monitor);
        CMemberEntry entry;
        entry.strAddress = QStringLiteral("127.0.40.2");
        entry.strName = QStringLiteral("bob");
        entry.nKind = CMemberEntry::kKindNative;
        main.members().updateMember(entry);
        QCOMPARE(monitor->list()->rowCount(), 1);

        // Hidden by its close button, it asks for the check marks and stays alive.
        monitor->close();
        QVERIFY(!monitor->isShown());
        main.OnCommand(CommandId::ToggleMemberMonitor);
        QCOMPARE(main.toolWindow(CMainWindow::ToolWindow::MemberMonitor), monitor);
        QVERIFY(monitor->isShown());
    }
};

QTEST_MAIN(DlgChatAppTest)
#include "test_contact_wiring.moc"
