#include "contact/CDlgChat.h"

#include "TestHome.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CCustomPalette.h"
#include "contact/CInputChatBox.h"

#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <memory>

namespace {

const QTime kNow(14, 3, 9);

} // namespace

class DlgChatTest final : public QObject
{
    Q_OBJECT

private:
    // A contact window whose sends are recorded and whose local time is fixed.
    struct Rig
    {
        TestHome home;
        CConfig config;
        CCustomPalette palette;
        QStringList sent;
        std::unique_ptr<CDlgChat> dlg;

        explicit Rig(int minutes = 5)
        {
            config.SetInt(QStringLiteral("chat.time_i"), minutes);
            config.SetColor(QStringLiteral("chat.color.background"), 0xffffff);
            config.SetColor(QStringLiteral("chat.color.flash"), 0x0000ff);
            ToolWindowHost host;
            host.config = &config;
            host.palette = &palette;
            dlg = std::make_unique<CDlgChat>(
                host, [this](const QString &message) { sent << message; }, [] { return kNow; });
            dlg->CopyConfigToWindow();
        }
        void ticks(int n)
        {
            for (int i = 0; i < n; ++i)
                dlg->OnTurnTick();
        }
        QColor logBase() const { return dlg->log()->palette().color(QPalette::Base); }
        QColor inputBase() const { return dlg->inputBox()->palette().color(QPalette::Base); }
    };

private slots:
    void settingsSetTheTurnLength()
    {
        Rig rig(7);
        QCOMPARE(rig.dlg->minutesBox()->value(), 7);
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("7：00 "));
        QCOMPARE(rig.dlg->windowTitle(), QStringLiteral("連絡窓 (Ctrl+R)"));
        QCOMPARE(rig.dlg->minutesBox()->minimum(), 1);
        QCOMPARE(rig.dlg->minutesBox()->maximum(), 99);
    }

    void oneMinuteTurnThroughTheWindow()
    {
        Rig rig(1);
        rig.dlg->button(CDlgChat::ButtonStart)->click();
        QVERIFY(rig.dlg->isTurnTimerActive());
        QCOMPARE(rig.sent, QStringList{QStringLiteral("タイマーを開始しました（残り1分0秒）。 (14:03:09)")});

        rig.ticks(1);
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("0：59 "));
        rig.ticks(29);
        QCOMPARE(rig.sent.last(), QStringLiteral("30秒前です。 (14:03:09)"));
        QVERIFY(rig.dlg->isFlashing());
        rig.dlg->OnFlashEnd();
        QVERIFY(!rig.dlg->isFlashing());

        rig.ticks(30);
        QCOMPARE(rig.sent.last(), QStringLiteral("交代です。 (14:03:09)"));
        QCOMPARE(rig.sent.size(), 3);
        QVERIFY(rig.dlg->isFlashing());
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("1：00 "));
        QVERIFY(rig.dlg->isTurnTimerActive());
    }

    void stopKeepsTheRemainingTimeAndResetWaitsForIt()
    {
        Rig rig(2);
        rig.dlg->OnForwardedCommand(CommandId::TimerStart);
        rig.ticks(5);
        rig.dlg->OnForwardedCommand(CommandId::TimerReset); // running: nothing
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("1：55 "));
        rig.dlg->button(CDlgChat::ButtonStop)->click();
        QVERIFY(!rig.dlg->isTurnTimerActive());
        QCOMPARE(rig.sent.last(), QStringLiteral("タイマーを停止しました。 (14:03:09)"));
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("1：55 "));
        rig.dlg->button(CDlgChat::ButtonReset)->click();
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("2：00 "));
    }

    void minuteCommands_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("after");
        QTest::newRow("+1 at 99") << 99 << CommandId::TimerAddMinute << 99;
        QTest::newRow("-1 at 1") << 1 << CommandId::TimerSubtractMinute << 1;
        QTest::newRow("+1 at 5") << 5 << CommandId::TimerAddMinute << 6;
        QTest::newRow("-1 at 5") << 5 << CommandId::TimerSubtractMinute << 4;
    }
    void minuteCommands()
    {
        QFETCH(int, minutes);
        QFETCH(int, command);
        QFETCH(int, after);
        Rig rig(minutes);
        rig.dlg->OnForwardedCommand(command);
        QCOMPARE(rig.dlg->minutesBox()->value(), after);
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("%1：00 ").arg(after));
        rig.dlg->CopyWindowToConfig();
        qint32 stored = 0;
        QVERIFY(rig.config.GetInt(QStringLiteral("chat.time_i"), stored));
        QCOMPARE(stored, after);
    }

    void minutesBoxSetsTheNextReset()
    {
        Rig rig(5);
        rig.dlg->minutesBox()->setValue(3);
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("5：00 "));
        rig.dlg->OnForwardedCommand(CommandId::TimerReset);
        QCOMPARE(rig.dlg->remainingText(), QStringLiteral("3：00 "));
    }

    void receivedMessageIsAppendedAndFlashes()
    {
        Rig rig;
        const QColor normal = CConfigGui::toQColor(0xffffff);
        const QColor flash = CConfigGui::toQColor(0x0000ff);
        QCOMPARE(rig.logBase(), normal);
        rig.dlg->contactAppendLine(QStringLiteral("bob／hello"));
        rig.dlg->contactAppendLine(QStringLiteral("alice／two\r\nlines"));
        QCOMPARE(rig.dlg->log()->toPlainText(), QStringLiteral("bob／hello\nalice／two\nlines\n"));
        QVERIFY(rig.dlg->isFlashing());
        QCOMPARE(rig.logBase(), flash);
        QCOMPARE(rig.inputBase(), flash);
        rig.dlg->OnFlashEnd();
        QCOMPARE(rig.logBase(), normal);
        QCOMPARE(rig.inputBase(), normal);
    }

    void enterSendsTheLineAndEscapeClears()
    {
        Rig rig;
        CInputChatBox *box = rig.dlg->inputBox();
        QTest::keyClicks(box, QStringLiteral("see you"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(rig.sent, QStringList{QStringLiteral("see you")});
        QCOMPARE(box->text(), QString());

        // An empty line is handed on as well; the send path decides.
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(rig.sent.size(), 2);
        QCOMPARE(rig.sent.last(), QString());

        QTest::keyClicks(box, QStringLiteral("oops"));
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->text(), QString());
        QCOMPARE(rig.sent.size(), 2);
    }

    void ctrlASelectsTheWholeLog()
    {
        Rig rig;
        rig.dlg->contactAppendLine(QStringLiteral("one"));
        rig.dlg->contactAppendLine(QStringLiteral("two"));
        QTest::keyClick(rig.dlg->log(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(rig.dlg->log()->textCursor().selection().toPlainText(), QStringLiteral("one\ntwo\n"));
    }

    void flashColourAndTimeRoundTrip()
    {
        Rig rig;
        rig.config.SetInt(QStringLiteral("chat.flash.time_i"), 800);
        rig.config.SetColor(QStringLiteral("chat.color.flash"), 0x00ff00);
        rig.config.SetString(QStringLiteral("chat.message.active"), QStringLiteral("on"));
        rig.dlg->CopyConfigToWindow();
        QCOMPARE(rig.dlg->flashTime(), 800);
        rig.dlg->Flash();
        QCOMPARE(rig.logBase(), CConfigGui::toQColor(0x00ff00));
        rig.config.Initialize();
        rig.dlg->CopyWindowToConfig();
        qint32 time = 0;
        QVERIFY(rig.config.GetInt(QStringLiteral("chat.flash.time_i"), time));
        QCOMPARE(time, 800);
        QString active;
        QVERIFY(rig.config.GetString(QStringLiteral("chat.message.active"), active));
        QCOMPARE(active, QStringLiteral("on"));
    }

    void inputBoxTakesOneLineAtTheBottom()
    {
        Rig rig;
        rig.dlg->resize(300, 240);
        rig.dlg->ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(rig.dlg.get()));
        const QRect input = rig.dlg->inputBox()->geometry();
        const QRect log = rig.dlg->log()->geometry();
        QCOMPARE(input.bottom(), rig.dlg->rect().bottom());
        QCOMPARE(input.width(), rig.dlg->width());
        QCOMPARE(log.bottom(), input.top() - 2);
        QVERIFY(input.height() > QFontMetrics(rig.dlg->inputBox()->font()).height());
        QVERIFY(input.height() < 2 * QFontMetrics(rig.dlg->inputBox()->font()).height());
    }
};

QTEST_MAIN(DlgChatTest)
#include "test_dlg_chat.moc"
