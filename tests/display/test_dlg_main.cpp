#include "TestHome.h"

#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "display/CDlgMain.h"
#include "timeline/ReceivedMain.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// Every item of a menu and its submenus, separators left out.
QList<QAction *> items(const QList<QAction *> &actions)
{
    QList<QAction *> out;
    for (QAction *action : actions) {
        if (action->isSeparator())
            continue;
        if (QMenu *sub = action->menu())
            out += items(sub->actions());
        else
            out.append(action);
    }
    return out;
}

QAction *findItem(const QList<QAction *> &actions, int command)
{
    for (QAction *action : items(actions)) {
        if (action->data().toInt() == command)
            return action;
    }
    return nullptr;
}

int intKey(const CConfig &config, const QString &key)
{
    qint32 value = -1;
    config.GetInt(key, value);
    return value;
}

} // namespace

class TestDlgMain final : public QObject
{
    Q_OBJECT

private slots:
    void menu101Items_data();
    void menu101Items();
    void menu101HasNothingElse();
    void topMenus();
    void contextMenu125_data();
    void contextMenu125();
    void commandsGoToMainWindow_data();
    void commandsGoToMainWindow();
    void clickDoesNotFlipCheckMark();
    void exitAsksFirst_data();
    void exitAsksFirst();
    void closingIsTheExitCommand();
    void placementRoundTrip();
    void maximisedPlacement();
    void coverCheckFollowsSettings_data();
    void coverCheckFollowsSettings();
};

void TestDlgMain::menu101Items_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("text");
    using namespace CommandId;
    QTest::newRow("connect") << Connect << QStringLiteral("LANカードを選んで（再）接続... (&L)\tCtrl+L");
    QTest::newRow("open") << FileOpen << QStringLiteral("設定ファイルを開く...(&O)\tCtrl+O");
    QTest::newRow("save as") << FileSaveAs << QStringLiteral("設定に名前をつけて保存...(&A)\tCtrl+S");
    QTest::newRow("exit") << Exit << QStringLiteral("終了...(&X)\tAlt+F4");
    QTest::newRow("input window") << ToggleInput << QStringLiteral("入力ウインドウ(&I)\tShift+Ctrl+I");
    QTest::newRow("member monitor") << ToggleMemberMonitor
                                    << QStringLiteral("入力モニターウインドウ(&M)\tShift+Ctrl+M");
    QTest::newRow("contact") << ToggleContact << QStringLiteral("連絡窓(&C)\tShift+Ctrl+R");
    QTest::newRow("pre-roll") << TogglePreroll << QStringLiteral("前ロールウインドウ(&N)\tShift+Ctrl+N");
    QTest::newRow("pre-roll monitor")
        << TogglePrerollMonitor << QStringLiteral("前ロールモニター(&T)\tShift+Ctrl+T");
    QTest::newRow("function keys") << ToggleFunctionKeys
                                   << QStringLiteral("Fキーウインドウ(&F)\tShift+Ctrl+F");
    QTest::newRow("log viewer") << ToggleLogViewer
                                << QStringLiteral("ここまでのログを見る(&L)\tShift+Ctrl+G");
    QTest::newRow("frameless") << Frameless << QStringLiteral("ウインドウの枠を消す(&H)\tF1");
    QTest::newRow("cover") << ToggleCover << QStringLiteral("ウインドウ以外を単一色でカバー (&S)");
    QTest::newRow("cover colour") << CoverColor << QStringLiteral("ウインドウ以外をカバーする色... (&S)");
    QTest::newRow("display settings") << DisplaySettings << QStringLiteral("表示... (&D)");
    QTest::newRow("display font") << DisplayFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("display background") << DisplayBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("outline colour") << DisplayOutlineColor << QStringLiteral("縁取りの色... (&O)");
    QTest::newRow("input settings") << InputSettings << QStringLiteral("入力... (&I)");
    QTest::newRow("input font") << InputFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("input background") << InputBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("monitor font") << MonitorFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("monitor background") << MonitorBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("monitor lost background")
        << MonitorLostBackground << QStringLiteral("通信断の際の背景色... (&L)");
    QTest::newRow("pre-roll monitor font") << PrerollMonitorFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("pre-roll monitor background")
        << PrerollMonitorBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("function keys font") << FunctionKeysFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("function keys background") << FunctionKeysBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("log settings") << LogSettings << QStringLiteral("ログ... (&L)");
    QTest::newRow("web server") << WebServerSettings << QStringLiteral("簡易Webサーバー...(&W)");
    QTest::newRow("start-up settings") << StartupSettings << QStringLiteral("起動時設定...(&N)");
    QTest::newRow("reset") << ResetSettings << QStringLiteral("設定を初期化...(&R)");
    QTest::newRow("language") << Language << QStringLiteral("言語 (language)...");
    QTest::newRow("about") << About << QStringLiteral("バージョン情報(&V)");
}

void TestDlgMain::menu101Items()
{
    QFETCH(int, command);
    QFETCH(QString, text);
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);

    QAction *item = findItem(display.menuBar()->actions(), command);
    QVERIFY(item);
    QCOMPARE(item->text(), text);
    QCOMPARE(display.action(command), item);
    // The key after the tab is shown only; the accelerator tables act on it.
    QVERIFY(item->shortcut().isEmpty());
}

void TestDlgMain::menu101HasNothingElse()
{
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    QCOMPARE(items(display.menuBar()->actions()).size(), 34);
}

void TestDlgMain::topMenus()
{
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    QStringList titles;
    for (QAction *action : display.menuBar()->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("ウインドウ(&W)"),
                                  QStringLiteral("設定(&S)"), QStringLiteral("ヘルプ(&H)")}));
}

void TestDlgMain::contextMenu125_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("text");
    QTest::newRow("font") << 0 << CommandId::DisplayFont << QStringLiteral("フォント... (&F)");
    QTest::newRow("background") << 1 << CommandId::DisplayBackground << QStringLiteral("背景色... (&B)");
    QTest::newRow("display settings")
        << 2 << CommandId::DisplaySettings << QStringLiteral("表示設定... (&D)");
    QTest::newRow("frameless") << 3 << CommandId::Frameless << QStringLiteral("ウインドウ枠を消す (&H)");
    QTest::newRow("cover") << 4 << CommandId::ToggleCover
                           << QStringLiteral("ウインドウ以外を単一色でカバー (&S)");
}

void TestDlgMain::contextMenu125()
{
    QFETCH(int, row);
    QFETCH(int, command);
    QFETCH(QString, text);
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    const QList<QAction *> actions = display.contextMenu()->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions.at(row)->text(), text);
    QCOMPARE(actions.at(row)->data().toInt(), command);
}

void TestDlgMain::commandsGoToMainWindow_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("forwarded");
    using namespace CommandId;
    QTest::newRow("connect") << Connect << true;
    QTest::newRow("input window") << ToggleInput << true;
    QTest::newRow("cover") << ToggleCover << true;
    QTest::newRow("function keys font") << FunctionKeysFont << true;
    QTest::newRow("about") << About << true;
    QTest::newRow("display font stays") << DisplayFont << false;
    QTest::newRow("frameless stays") << Frameless << false;
    QTest::newRow("background stays") << DisplayBackground << false;
    QTest::newRow("outline colour stays") << DisplayOutlineColor << false;
    QTest::newRow("display settings stay") << DisplaySettings << false;
    QTest::newRow("input settings") << InputSettings << true;
}

void TestDlgMain::commandsGoToMainWindow()
{
    QFETCH(int, command);
    QFETCH(bool, forwarded);
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    // The display's own dialogs are answered with Cancel.
    display.setFontChooser([](QWidget *, QFont &, QColor &) { return false; });
    display.setColorChooser([](QWidget *, QColor &) { return false; });
    display.setSettingsDialog([](QWidget *, CConfig &) { return false; });
    QSignalSpy requested(&display, &CDlgMain::commandRequested);

    display.action(command)->trigger();

    QCOMPARE(requested.size(), forwarded ? 1 : 0);
    if (forwarded)
        QCOMPARE(requested.first().first().toInt(), command);
}

void TestDlgMain::clickDoesNotFlipCheckMark()
{
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    QAction *input = display.action(CommandId::ToggleInput);
    QVERIFY(input->isCheckable());

    input->trigger();
    QVERIFY(!input->isChecked());
    display.SetChecked(CommandId::ToggleInput, true);
    input->trigger();
    QVERIFY(input->isChecked());
}

void TestDlgMain::exitAsksFirst_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestDlgMain::exitAsksFirst()
{
    QFETCH(bool, confirmed);
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    display.show();
    QSignalSpy requested(&display, &CDlgMain::commandRequested);
    int asked = 0;
    display.setExitConfirmation([&](QWidget *owner) {
        ++asked;
        return owner == &display && confirmed;
    });

    display.action(CommandId::Exit)->trigger();

    QCOMPARE(asked, 1);
    QCOMPARE(requested.size(), confirmed ? 1 : 0);
    if (confirmed)
        QCOMPARE(requested.first().first().toInt(), CommandId::Exit);
    // The main window decides the end; the window itself stays until then.
    QVERIFY(display.isVisible());
}

void TestDlgMain::closingIsTheExitCommand()
{
    TestHome home;
    CConfig config;
    ReceivedMain store;
    CDlgMain display(config, store);
    display.show();
    QSignalSpy requested(&display, &CDlgMain::commandRequested);
    int asked = 0;
    display.setExitConfirmation([&asked](QWidget *) {
        ++asked;
        return true;
    });

    QVERIFY(!display.close());

    QCOMPARE(asked, 0);
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested.first().first().toInt(), CommandId::Exit);
    QVERIFY(operationLogLines().contains(QStringLiteral("CDlgMain::OnClose() called.")));
}

void TestDlgMain::placementRoundTrip()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("main.position.x_i"), 120);
    config.SetInt(QStringLiteral("main.position.y_i"), 80);
    config.SetInt(QStringLiteral("main.size.x_i"), 640);
    config.SetInt(QStringLiteral("main.size.y_i"), 360);
    config.SetInt(QStringLiteral("main.size.config_i"), 1);
    ReceivedMain store;
    CDlgMain display(config, store);

    display.CopyConfigToWindow();
    display.show();
    // Shown normally, whatever the stored maximised flag says.
    QVERIFY(!display.isMaximized());
    display.CopyWindowToConfig();

    QCOMPARE(intKey(config, QStringLiteral("main.position.x_i")), 120);
    QCOMPARE(intKey(config, QStringLiteral("main.position.y_i")), 80);
    QCOMPARE(intKey(config, QStringLiteral("main.size.x_i")), 640);
    QCOMPARE(intKey(config, QStringLiteral("main.size.y_i")), 360);
    QCOMPARE(intKey(config, QStringLiteral("main.size.config_i")), 0);
    const QStringList lines = operationLogLines();
    QVERIFY(lines.contains(QStringLiteral("DlgMain::CopyConfigToWindow begins.")));
    QVERIFY(lines.contains(QStringLiteral("DlgMain::CopyWindowToConfig finished.")));
}

void TestDlgMain::maximisedPlacement()
{
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("main.position.x_i"), 30);
    config.SetInt(QStringLiteral("main.position.y_i"), 40);
    config.SetInt(QStringLiteral("main.size.x_i"), 500);
    config.SetInt(QStringLiteral("main.size.y_i"), 300);
    ReceivedMain store;
    CDlgMain display(config, store);
    display.CopyConfigToWindow();
    display.show();

    display.showMaximized();
    display.CopyWindowToConfig();

    QCOMPARE(intKey(config, QStringLiteral("main.size.config_i")), 1);
    // The normal placement is what comes back at the next start.
    QCOMPARE(intKey(config, QStringLiteral("main.size.x_i")), 500);
    QCOMPARE(intKey(config, QStringLiteral("main.position.x_i")), 30);
}

void TestDlgMain::coverCheckFollowsSettings_data()
{
    QTest::addColumn<int>("hide");
    QTest::newRow("cover on") << 1;
    QTest::newRow("cover off") << 0;
}

void TestDlgMain::coverCheckFollowsSettings()
{
    QFETCH(int, hide);
    TestHome home;
    CConfig config;
    config.SetInt(QStringLiteral("hide.display_i"), hide);
    ReceivedMain store;
    CDlgMain display(config, store);
    display.SetChecked(CommandId::ToggleCover, hide == 0);

    display.CopyConfigToWindow();

    QCOMPARE(display.isChecked(CommandId::ToggleCover), hide == 1);
    const QList<QAction *> context = display.contextMenu()->actions();
    QCOMPARE(context.at(4)->isChecked(), hide == 1);
}

QTEST_MAIN(TestDlgMain)
#include "test_dlg_main.moc"
