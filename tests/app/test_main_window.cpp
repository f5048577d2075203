#include "MainWindowTestSupport.h"
#include "TestHome.h"

#include "core/CommandIds.h"
#include "app/CMainWindow.h"
#include "config/CConfig.h"
#include "core/AppPaths.h"
#include "core/CDialogs.h"
#include "display/CDlgMain.h"
#include "net/CNetController.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

// Loopback addresses 127.0.30.x and channels 7 and 8 belong to this executable.
class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void composeTitle_data();
    void composeTitle();
    void shortVersion_data();
    void shortVersion();
    void autoLoginOnOneAdapterWithName();
    void loginDialogOtherwise_data();
    void loginDialogOtherwise();
    void failedLoginShowsSessionMessage();
    void createFillsBlankLines();
    void toggleThreeTimes_data();
    void toggleThreeTimes();
    void toggleWithoutWindow_data();
    void toggleWithoutWindow();
    void windowHidingItselfClearsCheckMark();
    void displayKeyCreatesWindowAtStart();
    void forwardedCommandArrivesAfterHandler();
    void coverShownAtFirstIdlePass();
    void exitAsksAndEndsTheRun_data();
    void exitAsksAndEndsTheRun();
    void destroySavesByStartupType_data();
    void destroySavesByStartupType();
    void destroyOrder();
    void deletedWithoutClosingFreesPorts();
};

void TestMainWindow::composeTitle_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("expected");

    QTest::newRow("online") << "1.4.1.0" << true << "member1" << 3 << 2
                            << QStringLiteral("tavrin 1.4 [member1] 3チャンネル B班 (CTRL+D)");
    QTest::newRow("offline") << "1.4.1.0" << false << "member1" << 3 << 2
                             << QStringLiteral("tavrin 1.4 (オフライン) (CTRL+D)");
    QTest::newRow("last channel and group") << "1.4.1.0" << true << "m" << 12 << 26
                                            << QStringLiteral("tavrin 1.4 [m] 12チャンネル Z班 (CTRL+D)");
    QTest::newRow("first group") << "1.4.1.0" << true << "m" << 1 << 1
                                 << QStringLiteral("tavrin 1.4 [m] 1チャンネル A班 (CTRL+D)");
    QTest::newRow("no version") << "" << false << "" << 1 << 1 << QStringLiteral("tavrin (オフライン) (CTRL+D)");
}

void TestMainWindow::composeTitle()
{
    QFETCH(QString, version);
    QFETCH(bool, online);
    QFETCH(QString, name);
    QFETCH(int, channel);
    QFETCH(int, group);
    QFETCH(QString, expected);
    QCOMPARE(CMainWindow::ComposeTitle(version, online, name, channel, group), expected);
}

void TestMainWindow::shortVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expected");
    QTest::newRow("four parts") << "1.4.1.0" << "1.4";
    QTest::newRow("three parts") << "2.10.3" << "2.10";
    QTest::newRow("two parts") << "1.4" << "1.4";
    QTest::newRow("one part") << "7" << "7";
}

void TestMainWindow::shortVersion()
{
    QFETCH(QString, version);
    QFETCH(QString, expected);
    QCOMPARE(CMainWindow::ShortVersion(version), expected);
}

void TestMainWindow::autoLoginOnOneAdapterWithName()
{
    TestHome home;
    MainWindowUnderTest t({FakeAdapters::loopback(1)});
    CConfig &config = t.window.config();
    config.SetString(QStringLiteral("communication.name"), QStringLiteral("member1"));
    config.SetInt(QStringLiteral("communication.channel_i"), 7);
    config.SetInt(QStringLiteral("communication.group_i"), 2);

    QVERIFY(t.window.Create());

    QCOMPARE(t.dialogShown, 0);
    QVERIFY(t.window.net().isOnline());
    QVERIFY(operationLogLines().contains(QStringLiteral("auto login because NIC exists only one.")));
    QCOMPARE(t.window.displayWindow()->windowTitle(), QStringLiteral("tavrin 1.4 [member1] 7チャンネル B班 (CTRL+D)"));

    t.window.net().SetOffline();
    QCOMPARE(t.window.displayWindow()->windowTitle(), QStringLiteral("tavrin 1.4 (オフライン) (CTRL+D)"));
    t.window.Destroy();
}

void TestMainWindow::loginDialogOtherwise_data()
{
    QTest::addColumn<QList<AdapterEntry>>("adapters");
    QTest::addColumn<QString>("name");

    QTest::newRow("two adapters") << QList<AdapterEntry>{FakeAdapters::loopback(2), FakeAdapters::loopback(3)}
                                  << "member1";
    QTest::newRow("empty name") << QList<AdapterEntry>{FakeAdapters::loopback(2)} << "";
    QTest::newRow("no adapter") << QList<AdapterEntry>{} << "member1";
}

void TestMainWindow::loginDialogOtherwise()
{
    QFETCH(QList<AdapterEntry>, adapters);
    QFETCH(QString, name);
    TestHome home;
    MainWindowUnderTest t(adapters);
    t.window.config().SetString(QStringLiteral("communication.name"), name);
    t.window.config().SetInt(QStringLiteral("communication.channel_i"), 7);

    QVERIFY(t.window.Create());

    QCOMPARE(t.dialogShown, 1);
    QCOMPARE(t.adaptersOffered, adapters.size());
    QVERIFY(!t.window.net().isOnline());
    QVERIFY(operationLogLines().contains(QStringLiteral("CMainWindow::DoFileConnect() Dialog return code: : -1")));
    QCOMPARE(t.window.title(), QStringLiteral("tavrin 1.4 (オフライン) (CTRL+D)"));
    t.window.Destroy();
}

void TestMainWindow::failedLoginShowsSessionMessage()
{
    TestHome home;
    // Channel 8's login port on the member's address is taken by another program.
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress(QStringLiteral("127.0.30.9")), 6722 + 7 * 100));
    MainWindowUnderTest t({FakeAdapters::loopback(9)});
    t.window.config().SetInt(QStringLiteral("communication.channel_i"), 8);
    t.dialogAnswer = 0;

    QVERIFY(t.window.Create());

    QCOMPARE(t.dialogShown, 1);
    QVERIFY(!t.window.net().isOnline());
    QCOMPARE(t.messages.size(), 1);
    QCOMPARE(t.messages.first(), QStringLiteral("エラー|同じネットワークポートが別のプログラムに使われています。\r\n"
                                               "別チャンネルを指定して再ログインしてみてください。"));
    QVERIFY(t.window.title().contains(QStringLiteral("(オフライン)")));
    t.window.Destroy();
}

void TestMainWindow::createFillsBlankLines()
{
    TestHome home;
    MainWindowUnderTest t;
    t.window.config().SetInt(QStringLiteral("main.line.max_i"), 30);
    QVERIFY(t.window.Create());

    QCOMPARE(t.window.captions().count(), 30);
    QCOMPARE(t.window.lastLoggedLine(), 30);
    QVERIFY(t.window.captions().at(29)->strRaw.isEmpty());
    QCOMPARE(t.window.undoMarker(), QStringLiteral("\t（1行取り消し）"));
    QCOMPARE(t.window.clearMarker(), QStringLiteral("\t（画面クリア）"));
    t.window.Destroy();
}

void TestMainWindow::toggleThreeTimes_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("displayKey");

    using W = CMainWindow::ToolWindow;
    QTest::newRow("input") << CommandId::ToggleInput << int(W::Input) << "input.display_i";
    QTest::newRow("member monitor") << CommandId::ToggleMemberMonitor << int(W::MemberMonitor) << "monitor.display_i";
    QTest::newRow("contact") << CommandId::ToggleContact << int(W::Contact) << "chat.display_i";
    QTest::newRow("pre-roll") << CommandId::TogglePreroll << int(W::Preroll) << "pft.display_i";
    QTest::newRow("pre-roll monitor") << CommandId::TogglePrerollMonitor << int(W::PrerollMonitor)
                                      << "pft_monitor.display_i";
    QTest::newRow("function keys") << CommandId::ToggleFunctionKeys << int(W::FunctionKeys) << "fkey.display_i";
    QTest::newRow("log viewer") << CommandId::ToggleLogViewer << int(W::LogViewer) << "";
}

void TestMainWindow::toggleThreeTimes()
{
    QFETCH(int, command);
    QFETCH(int, window);
    QFETCH(QString, displayKey);
    TestHome home;
    MainWindowUnderTest t;
    int created = 0;
    const auto which = static_cast<CMainWindow::ToolWindow>(window);
    t.window.setToolWindowFactory(which, [&created](CMainWindow &) { return std::make_unique<StandInTool>(&created); });
    if (!displayKey.isEmpty())
        t.window.config().SetInt(displayKey, 0);
    QVERIFY(t.window.Create());
    QCOMPARE(created, 0);
    CDlgMain *display = t.window.displayWindow();
    QVERIFY(!display->isChecked(command));

    t.window.OnCommand(command);
    QCOMPARE(created, 1);
    QVERIFY(t.window.toolWindow(which)->isShown());
    QVERIFY(display->isChecked(command));
    if (!displayKey.isEmpty()) {
        qint32 value = 0;
        QVERIFY(t.window.config().GetInt(displayKey, value));
        QCOMPARE(value, 1);
    }

    t.window.OnCommand(command);
    drainEvents();
    QVERIFY(!t.window.toolWindow(which)->isShown());
    QVERIFY(!display->isChecked(command));

    t.window.OnCommand(command);
    QCOMPARE(created, 1);
    QVERIFY(t.window.toolWindow(which)->isShown());
    QVERIFY(display->isChecked(command));
    t.window.Destroy();
}

void TestMainWindow::toggleWithoutWindow_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("displayKey");
    QTest::newRow("input") << CommandId::ToggleInput << "input.display_i";
    QTest::newRow("member monitor") << CommandId::ToggleMemberMonitor << "monitor.display_i";
    QTest::newRow("function keys") << CommandId::ToggleFunctionKeys << "fkey.display_i";
}

void TestMainWindow::toggleWithoutWindow()
{
    QFETCH(int, command);
    QFETCH(QString, displayKey);
    TestHome home;
    MainWindowUnderTest t;
    QVERIFY(t.window.Create());

    for (int i = 0; i < 3; ++i) {
        t.window.OnCommand(command);
        drainEvents();
        // A window that could not be made stays absent and unchecked; the wish to show it stays.
        QVERIFY(!t.window.displayWindow()->isChecked(command));
        qint32 value = 0;
        QVERIFY(t.window.config().GetInt(displayKey, value));
        QCOMPARE(value, 1);
    }
    t.window.Destroy();
}

void TestMainWindow::windowHidingItselfClearsCheckMark()
{
    TestHome home;
    MainWindowUnderTest t;
    t.window.setToolWindowFactory(CMainWindow::ToolWindow::Contact,
                                  [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    t.window.config().SetInt(QStringLiteral("chat.display_i"), 0);
    QVERIFY(t.window.Create());
    t.window.OnCommand(CommandId::ToggleContact);
    QVERIFY(t.window.displayWindow()->isChecked(CommandId::ToggleContact));

    // The close button of the tool window: it hides itself and posts the refresh.
    t.window.toolWindow(CMainWindow::ToolWindow::Contact)->HideWindow();
    t.window.PostCommand(CommandId::RefreshWindowState);
    QVERIFY(t.window.displayWindow()->isChecked(CommandId::ToggleContact));
    drainEvents();
    QVERIFY(!t.window.displayWindow()->isChecked(CommandId::ToggleContact));
    t.window.Destroy();
}

void TestMainWindow::displayKeyCreatesWindowAtStart()
{
    TestHome home;
    MainWindowUnderTest t;
    int created = 0;
    t.window.setToolWindowFactory(CMainWindow::ToolWindow::FunctionKeys,
                                  [&created](CMainWindow &) { return std::make_unique<StandInTool>(&created); });
    t.window.config().SetInt(QStringLiteral("fkey.display_i"), 1);
    QVERIFY(t.window.Create());

    QCOMPARE(created, 1);
    auto *tool = static_cast<StandInTool *>(t.window.toolWindow(CMainWindow::ToolWindow::FunctionKeys));
    QVERIFY(tool->isShown());
    QCOMPARE(tool->copiedIn, 1);
    QVERIFY(t.window.displayWindow()->isChecked(CommandId::ToggleFunctionKeys));
    QVERIFY(!t.window.displayWindow()->isChecked(CommandId::ToggleInput));
    t.window.Destroy();
}

void TestMainWindow::forwardedCommandArrivesAfterHandler()
{
    TestHome home;
    MainWindowUnderTest t;
    t.window.setToolWindowFactory(CMainWindow::ToolWindow::MemberMonitor,
                                  [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    t.window.config().SetInt(QStringLiteral("monitor.display_i"), 1);
    QVERIFY(t.window.Create());
    auto *tool = static_cast<StandInTool *>(t.window.toolWindow(CMainWindow::ToolWindow::MemberMonitor));
    QVERIFY(tool);

    // From the display window's menu.
    t.window.displayWindow()->OnCommand(CommandId::MonitorLostBackground);
    QVERIFY(tool->forwarded.isEmpty());
    drainEvents();
    QCOMPARE(tool->forwarded, QList<int>{CommandId::MonitorLostBackground});

    t.window.OnCommand(CommandId::MonitorFont);
    QCOMPARE(tool->forwarded, QList<int>{CommandId::MonitorLostBackground});
    drainEvents();
    QCOMPARE(tool->forwarded, (QList<int>{CommandId::MonitorLostBackground, CommandId::MonitorFont}));
    t.window.Destroy();
}

void TestMainWindow::coverShownAtFirstIdlePass()
{
    TestHome home;
    MainWindowUnderTest t;
    StandInTool *cover = nullptr;
    t.window.setCoverWindowFactory([&cover](CMainWindow &) {
        auto window = std::make_unique<StandInTool>();
        cover = window.get();
        return window;
    });
    t.window.config().SetInt(QStringLiteral("hide.display_i"), 1);
    QVERIFY(t.window.Create());
    QVERIFY(cover);
    QVERIFY(!cover->isShown());

    drainEvents();
    QVERIFY(cover->isShown());
    QVERIFY(t.window.coverShown());
    QVERIFY(t.window.displayWindow()->isChecked(CommandId::ToggleCover));

    t.window.OnCommand(CommandId::ToggleCover);
    QVERIFY(!cover->isShown());
    QVERIFY(!t.window.displayWindow()->isChecked(CommandId::ToggleCover));
    t.window.Destroy();
}

void TestMainWindow::exitAsksAndEndsTheRun_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestMainWindow::exitAsksAndEndsTheRun()
{
    QFETCH(bool, confirmed);
    TestHome home;
    MainWindowUnderTest t;
    QVERIFY(t.window.Create());
    QSignalSpy quit(&t.window, &CMainWindow::quitRequested);
    CDialogs::setScripted(true);
    CDialogs::queueAnswer(confirmed ? CDialogs::Answer::Ok : CDialogs::Answer::Cancel);

    t.window.displayWindow()->OnCommand(CommandId::Exit);
    drainEvents();

    QCOMPARE(CDialogs::takeAsked().size(), 1);
    CDialogs::reset();
    QCOMPARE(t.window.isDestroyed(), confirmed);
    QCOMPARE(quit.size(), confirmed ? 1 : 0);
    QCOMPARE(operationLogLines().contains(QStringLiteral("CDlgMain::OnClose() called.")), confirmed);
    if (confirmed)
        QCOMPARE(quit.first().first().toInt(), 0);
    else
        t.window.Destroy();
}

void TestMainWindow::destroySavesByStartupType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("untouched");
    QTest::newRow("no start-up settings") << 0 << "~.tvn" << ".tvn";
    QTest::newRow("settings of the moment") << 1 << "~.tvn" << ".tvn";
    QTest::newRow("settings of the last exit") << 2 << ".tvn" << "~.tvn";
}

void TestMainWindow::destroySavesByStartupType()
{
    QFETCH(int, type);
    QFETCH(QString, written);
    QFETCH(QString, untouched);
    TestHome home;
    MainWindowUnderTest t;
    t.window.config().SetInt(QStringLiteral("miscellaneous.init.type_i"), type);
    QVERIFY(t.window.Create());
    t.window.displayWindow()->setGeometry(40, 50, 300, 200);
    t.window.Destroy();

    const QString base = CAppPaths::JoinPath(home.settingsFolder(), CAppPaths::GetExeBaseName());
    QVERIFY(QFile::exists(base + written));
    QVERIFY(!QFile::exists(base + untouched));
    CConfig saved;
    QVERIFY(saved.LoadFromFile(base + written));
    qint32 width = 0;
    QVERIFY(saved.GetInt(QStringLiteral("main.size.x_i"), width));
    QCOMPARE(width, 300);
}

void TestMainWindow::destroyOrder()
{
    TestHome home;
    MainWindowUnderTest t({FakeAdapters::loopback(4)});
    t.window.config().SetString(QStringLiteral("communication.name"), QStringLiteral("member4"));
    t.window.config().SetInt(QStringLiteral("communication.channel_i"), 7);
    QVERIFY(t.window.Create());
    QVERIFY(t.window.net().isOnline());
    QVERIFY(t.window.net().heartbeatActive());
    QSignalSpy quit(&t.window, &CMainWindow::quitRequested);

    t.window.Destroy();

    QVERIFY(!t.window.net().isOnline());
    QVERIFY(!t.window.net().heartbeatActive());
    QCOMPARE(t.window.displayWindow(), nullptr);
    QCOMPARE(quit.size(), 1);
    const QStringList lines = operationLogLines();
    const auto at = [&lines](const QString &line) { return lines.indexOf(line); };
    const qsizetype begins = at(QStringLiteral("CMainWindow::OnDestroy() begins."));
    QVERIFY(begins >= 0);
    QVERIFY(at(QStringLiteral("DlgMain::CopyWindowToConfig begins.")) > begins);
    QVERIFY(at(QStringLiteral("CMainWindow::SetOffline() begins.")) > at(QStringLiteral("DlgMain::CopyWindowToConfig begins.")));
    QVERIFY(at(QStringLiteral("CDlgMain::OnDestroy() called.")) > at(QStringLiteral("CMainWindow::SetOffline() begins.")));
    QCOMPARE(lines.last(), QStringLiteral("CMainWindow::OnDestroy() finishes."));
}

void TestMainWindow::deletedWithoutClosingFreesPorts()
{
    TestHome home;
    {
        MainWindowUnderTest t({FakeAdapters::loopback(5)});
        t.window.config().SetString(QStringLiteral("communication.name"), QStringLiteral("member5"));
        t.window.config().SetInt(QStringLiteral("communication.channel_i"), 8);
        QVERIFY(t.window.Create());
        QVERIFY(t.window.net().isOnline());
    }
    // The native port of channel 8 on the member's address is free again.
    QUdpSocket after;
    QVERIFY(after.bind(QHostAddress(QStringLiteral("127.0.30.5")), 6632 + 8));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
