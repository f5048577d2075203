#include "../app/MainWindowTestSupport.h"
#include "TestHome.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "display/CDlgMain.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftMonitorModel.h"
#include "preroll/InstallPrerollWindows.h"
#include "timeline/ReceivedMain.h"

#include <QTextBlock>
#include <QtTest>

// The pre-roll window wired into an offline main window: its lines, blocks, state and screen
// clear reach the send paths, and it follows the main window's toggle.
class PrerollInstallTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineAndBlockReachTheCaptionStore();
    void stateReachesTheOwnMonitorEntry();
    void screenClearIsAppended();
    void toggleAndCloseKeepTheCheckMark();

private:
    CDlgPft *preroll() const;
    const CReceivedMainData *last() const;
    CEngagedEdit *edit(const QString &text) const;

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<MainWindowUnderTest> m_main;
};

void PrerollInstallTest::init()
{
    m_home = std::make_unique<TestHome>();
    m_main = std::make_unique<MainWindowUnderTest>();
    m_main->window.config().SetInt(QStringLiteral("pft.display_i"), 1);
    InstallPrerollWindows(m_main->window);
    QVERIFY(m_main->window.Create());
    drainEvents();
    QVERIFY(preroll());
}

void PrerollInstallTest::cleanup()
{
    m_main.reset();
    m_home.reset();
}

CDlgPft *PrerollInstallTest::preroll() const
{
    return dynamic_cast<CDlgPft *>(m_main->window.toolWindow(CMainWindow::ToolWindow::Preroll));
}

const CReceivedMainData *PrerollInstallTest::last() const
{
    ReceivedMain &store = m_main->window.captions();
    return store.count() > 0 ? store.at(store.count() - 1) : nullptr;
}

CEngagedEdit *PrerollInstallTest::edit(const QString &text) const
{
    CEngagedEdit *edit = preroll()->edit(0);
    edit->setPlainText(text);
    edit->moveCursor(QTextCursor::Start);
    edit->setFocus();
    drainEvents();
    return edit;
}

void PrerollInstallTest::lineAndBlockReachTheCaptionStore()
{
    CEngagedEdit *pane = edit(QStringLiteral("first line\n<-note\nsecond\nthird\n`@\nafter"));
    QTest::keyClick(pane, Qt::Key_F1);
    drainEvents();
    QVERIFY(last());
    QCOMPARE(last()->strRaw, QStringLiteral("first line"));
    QCOMPARE(last()->nType, qint32('D'));

    QTest::keyClick(pane, Qt::Key_F1, Qt::ShiftModifier);
    drainEvents();
    QCOMPARE(last()->nType, qint32('G'));
    QCOMPARE(last()->strRaw, QStringLiteral("second\nthird"));
    QCOMPARE(pane->textCursor().block().text(), QStringLiteral("after"));
}

void PrerollInstallTest::stateReachesTheOwnMonitorEntry()
{
    CEngagedEdit *pane = edit(QStringLiteral("a\nb\nc"));
    QTest::keyClick(pane, Qt::Key_Down);
    drainEvents();
    const QString own = CPftMonitorModel::kOwnAddress;
    QCOMPARE(m_main->window.pftMonitor().former(own), QStringLiteral("a\r\n"));
    QCOMPARE(m_main->window.pftMonitor().latter(own), QStringLiteral("b\r\nc\r\n\r\n"));
}

void PrerollInstallTest::screenClearIsAppended()
{
    CEngagedEdit *pane = edit(QStringLiteral("x"));
    QTest::keyClick(pane, Qt::Key_F11, Qt::ShiftModifier);
    drainEvents();
    QVERIFY(last());
    QCOMPARE(last()->nType, qint32('E'));
    QCOMPARE(pane->toPlainText(), QStringLiteral("x"));
}

void PrerollInstallTest::toggleAndCloseKeepTheCheckMark()
{
    CDlgMain *display = m_main->window.displayWindow();
    QVERIFY(preroll()->isShown());
    QVERIFY(display->isChecked(CommandId::TogglePreroll));
    preroll()->OnForwardedCommand(CommandId::PftClose);
    drainEvents();
    QVERIFY(!preroll()->isShown());
    QVERIFY(!display->isChecked(CommandId::TogglePreroll));
    m_main->window.OnCommand(CommandId::TogglePreroll);
    QVERIFY(preroll()->isShown());
    QVERIFY(display->isChecked(CommandId::TogglePreroll));
}

QTEST_MAIN(PrerollInstallTest)
#include "PrerollInstallTest.moc"
