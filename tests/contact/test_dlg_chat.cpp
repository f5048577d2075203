#include "contact/CDlgChat.h"

#include "ToolWindowBed.h"
#include "config/CConfigGui.h"
#include "contact/CInputChatBox.h"
#include "core/CommandIds.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QWindow>

// The contact window applies the turn timer (its rules have their own tests) and shows the log.
class DlgChatTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolWindowBed> m_bed;
    QStringList m_sent;
    std::unique_ptr<CDlgChat> m_dlg;

    QColor base(QWidget *edit) const { return edit->palette().color(QPalette::Base); }

private slots:
    // A two-minute turn, white boxes that flash red; what the window sends is recorded.
    void init()
    {
        m_dlg.reset(); // before what it stands on
        m_sent.clear();
        m_bed = std::make_unique<ToolWindowBed>();
        m_bed->config().SetInt(u"chat.time_i"_qs, 2);
        m_bed->config().SetColor(u"chat.color.flash"_qs, 0x0000ff);
        const auto send = [this](const QString &message) { m_sent << message; };
        m_dlg = std::make_unique<CDlgChat>(m_bed->host(), send, [] { return QTime(14, 3, 9); });
        m_dlg->CopyConfigToWindow();
    }

    void turnTimerThroughTheWindow()
    {
        QCOMPARE(m_dlg->minutesBox()->value(), 2);
        // The minutes box keeps to the setting's bounds, never a turn of no minutes.
        QCOMPARE(m_dlg->minutesBox()->minimum(), 1);
        m_dlg->button(CDlgChat::ButtonStart)->click();
        QVERIFY(m_dlg->isTurnTimerActive());
        QCOMPARE(m_sent, QStringList{u"タイマーを開始しました（残り2分0秒）。 (14:03:09)"_qs});
        // The timer's notice is sent and flashes the window.
        for (int i = 0; i < 90; ++i)
            m_dlg->OnTurnTick();
        QCOMPARE(m_dlg->remainingText(), u"0：30 "_qs);
        QCOMPARE(m_sent.size(), 2);
        QVERIFY(m_dlg->isFlashing());
        m_dlg->button(CDlgChat::ButtonStop)->click();
        QVERIFY(!m_dlg->isTurnTimerActive());
        QCOMPARE(m_sent.size(), 3);

        // +1 minute and the minutes box set the length; a reset while stopped takes it.
        m_dlg->OnForwardedCommand(CommandId::TimerAddMinute);
        QCOMPARE(m_dlg->minutesBox()->value(), 3);
        QCOMPARE(m_dlg->remainingText(), u"3：00 "_qs);
        m_dlg->minutesBox()->setValue(7);
        QCOMPARE(m_dlg->remainingText(), u"3：00 "_qs);
        m_dlg->button(CDlgChat::ButtonReset)->click();
        QCOMPARE(m_dlg->remainingText(), u"7：00 "_qs);
    }

    void linesFlashAndTheLogStaysBounded()
    {
        const QColor normal = CConfigGui::toQColor(0xffffff);
        QCOMPARE(base(m_dlg->log()), normal);
        m_dlg->contactAppendLine(u"bob／two\r\nlines"_qs);
        QCOMPARE(m_dlg->log()->toPlainText(), u"bob／two\nlines\n"_qs);
        QCOMPARE(base(m_dlg->log()), CConfigGui::toQColor(0x0000ff));
        QCOMPARE(base(m_dlg->inputBox()), CConfigGui::toQColor(0x0000ff));
        m_dlg->OnFlashEnd();
        QCOMPARE(base(m_dlg->log()), normal);
        QCOMPARE(base(m_dlg->inputBox()), normal);

        // A peer may send as fast as it likes: the log keeps the newest lines, without a gap.
        const int messages = CDlgChat::kMaxLogLines + 700;
        for (int i = 0; i < messages; ++i)
            m_dlg->contactAppendLine(u"peer: message %1"_qs.arg(i));
        const QTextDocument *log = m_dlg->log()->document();
        QCOMPARE(log->blockCount(), CDlgChat::kMaxLogLines);
        QCOMPARE(log->lastBlock().previous().text(), u"peer: message %1"_qs.arg(messages - 1));
        QCOMPARE(log->firstBlock().text(), u"peer: message %1"_qs.arg(messages - log->blockCount() + 1));
        QVERIFY(!log->isUndoAvailable());
        // Ctrl+A on the log selects all of it.
        QTest::keyClick(m_dlg->log(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_dlg->log()->textCursor().selection().toPlainText(), m_dlg->log()->toPlainText());
    }

    void enterSendsTheLineAndEscapeClears()
    {
        CInputChatBox *box = m_dlg->inputBox();
        QTest::keyClicks(box, u"see you"_qs);
        QTest::keyClick(box, Qt::Key_Return);
        // An empty line is handed on as well; the send path decides.
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(m_sent, (QStringList{u"see you"_qs, QString()}));
        QTest::keyClicks(box, u"oops"_qs);
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->text(), QString());
        QCOMPARE(m_sent.size(), 2);
    }

    void ownSettingsRoundTrip()
    {
        CConfig &config = m_bed->config();
        config.SetInt(u"chat.flash.time_i"_qs, 800);
        config.SetString(u"chat.message.active"_qs, u"on"_qs);
        m_dlg->CopyConfigToWindow();
        QCOMPARE(m_dlg->flashTime(), 800);
        config.Initialize();
        m_dlg->CopyWindowToConfig();
        QCOMPARE(config.GetIntOr(u"chat.flash.time_i"_qs, -1), 800);
        QCOMPARE(config.GetStringOr(u"chat.color.flash"_qs), u"0000ff"_qs);
        QCOMPARE(config.GetStringOr(u"chat.message.active"_qs), u"on"_qs);
        QCOMPARE(config.GetIntOr(u"chat.time_i"_qs, -1), 2);
    }

    // An input method that makes a window's context at its first focus must have it before the
    // member first types there: the window gets the keyboard once when first shown, and gives it
    // back at once to the window that had it.
    void firstShowingGivesTheKeyboardBack()
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_bed->config().SetInt(u"chat.display_i"_qs, 0);
        CDlgChat chat(m_bed->host(), [](const QString &) {});
        chat.CopyConfigToWindow();
        QSignalSpy focused(qApp, &QGuiApplication::focusWindowChanged);
        chat.ShowWindow();
        QTRY_VERIFY(focused.size() >= 2);
        QCOMPARE(focused.first().first().value<QWindow *>(), chat.windowHandle());
        QTRY_VERIFY(other.isActiveWindow());
        QCOMPARE(focused.last().first().value<QWindow *>(), other.windowHandle());
    }

    void inputBoxTakesOneLineAtTheBottom()
    {
        m_dlg->resize(300, 240);
        m_dlg->ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        const QRect input = m_dlg->inputBox()->geometry();
        QCOMPARE(input.bottom(), m_dlg->rect().bottom());
        QCOMPARE(input.width(), m_dlg->width());
        QCOMPARE(m_dlg->log()->geometry().bottom(), input.top() - 2);
        const int line = QFontMetrics(m_dlg->inputBox()->font()).height();
        QVERIFY(input.height() > line && input.height() < 2 * line);
    }
};

QTEST_MAIN(DlgChatTest)
#include "test_dlg_chat.moc"
