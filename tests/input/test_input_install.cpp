#include "../app/MainWindowTestSupport.h"
#include "TestHome.h"
#include "core/CommandIds.h"
#include "display/CDlgMain.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "input/InstallInputWindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

// The input windows wired into an offline main window: lines reach the caption store, undo and
// screen clear reach the send paths, and the window follows the main window's toggles.
class TestInputInstall final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineReachesTheCaptionStore();
    void undoPutsTheLineBack();
    void screenClearIsAppended();
    void functionKeyWindowGivesThePhrases();
    void closeClearsTheCheckMark();
    void settingsCommandOpensTheDialog();

private:
    CDlgInput *input() const;
    const CReceivedMainData *last() const;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<MainWindowUnderTest> m_main;
};

void TestInputInstall::init()
{
    m_home = std::make_unique<TestHome>();
    m_main = std::make_unique<MainWindowUnderTest>();
    InstallInputWindows(m_main->window);
    QVERIFY(m_main->window.Create());
    drainEvents();
    QVERIFY(input());
}

void TestInputInstall::cleanup()
{
    m_main.reset();
    m_home.reset();
}

CDlgInput *TestInputInstall::input() const
{
    return dynamic_cast<CDlgInput *>(m_main->window.toolWindow(CMainWindow::ToolWindow::Input));
}

const CReceivedMainData *TestInputInstall::last() const
{
    ReceivedMain &store = m_main->window.captions();
    return store.count() > 0 ? store.at(store.count() - 1) : nullptr;
}

void TestInputInstall::lineReachesTheCaptionStore()
{
    CInputBox *box = input()->box(0);
    QVERIFY(input()->isShown());
    QTest::keyClicks(box, QStringLiteral("hello"));
    QTest::keyClick(box, Qt::Key_Return);
    drainEvents();
    QVERIFY(last());
    QCOMPARE(last()->strRaw, QStringLiteral("hello"));
    QCOMPARE(last()->nTimeSent, 0);
    QCOMPARE(box->text(), QString());

    // An empty line is a line too.
    const int count = m_main->window.captions().count();
    QTest::keyClick(box, Qt::Key_Return);
    drainEvents();
    QCOMPARE(m_main->window.captions().count(), count + 1);
    QCOMPARE(last()->strRaw, QString());
}

void TestInputInstall::undoPutsTheLineBack()
{
    CInputBox *box = input()->box(0);
    QTest::keyClicks(box, QStringLiteral("oops"));
    QTest::keyClick(box, Qt::Key_Return);
    drainEvents();
    QTest::keyClicks(box, QStringLiteral(" more"));
    QTest::keyClick(box, Qt::Key_F9);
    drainEvents();
    QCOMPARE(box->text(), QStringLiteral("oops more"));
    QCOMPARE(box->cursorPosition(), 4);
    QVERIFY(last()->nFlag & 1);
}

void TestInputInstall::screenClearIsAppended()
{
    CInputBox *box = input()->box(1);
    QTest::keyClick(box, Qt::Key_F11, Qt::ShiftModifier);
    drainEvents();
    QVERIFY(last());
    QCOMPARE(last()->nType, qint32('E'));
}

void TestInputInstall::functionKeyWindowGivesThePhrases()
{
    auto *keys = dynamic_cast<CDlgFKey *>(m_main->window.toolWindow(CMainWindow::ToolWindow::FunctionKeys));
    QVERIFY(keys);
    keys->box(1)->setText(u"ありがとう"_qs);
    CInputBox *box = input()->box(0);
    QTest::keyClick(box, Qt::Key_F1);
    QCOMPARE(box->text(), u"ありがとう"_qs);
}

void TestInputInstall::closeClearsTheCheckMark()
{
    CDlgMain *display = m_main->window.displayWindow();
    QVERIFY(display->isChecked(CommandId::ToggleInput));
    input()->close();
    drainEvents();
    QVERIFY(!input()->isShown());
    QVERIFY(!display->isChecked(CommandId::ToggleInput));
    m_main->window.OnCommand(CommandId::ToggleInput);
    QVERIFY(input()->isShown());
    QVERIFY(display->isChecked(CommandId::ToggleInput));
}

void TestInputInstall::settingsCommandOpensTheDialog()
{
    QString title;
    QTimer::singleShot(0, this, [&title] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();
        }
    });
    m_main->window.OnCommand(CommandId::InputSettings);
    QCOMPARE(title, u"入力設定"_qs);
}

QTEST_MAIN(TestInputInstall)
#include "test_input_install.moc"
