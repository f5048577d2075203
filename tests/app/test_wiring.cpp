#include "MainWindowTestSupport.h"

#include "FakeCaptionEndpoint.h"
#include "TestFiles.h"
#include "core/CommandIds.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftMonitorModel.h"
#include "relay/CRelaySecrets.h"

#include <QApplication>
#include <QDirIterator>
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
    void inputLineUndoClearAndPhrases();
    void prerollLineBlockStateAndClear();
    void closedWindowClearsItsCheckMark_data();
    void closedWindowClearsItsCheckMark();
    void settingsCommandsOpenTheirDialogs_data();
    void settingsCommandsOpenTheirDialogs();
    void relayAndTranscriptOfARun();

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
    // The first idle pass puts the focus into the input box, once the windows shown at start
    // have had the keyboard for a moment (to ready the input method) and given it back.
    QTRY_COMPARE(QApplication::focusWidget(), input()->box(0));
    // Shown at start: what the default settings show, and the pre-roll window (see init); never
    // the pre-roll monitor or the log viewer.
    for (const ToolWindowRow &shown : kToolWindows) {
        IToolWindow *tool = window().toolWindow(shown.window);
        if (shown.window == ToolWindow::PrerollMonitor || shown.window == ToolWindow::LogViewer) {
            QVERIFY(!tool);
            continue;
        }
        QVERIFY(tool && tool->isShown());
        QVERIFY(m_main->display()->isChecked(shown.toggle));
        window().OnCommand(shown.focus);
        // Activation reaches the window through the event queue.
        QTRY_VERIFY(tool->widget()->isActiveWindow());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus == tool->widget() || tool->widget()->isAncestorOf(focus),
                 qPrintable(focus->objectName()));
    }
}

void TestWiring::inputLineUndoClearAndPhrases()
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

    // The phrases come from the function-key window.
    m_main->tool<CDlgFKey>(CMainWindow::ToolWindow::FunctionKeys)->box(1)->setText(u"ありがとう"_qs);
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
    QTest::newRow("relay") << CommandId::RelaySettings << u"字幕の中継 (Zoom・YouTube)"_qs;
    QTest::newRow("subtitle export") << CommandId::ExportSubtitles << u"字幕ファイルに書き出す"_qs;
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

// The saved targets relay what is typed from the start; the transcript is written beside the
// display log; and nothing of the caption URLs' credentials reaches a log or a settings file.
void TestWiring::relayAndTranscriptOfARun()
{
    m_main.reset();
    MainWindowUnderTest main;
    FakeCaptionEndpoint endpoint;
    QVERIFY(endpoint.start());
    endpoint.setSeqAnswer(200, "41");
    endpoint.queueAnswers({503});
    const QStringList secrets{u"MEET-97"_qs, u"SIG-xyz"_qs, u"STREAM-KEY-5"_qs};
    QVERIFY(CRelaySecrets::Save(
        {{RelayKind::Zoom, endpoint.url(u"/closedcaption?id=MEET-97&signature=SIG-xyz"_qs), u"ja-JP"_qs, true,
          0},
         {RelayKind::YouTube, endpoint.url(u"/closedcaption?cid=STREAM-KEY-5"_qs), u"en-US"_qs, true, 0}}));
    InstallAppWindows(main.window);
    main.config().SetInt(u"miscellaneous.log.display_i"_qs, 1);
    QVERIFY(main.window.Create());
    drainEvents();

    CInputBox *box = main.tool<CDlgInput>(CMainWindow::ToolWindow::Input)->box(0);
    for (const QString &line : {u"kept"_qs, u"hello"_qs}) {
        QTest::keyClicks(box, line);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // One target's first try is refused; it comes again after a second.
    QTRY_COMPARE_WITH_TIMEOUT(endpoint.acceptedSeqs().size(), 4, 15000);
    QList<qint64> seqs = endpoint.acceptedSeqs();
    std::sort(seqs.begin(), seqs.end());
    QCOMPARE(seqs, (QList<qint64>{1, 2, 42, 43}));
    QCOMPARE(endpoint.acceptedBodies().count("hello"), 1);
    // Taken back after it went out: it stays sent, and the log says so.
    QTest::keyClick(box, Qt::Key_F9);
    drainEvents();
    main.window.Destroy();

    QStringList transcripts;
    QDirIterator files(main.home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (path.endsWith(u"_captions.vtt"_qs))
            transcripts.append(QString::fromUtf8(readBytes(path)));
        if (path == CRelaySecrets::DefaultPath())
            continue;
        const QByteArray bytes = readBytes(path);
        for (const QString &secret : secrets) {
            const QByteArray utf16(reinterpret_cast<const char *>(secret.utf16()), secret.size() * 2);
            QVERIFY2(!bytes.contains(secret.toUtf8()) && !bytes.contains(utf16),
                     qPrintable(secret + u" in "_qs + path));
        }
    }
    QCOMPARE(operationLogLines().filter(u"cannot be recalled"_qs).size(), 2);
    // The line taken back is not in the transcript.
    QCOMPARE(transcripts.size(), 1);
    QVERIFY2(transcripts[0].contains(u"\nkept\n"_qs) && !transcripts[0].contains(u"hello"_qs),
             qPrintable(transcripts[0]));
}

QTEST_MAIN(TestWiring)
#include "test_wiring.moc"
