#include "MainWindowTestSupport.h"

#include "app/CAcceleratorTables.h"
#include "app/CCaretBlink.h"
#include "app/CWindowTitle.h"
#include "core/AppPaths.h"
#include "core/CommandIds.h"
#include "net/CNetController.h"

#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QVBoxLayout>
#include <QWindow>

namespace {

using W = CMainWindow::ToolWindow;

// Records the keys that reach it, so a test sees whether an accelerator took the key first.
class KeyRecorder final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    QList<QKeyCombination> received;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // The modifier keys arrive on their own first.
        if (event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control)
            received.append(event->keyCombination());
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void title_data();
    void title();
    void loginAtCreation_data();
    void loginAtCreation();
    void failedLoginShowsSessionMessage();
    void toggleThreeTimes_data();
    void toggleThreeTimes();
    void commandsForAWindowArriveAfterTheHandler();
    void windowsFollowTheMinimisedDisplay_data();
    void windowsFollowTheMinimisedDisplay();
    void destroyOrder();
    void deletedWithoutClosingFreesPorts();
    void keys_data();
    void keys();
    void keysRouteThroughTheMainWindow();
    void caretRestsAfterAPause_data();
    void caretRestsAfterAPause();
};

void TestMainWindow::title_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("expected");
    // Online and offline at channel 7, group B: the log-in test.
    QTest::newRow("last channel and group")
        << "1.4.1.0" << true << 12 << 26 << "tavrin 1.4 [m] 12チャンネル Z班 (CTRL+D)";
    QTest::newRow("version of three parts")
        << "2.10.3" << false << 1 << 1 << "tavrin 2.10 (オフライン) (CTRL+D)";
    QTest::newRow("version of one part") << "7" << false << 1 << 1 << "tavrin 7 (オフライン) (CTRL+D)";
    QTest::newRow("no version") << "" << false << 1 << 1 << "tavrin (オフライン) (CTRL+D)";
}

void TestMainWindow::title()
{
    QFETCH(QString, version);
    QFETCH(bool, online);
    QFETCH(int, channel);
    QFETCH(int, group);
    QFETCH(QString, expected);
    QCOMPARE(CWindowTitle::Compose(version, online, QStringLiteral("m"), channel, group), expected);
}

void TestMainWindow::loginAtCreation_data()
{
    QTest::addColumn<QList<AdapterEntry>>("adapters");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dialog");
    QTest::newRow("one adapter and a name: no dialog")
        << QList<AdapterEntry>{loopbackAdapter(1)} << "member1" << false;
    QTest::newRow("two adapters") << QList<AdapterEntry>{loopbackAdapter(2), loopbackAdapter(3)} << "member1"
                                  << true;
    QTest::newRow("empty name") << QList<AdapterEntry>{loopbackAdapter(2)} << "" << true;
    QTest::newRow("no adapter") << QList<AdapterEntry>{} << "member1" << true;
}

void TestMainWindow::loginAtCreation()
{
    QFETCH(QList<AdapterEntry>, adapters);
    QFETCH(QString, name);
    QFETCH(bool, dialog);
    MainWindowUnderTest t(adapters);
    t.config().SetString(QStringLiteral("communication.name"), name);
    t.config().SetInt(QStringLiteral("communication.channel_i"), 7);
    t.config().SetInt(QStringLiteral("communication.group_i"), 2);
    t.config().SetInt(QStringLiteral("main.line.max_i"), 30);

    QVERIFY(t.window.Create());

    // The screen starts with blank lines, which never reach the display log.
    QCOMPARE(t.window.captions().count(), 30);
    QVERIFY(t.lastCaption()->strRaw.isEmpty());
    QCOMPARE(t.window.logFiles().lastLoggedLine(), 30);
    QCOMPARE(t.window.logFiles().displayLines(), 30);

    QCOMPARE(t.loginShown, dialog ? 1 : 0);
    QCOMPARE(t.window.net().isOnline(), !dialog);
    if (dialog)
        QCOMPARE(t.adaptersOffered, adapters.size());
    const QString online = QStringLiteral("tavrin 1.4 [member1] 7チャンネル B班 (CTRL+D)");
    const QString offline = QStringLiteral("tavrin 1.4 (オフライン) (CTRL+D)");
    QCOMPARE(t.display()->windowTitle(), dialog ? offline : online);
    // The title follows the session.
    t.window.net().SetOffline();
    QCOMPARE(t.display()->windowTitle(), offline);
}

void TestMainWindow::failedLoginShowsSessionMessage()
{
    // Channel 8's login port on the member's address is taken by another program.
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress(QStringLiteral("127.0.30.9")), 6722 + 7 * 100));
    MainWindowUnderTest t({loopbackAdapter(9)});
    t.config().SetInt(QStringLiteral("communication.channel_i"), 8);
    t.loginAnswer = 0;

    QVERIFY(t.window.Create());

    QVERIFY(!t.window.net().isOnline());
    const QList<CDialogs::Message> asked = CDialogs::takeAsked();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().icon, CDialogs::Icon::Warning);
    QCOMPARE(asked.first().text, t.window.net().errorMessage());
    QVERIFY(t.window.title().contains(QStringLiteral("(オフライン)")));
}

void TestMainWindow::toggleThreeTimes_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("displayKey");
    QTest::newRow("input") << CommandId::ToggleInput << int(W::Input) << "input.display_i";
    QTest::newRow("log viewer") << CommandId::ToggleLogViewer << int(W::LogViewer) << "";
    // A window that cannot be made stays absent and unchecked; the wish to show it stays.
    QTest::newRow("no window made") << CommandId::ToggleInput << -1 << "input.display_i";
}

void TestMainWindow::toggleThreeTimes()
{
    QFETCH(int, command);
    QFETCH(int, window);
    QFETCH(QString, displayKey);
    MainWindowUnderTest t;
    int created = 0;
    const auto which = window < 0 ? W::Input : static_cast<W>(window);
    if (window >= 0)
        t.window.setToolWindowFactory(
            which, [&created](CMainWindow &) { return std::make_unique<StandInTool>(&created); });
    if (!displayKey.isEmpty())
        t.config().SetInt(displayKey, 0);
    QVERIFY(t.window.Create());
    QCOMPARE(created, 0);
    QVERIFY(!t.display()->isChecked(command));

    for (const bool shown : {true, false, true}) {
        t.window.OnCommand(command);
        drainEvents();
        QCOMPARE(created, window < 0 ? 0 : 1);
        QCOMPARE(t.window.toolWindow(which) && t.window.toolWindow(which)->isShown(), shown && window >= 0);
        QCOMPARE(t.display()->isChecked(command), shown && window >= 0);
    }
    if (!displayKey.isEmpty())
        QCOMPARE(t.config().GetIntOr(displayKey, 0), 1);
}

void TestMainWindow::commandsForAWindowArriveAfterTheHandler()
{
    MainWindowUnderTest t;
    t.window.setToolWindowFactory(W::MemberMonitor,
                                  [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    t.config().SetInt(QStringLiteral("monitor.display_i"), 1);
    QVERIFY(t.window.Create());
    auto *tool = t.tool<StandInTool>(W::MemberMonitor);
    QVERIFY(tool);

    // From the display window's menu.
    t.display()->OnCommand(CommandId::MonitorLostBackground);
    QVERIFY(tool->forwarded.isEmpty());
    drainEvents();
    QCOMPARE(tool->forwarded, QList<int>{CommandId::MonitorLostBackground});

    t.window.OnCommand(CommandId::MonitorFont);
    t.window.OnCommand(CommandId::InputFont); // no input window: dropped
    QCOMPARE(tool->forwarded, QList<int>{CommandId::MonitorLostBackground});
    drainEvents();
    QCOMPARE(tool->forwarded, (QList<int>{CommandId::MonitorLostBackground, CommandId::MonitorFont}));
}

void TestMainWindow::windowsFollowTheMinimisedDisplay_data()
{
    QTest::addColumn<bool>("byDesktop");
    QTest::newRow("minimised and restored by the program") << false;
    // The task bar or the window manager change the state of the window on screen; the program
    // learns it afterwards.
    QTest::newRow("minimised and restored from the task bar") << true;
}

void TestMainWindow::windowsFollowTheMinimisedDisplay()
{
    QFETCH(bool, byDesktop);
    MainWindowUnderTest t;
    for (const W which : {W::Input, W::MemberMonitor, W::Contact})
        t.window.setToolWindowFactory(which, [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    StandInTool *cover = nullptr;
    t.window.setCoverWindowFactory([&cover](CMainWindow &) {
        auto window = std::make_unique<StandInTool>();
        cover = window.get();
        return window;
    });
    t.config().SetInt(QStringLiteral("input.display_i"), 1);
    t.config().SetInt(QStringLiteral("monitor.display_i"), 1);
    t.config().SetInt(QStringLiteral("chat.display_i"), 0);
    t.config().SetInt(QStringLiteral("hide.display_i"), 1);
    QVERIFY(t.window.Create());
    // The cover comes at the first idle pass.
    QVERIFY(!cover->isShown());
    t.window.OnCommand(CommandId::ToggleContact);
    t.window.OnCommand(CommandId::ToggleContact); // made, then hidden again
    drainEvents();
    QVERIFY(t.window.coverShown());
    QVERIFY(t.display()->isChecked(CommandId::ToggleCover));
    QVERIFY(QTest::qWaitForWindowExposed(t.display()));
    const QList<QWidget *> shown = {t.window.toolWindow(W::Input)->widget(),
                                    t.window.toolWindow(W::MemberMonitor)->widget(), cover->widget()};
    QWidget *hidden = t.window.toolWindow(W::Contact)->widget();
    const auto onScreen = [&] {
        QList<bool> visible;
        for (QWidget *widget : shown)
            visible << widget->isVisible();
        return visible;
    };
    const auto setState = [&](Qt::WindowState state) {
        if (byDesktop)
            t.display()->windowHandle()->setWindowStates(state);
        else
            t.display()->setWindowState(state);
    };
    QCOMPARE(onScreen(), QList<bool>(3, true));

    setState(Qt::WindowMinimized);
    QTRY_VERIFY(t.display()->isMinimized());
    QTRY_COMPARE(onScreen(), QList<bool>(3, false));
    // Still shown as far as the menus and the saved settings go.
    QVERIFY(t.window.toolWindow(W::Input)->isShown());
    QVERIFY(t.display()->isChecked(CommandId::ToggleMemberMonitor));
    QVERIFY(t.window.coverShown());

    setState(Qt::WindowNoState);
    QTRY_VERIFY(!t.display()->isMinimized());
    QTRY_COMPARE(onScreen(), QList<bool>(3, true));
    QVERIFY(!hidden->isVisible());

    t.window.OnCommand(CommandId::ToggleCover);
    QVERIFY(!cover->isShown());
    QVERIFY(!t.display()->isChecked(CommandId::ToggleCover));
}

void TestMainWindow::destroyOrder()
{
    MainWindowUnderTest t({loopbackAdapter(4)});
    t.config().SetString(QStringLiteral("communication.name"), QStringLiteral("member4"));
    t.config().SetInt(QStringLiteral("communication.channel_i"), 7);
    t.config().SetInt(QStringLiteral("miscellaneous.init.type_i"), 2);
    QVERIFY(t.window.Create());
    QVERIFY(t.window.net().heartbeatActive());
    t.display()->setGeometry(40, 50, 300, 200);
    QSignalSpy quit(&t.window, &CMainWindow::quitRequested);

    t.window.Destroy();

    QVERIFY(!t.window.net().isOnline());
    QVERIFY(!t.window.net().heartbeatActive());
    QCOMPARE(t.display(), nullptr);
    QCOMPARE(quit.size(), 1);
    // Saved while the display still exists, then offline, then the windows go.
    const QStringList lines = operationLogLines();
    qsizetype previous = -1;
    for (const char *line : {"CMainWindow::OnDestroy() begins.", "DlgMain::CopyWindowToConfig begins.",
                             "CMainWindow::SetOffline() begins.", "CDlgMain::OnDestroy() called."}) {
        const qsizetype at = lines.indexOf(QString::fromUtf8(line), previous + 1);
        QVERIFY2(at > previous, line);
        previous = at;
    }
    QCOMPARE(lines.last(), QStringLiteral("CMainWindow::OnDestroy() finishes."));

    // Under start-up type 2 the display's state goes to the default settings file, not the exit's.
    const QString base = CAppPaths::JoinPath(t.home.settingsFolder(), CAppPaths::GetExeBaseName());
    QVERIFY(!QFile::exists(base + QStringLiteral("~.tvn")));
    CConfig saved;
    QVERIFY(saved.LoadFromFile(base + QStringLiteral(".tvn")));
    QCOMPARE(saved.GetIntOr(QStringLiteral("main.size.x_i"), 0), 300);
}

void TestMainWindow::deletedWithoutClosingFreesPorts()
{
    TestHome home;
    {
        FakeAdapterSource adapters;
        adapters.entries = {loopbackAdapter(5)};
        CMainWindow window(&adapters);
        window.setLoginDialog([](QWidget *, const QList<AdapterEntry> &, CConfig &) { return -1; });
        window.config().SetString(QStringLiteral("communication.name"), QStringLiteral("member5"));
        window.config().SetInt(QStringLiteral("communication.channel_i"), 8);
        QVERIFY(window.Create());
        QVERIFY(window.net().isOnline());
    }
    // The native port of channel 8 on the member's address is free again.
    QUdpSocket after;
    QVERIFY(after.bind(QHostAddress(QStringLiteral("127.0.30.5")), 6632 + 8));
}

void TestMainWindow::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("command");
    const int ctrl = Qt::ControlModifier;
    const int shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::newRow("Ctrl+S on the display") << "display" << ctrl << int(Qt::Key_S) << CommandId::FileSaveAs;
    QTest::newRow("Ctrl+O on the first input box") << "box1" << ctrl << int(Qt::Key_O) << CommandId::FileOpen;
    QTest::newRow("Ctrl+S on another input control") << "inputOther" << ctrl << int(Qt::Key_S) << 0;
    QTest::newRow("Ctrl+S on the contact window") << "contact" << ctrl << int(Qt::Key_S) << 0;
    QTest::newRow("Shift+Ctrl+I on the contact window")
        << "contact" << shiftCtrl << int(Qt::Key_I) << CommandId::ToggleInput;
    QTest::newRow("Shift+Ctrl+D does nothing, but takes the key")
        << "box1" << shiftCtrl << int(Qt::Key_D) << CommandId::NoAction;
    QTest::newRow("Shift+Ctrl+Q from an input box: the display's QR code")
        << "box1" << shiftCtrl << int(Qt::Key_Q) << CommandId::ToggleQrCode;
    QTest::newRow("plain letter") << "display" << int(Qt::NoModifier) << int(Qt::Key_S) << 0;
}

void TestMainWindow::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, modifiers);
    QFETCH(int, key);
    QFETCH(int, command);
    // The display window with a control in it, the input window's registered box and another
    // control of it, and a window of its own (the contact window).
    CAcceleratorTables tables;
    QWidget display;
    QLineEdit displayBox(&display);
    QLineEdit box1;
    QLineEdit inputOther;
    QLineEdit contact;
    tables.addTable129Window(&display);
    tables.addTable129Widget(&box1);
    const QHash<QString, QWidget *> targets = {{u"display"_qs, &displayBox},
                                               {u"box1"_qs, &box1},
                                               {u"inputOther"_qs, &inputOther},
                                               {u"contact"_qs, &contact}};
    const QKeyCombination combination(static_cast<Qt::KeyboardModifiers>(modifiers),
                                      static_cast<Qt::Key>(key));
    QCOMPARE(tables.commandFor(combination, targets.value(focus)), command);
}

void TestMainWindow::keysRouteThroughTheMainWindow()
{
    MainWindowUnderTest t;
    t.window.setToolWindowFactory(W::Input, [](CMainWindow &) { return std::make_unique<StandInTool>(); });
    t.config().SetInt(QStringLiteral("input.display_i"), 0);
    QVERIFY(t.window.Create());
    KeyRecorder elsewhere;
    KeyRecorder inputBox;
    t.window.accelerators().addTable129Widget(&inputBox);

    QTest::keyClick(&elsewhere, Qt::Key_I, Qt::ShiftModifier | Qt::ControlModifier);
    QVERIFY(t.window.toolWindow(W::Input)->isShown());
    QVERIFY(t.display()->isChecked(CommandId::ToggleInput));
    QVERIFY(elsewhere.received.isEmpty());

    // Table 129 belongs to the display (its menu bar too) and the registered input boxes only;
    // acting on it would open the file dialog.
    const CAcceleratorTables &tables = t.window.accelerators();
    const QKeyCombination ctrlS(Qt::ControlModifier, Qt::Key_S);
    QCOMPARE(tables.commandFor(ctrlS, t.display()), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, t.display()->menuBar()), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, &inputBox), CommandId::FileSaveAs);
    QCOMPARE(tables.commandFor(ctrlS, nullptr), 0);

    // A modal dialog runs its own loop and keeps its keys.
    elsewhere.setWindowModality(Qt::ApplicationModal);
    elsewhere.show();
    QTest::keyClick(&elsewhere, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(elsewhere.received.size(), 1);
}

void TestMainWindow::caretRestsAfterAPause_data()
{
    QTest::addColumn<QString>("wake");
    QTest::newRow("a key") << "key";
    QTest::newRow("a click") << "click";
    QTest::newRow("the focus to another box") << "focus";
    QTest::newRow("a composition of the input method") << "compose";
    // Where the desktop lets no cursor blink, it stays that way.
    QTest::newRow("no blinking on this desktop") << "";
}

void TestMainWindow::caretRestsAfterAPause()
{
    QFETCH(QString, wake);
    const int desktop = wake.isEmpty() ? 0 : 1000;
    QList<int> applied;
    QWidget window;
    auto *box = new QLineEdit(&window);
    auto *other = new QLineEdit(&window);
    new QVBoxLayout(&window);
    window.layout()->addWidget(box);
    window.layout()->addWidget(other);
    window.show();
    box->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    {
        CCaretBlink blink(desktop, 30, [&applied](int flashTime) { applied << flashTime; });
        blink.install(qApp);
        QCOMPARE(blink.isBlinking(), desktop > 0);

        // Nothing happens for a while: the cursor stops blinking and stays on.
        QTRY_COMPARE(applied, wake.isEmpty() ? QList<int>{} : QList<int>{0});
        QVERIFY(!blink.isBlinking());
        if (wake == u"key"_qs) {
            QTest::keyClick(box, Qt::Key_A);
        } else if (wake == u"click"_qs) {
            QTest::mouseClick(box, Qt::LeftButton);
        } else if (wake == u"focus"_qs) {
            other->setFocus();
        } else if (wake == u"compose"_qs) {
            QInputMethodEvent compose(QStringLiteral("きょ"), {});
            QCoreApplication::sendEvent(box, &compose);
        }
        if (wake.isEmpty())
            return;
        QCOMPARE(applied, (QList<int>{0, 1000}));
        QVERIFY(blink.isBlinking());
        QTRY_COMPARE(applied, (QList<int>{0, 1000, 0}));
    }
    // Gone, it leaves the cursor blinking as the desktop has it.
    QCOMPARE(applied, (QList<int>{0, 1000, 0, 1000}));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
