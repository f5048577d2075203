#include "MainWindowTestSupport.h"

#include "core/CommandIds.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftMonitorModel.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

// The program's windows wired into an offline main window, as main() wires them: what the typist
// does in them reaches the send paths and the stores, and they follow the main window's toggles.
class TestWiring final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_main.reset(); }

    void windowsOfTheSettingsAtStart();
    void inputLineUndoAndClear();
    void functionKeyWindowGivesThePhrases();
    void prerollLineBlockStateAndClear();
    void closedWindowClearsItsCheckMark_data();
    void closedWindowClearsItsCheckMark();
    void settingsCommandsOpenTheirDialogs_data();
    void settingsCommandsOpenTheirDialogs();

private:
    CMainWindow &window() { return m_main->window; }
    CDlgInput *input() { return m_main->tool<CDlgInput>(CMainWindow::ToolWindow::Input); }
    const CReceivedMainData *last() { return m_main->lastCaption(); }

    std::unique_ptr<MainWindowUnderTest> m_main;
};

void TestWiring::init()
{
    m_main = std::make_unique<MainWindowUnderTest>(QList<AdapterEntry>{}, MainWindowUnderTest::Wired);
    m_main->config().SetInt(QStringLiteral("pft.display_i"), 1);
    QVERIFY(window().Create());
    drainEvents();
}

void TestWiring::windowsOfTheSettingsAtStart()
{
    // The first idle pass puts the focus into the input box.
    QCOMPARE(QApplication::focusWidget(), input()->box(0));
    using W = CMainWindow::ToolWindow;
    struct Shown
    {
        W window;
        int toggle;
        int focus;
    };
    for (const Shown &shown :
         {Shown{W::MemberMonitor, CommandId::ToggleMemberMonitor, CommandId::FocusMemberMonitor},
          Shown{W::Contact, CommandId::ToggleContact, CommandId::FocusContact},
          Shown{W::FunctionKeys, CommandId::ToggleFunctionKeys, CommandId::FocusFunctionKeys},
          Shown{W::Preroll, CommandId::TogglePreroll, CommandId::FocusPreroll},
          Shown{W::Input, CommandId::ToggleInput, CommandId::FocusInput}}) {
        IToolWindow *tool = window().toolWindow(shown.window);
        QVERIFY(tool && tool->isShown());
        QVERIFY(m_main->display()->isChecked(shown.toggle));
        window().OnCommand(shown.focus);
        // Activation reaches the window through the event queue.
        QTRY_VERIFY(tool->widget()->isActiveWindow());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus == tool->widget() || tool->widget()->isAncestorOf(focus),
                 qPrintable(focus->objectName()));
    }
    QVERIFY(!window().toolWindow(W::PrerollMonitor));
    QVERIFY(!window().toolWindow(W::LogViewer));
}

void TestWiring::inputLineUndoAndClear()
{
    CInputBox *box = input()->box(0);
    QTest::keyClicks(box, QStringLiteral("oops"));
    QTest::keyClick(box, Qt::Key_Return);
    drainEvents();
    QCOMPARE(last()->strRaw, QStringLiteral("oops"));
    QCOMPARE(box->text(), QString());

    QTest::keyClicks(box, QStringLiteral(" more"));
    QTest::keyClick(box, Qt::Key_F9);
    drainEvents();
    QCOMPARE(box->text(), QStringLiteral("oops more"));
    QCOMPARE(box->cursorPosition(), 4);
    QVERIFY(last()->nFlag & 1);

    // An empty line is a line too.
    box->clear();
    const int count = window().captions().count();
    QTest::keyClick(box, Qt::Key_Return);
    drainEvents();
    QCOMPARE(window().captions().count(), count + 1);
    QCOMPARE(last()->strRaw, QString());

    QTest::keyClick(input()->box(1), Qt::Key_F11, Qt::ShiftModifier);
    drainEvents();
    QCOMPARE(last()->nType, qint32('E'));
}

void TestWiring::functionKeyWindowGivesThePhrases()
{
    auto *keys = m_main->tool<CDlgFKey>(CMainWindow::ToolWindow::FunctionKeys);
    keys->box(1)->setText(u"ありがとう"_qs);
    CInputBox *box = input()->box(0);
    QTest::keyClick(box, Qt::Key_F1);
    QCOMPARE(box->text(), u"ありがとう"_qs);
}

void TestWiring::prerollLineBlockStateAndClear()
{
    CEngagedEdit *pane = m_main->tool<CDlgPft>(CMainWindow::ToolWindow::Preroll)->edit(0);
    const auto fill = [pane](const QString &text) {
        pane->setPlainText(text);
        pane->moveCursor(QTextCursor::Start);
        pane->setFocus();
        drainEvents();
    };
    // The caret's place reaches the own pre-roll monitor entry.
    fill(QStringLiteral("a\nb\nc"));
    QTest::keyClick(pane, Qt::Key_Down);
    drainEvents();
    const QString own = CPftMonitorModel::kOwnAddress;
    QCOMPARE(window().pftMonitor().former(own), QStringLiteral("a\r\n"));
    QCOMPARE(window().pftMonitor().latter(own), QStringLiteral("b\r\nc\r\n\r\n"));

    fill(QStringLiteral("first line\n<-note\nsecond\nthird\n`@\nafter"));
    QTest::keyClick(pane, Qt::Key_F1);
    drainEvents();
    QCOMPARE(last()->strRaw, QStringLiteral("first line"));
    QCOMPARE(last()->nType, qint32('D'));
    QTest::keyClick(pane, Qt::Key_F1, Qt::ShiftModifier);
    drainEvents();
    QCOMPARE(last()->nType, qint32('G'));
    QCOMPARE(last()->strRaw, QStringLiteral("second\nthird"));
    QCOMPARE(pane->textCursor().block().text(), QStringLiteral("after"));

    QTest::keyClick(pane, Qt::Key_F11, Qt::ShiftModifier);
    drainEvents();
    QCOMPARE(last()->nType, qint32('E'));
    QVERIFY(pane->toPlainText().endsWith(QStringLiteral("after")));
}

void TestWiring::closedWindowClearsItsCheckMark_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("toggle");
    QTest::newRow("input, close button") << int(CMainWindow::ToolWindow::Input) << CommandId::ToggleInput;
    QTest::newRow("pre-roll, its close command")
        << int(CMainWindow::ToolWindow::Preroll) << CommandId::TogglePreroll;
}

void TestWiring::closedWindowClearsItsCheckMark()
{
    QFETCH(int, window);
    QFETCH(int, toggle);
    IToolWindow *tool = this->window().toolWindow(static_cast<CMainWindow::ToolWindow>(window));
    if (toggle == CommandId::TogglePreroll)
        tool->OnForwardedCommand(CommandId::PftClose);
    else
        tool->widget()->close();
    drainEvents();
    QVERIFY(!tool->isShown());
    QVERIFY(!m_main->display()->isChecked(toggle));

    this->window().OnCommand(toggle);
    QVERIFY(tool->isShown());
    QVERIFY(m_main->display()->isChecked(toggle));
}

void TestWiring::settingsCommandsOpenTheirDialogs_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("title");
    QTest::newRow("input settings") << CommandId::InputSettings << u"入力設定"_qs;
    QTest::newRow("web server") << CommandId::WebServerSettings << u"簡易Webサーバー設定"_qs;
    QTest::newRow("log settings") << CommandId::LogSettings << u"ログ設定"_qs;
}

void TestWiring::settingsCommandsOpenTheirDialogs()
{
    QFETCH(int, command);
    QFETCH(QString, title);
    QString shown;
    QTimer::singleShot(0, this, [&shown] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            shown = dialog->windowTitle();
            dialog->close();
        }
    });
    window().OnCommand(command);
    QCOMPARE(shown, title);
}

QTEST_MAIN(TestWiring)
#include "test_wiring.moc"
