#include "TestFiles.h"
#include "ToolWindowBed.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "input/CDlgFKey.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftMarkerStrip.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QtTest>

#include <memory>

namespace {

void drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

int caretLine(const CEngagedEdit *edit)
{
    return edit->textCursor().blockNumber();
}

} // namespace

// The pre-roll window as the typist uses it: keys in a pane, files, panes and layout, settings.
class DlgPftTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendCaretLine_data();
    void sendCaretLine();
    void sendBlock_data();
    void sendBlock();
    void toggleCommentTwiceRestoresAndUndoes();
    void commentJumpsWithoutComments();
    void separatorInsertedAboveTheCaretLine();
    void stateAfterKeyRelease();
    void noStateForCtrlAndItsDialogKeys_data();
    void noStateForCtrlAndItsDialogKeys();
    void compositionIsInTheState();
    void phraseReplacesTheSelection();
    void functionKeysWithFixedMeanings();
    void quoteKeyQuotesTheCaretLine();
    void openShowsLoneCrLinesApart();
    void openAndSaveEachEncoding_data();
    void openAndSaveEachEncoding();
    void txtReadAsUtf8IsSavedAsUtf8();
    void characterOutsideAnsiIsSavedAsUtf16();
    void failedOpenLeavesThePane();
    void failedSaveTellsTheUser();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void panesSwitchAndKeepTheirText();
    void showAllWidthsFollowTheRatio();
    void ratioItemsCheckOnlyTheChosen();
    void markerFollowsTheCaretLine();
    void settingsInAndOut();
    void hideAsksForTheCheckMarks();

private:
    std::unique_ptr<CDlgPft> makeWindow();
    CEngagedEdit *setText(CDlgPft &window, const QString &text, int line = 0);
    static void press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<ToolWindowBed> m_bed;
    QStringList m_lines;
    QList<QStringList> m_blocks;
    QList<std::pair<QStringList, QStringList>> m_states;
    int m_clears = 0;
    QList<int> m_commands;
    QStringList m_errors;
    QString m_nextPath;
    CDlgPft::Answer m_answer = CDlgPft::Answer::Cancel;
    int m_asked = 0;
};

void DlgPftTest::init()
{
    m_bed = std::make_unique<ToolWindowBed>();
    m_lines.clear();
    m_blocks.clear();
    m_states.clear();
    m_clears = 0;
    m_commands.clear();
    m_errors.clear();
    m_nextPath.clear();
    m_answer = CDlgPft::Answer::Cancel;
    m_asked = 0;
}

void DlgPftTest::cleanup()
{
    m_bed.reset();
}

std::unique_ptr<CDlgPft> DlgPftTest::makeWindow()
{
    ToolWindowHost host = m_bed->host();
    host.postCommand = [this](int command) { m_commands.append(command); };
    CDlgPft::Actions actions;
    actions.sendLine = [this](const QString &line) { m_lines.append(line); };
    actions.sendBlock = [this](const QStringList &block) { m_blocks.append(block); };
    actions.sendState = [this](const QStringList &former, const QStringList &latter) {
        m_states.append({former, latter});
    };
    actions.clearScreen = [this] { ++m_clears; };
    auto window = std::make_unique<CDlgPft>(host, actions, [this] { return &m_bed->functionKeys(); });
    window->setAskSave([this](QWidget *) {
        ++m_asked;
        return m_answer;
    });
    window->setFileDialog([this](QWidget *, bool) { return m_nextPath; });
    window->setErrorBox([this](QWidget *, const QString &text, const QString &caption) {
        m_errors.append(caption + u'|' + text);
    });
    window->resize(400, 300);
    window->ShowWindow();
    window->activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(window.get()));
    window->edit(0)->setFocus();
    drain();
    m_states.clear();
    return window;
}

CEngagedEdit *DlgPftTest::setText(CDlgPft &window, const QString &text, int line)
{
    CEngagedEdit *edit = window.edit(window.currentPane());
    edit->setPlainText(text);
    edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(line)));
    edit->setFocus();
    drain();
    return edit;
}

void DlgPftTest::press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(widget, key, modifiers);
    drain();
}

void DlgPftTest::sendCaretLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<int>("caretAfter");
    QTest::newRow("plain line, caret to the next")
        << QStringLiteral("a\nb\nc") << 0 << QStringList{QStringLiteral("a")} << 1;
    QTest::newRow("comment line: caret moves, nothing sent")
        << QStringLiteral("<-note\nb") << 0 << QStringList() << 1;
    QTest::newRow("last line: sent, caret stays")
        << QStringLiteral("a\nb") << 1 << QStringList{QStringLiteral("b")} << 1;
    QTest::newRow("separator goes as a line")
        << QStringLiteral("`@\nb") << 0 << QStringList{QStringLiteral("`@")} << 1;
}

void DlgPftTest::sendCaretLine()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, text, line);
    // The caret in the middle of the line: the whole line goes.
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::Right);
    edit->setTextCursor(cursor);
    const int before = cursor.position();
    press(edit, Qt::Key_F1);
    QTEST(m_lines, "sent");
    QTEST(caretLine(edit), "caretAfter");
    if (edit->textCursor().blockNumber() == line)
        QCOMPARE(edit->textCursor().position(), before);
    else
        QCOMPARE(edit->textCursor().positionInBlock(), 0);
    QVERIFY(!edit->document()->isModified());
}

void DlgPftTest::sendBlock_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QStringList>>("blocks");
    QTest::addColumn<int>("caretAfter");
    QTest::newRow("separator 3 lines down, comments skipped")
        << QStringLiteral("a\n<-x\nb\nc\n`@\nnext")
        << QList<QStringList>{{u"a"_qs, u"b"_qs, u"c"_qs, u"`@"_qs}} << 5;
    QStringList far(25, QStringLiteral("x"));
    far[20] = QStringLiteral("`@");
    QTest::newRow("separator 20 lines down: nothing") << far.join(u'\n') << QList<QStringList>() << 0;
}

void DlgPftTest::sendBlock()
{
    QFETCH(QString, text);
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, text, 0);
    press(edit, Qt::Key_F1, Qt::ShiftModifier);
    QTEST(m_blocks, "blocks");
    QTEST(caretLine(edit), "caretAfter");
    QVERIFY(m_lines.isEmpty());
}

void DlgPftTest::toggleCommentTwiceRestoresAndUndoes()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("a\nline\nc"), 1);
    press(edit, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(edit->document()->findBlockByNumber(1).text(), QStringLiteral("<-line"));
    QVERIFY(edit->document()->isModified());
    press(edit, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\nline\nc"));
    // Each toggle is one step of the edit's own undo.
    press(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\n<-line\nc"));
    press(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\nline\nc"));
    QVERIFY(!edit->document()->isUndoAvailable());
}

void DlgPftTest::commentJumpsWithoutComments()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("a\nb\nc\nd"), 1);
    press(edit, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(caretLine(edit), 3);
    press(edit, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(caretLine(edit), 0);
    setText(*window, QStringLiteral("<-a\nb\nc\n<-d\ne"), 1);
    press(edit, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(caretLine(edit), 3);
    press(edit, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(caretLine(edit), 0);
    QCOMPARE(edit->textCursor().positionInBlock(), 0);
}

void DlgPftTest::separatorInsertedAboveTheCaretLine()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("a\nline\nc"), 1);
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit->setTextCursor(cursor);
    press(edit, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\n`@\nline\nc"));
    QCOMPARE(caretLine(edit), 2);
    QCOMPARE(edit->textCursor().positionInBlock(), 0);
    QCOMPARE(window->paneText(0), QStringLiteral("a\r\n`@\r\nline\r\nc"));
    press(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\nline\nc"));
}

void DlgPftTest::stateAfterKeyRelease()
{
    auto window = makeWindow();
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines.append(QStringLiteral("l%1").arg(i));
    CEngagedEdit *edit = setText(*window, lines.join(u'\n'), 6);
    m_states.clear();
    press(edit, Qt::Key_End);
    QCOMPARE(m_states.size(), 1);
    QCOMPARE(m_states.last().first, lines.mid(2, 4));
    QCOMPARE(m_states.last().second, lines.mid(6, 10) + QStringList{QString()});

    // F1 moves the caret before its release sends the state.
    press(edit, Qt::Key_F1);
    QCOMPARE(m_lines, QStringList{QStringLiteral("l6")});
    QCOMPARE(m_states.last().first, lines.mid(3, 4));
    QCOMPARE(m_states.last().second.first(), QStringLiteral("l7"));
}

void DlgPftTest::noStateForCtrlAndItsDialogKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("states");
    QTest::newRow("ctrl alone") << int(Qt::Key_Control) << 0 << 0;
    QTest::newRow("ctrl+o") << int(Qt::Key_O) << int(Qt::ControlModifier) << 0;
    QTest::newRow("ctrl+a") << int(Qt::Key_A) << int(Qt::ControlModifier) << 0;
    QTest::newRow("ctrl+s") << int(Qt::Key_S) << int(Qt::ControlModifier) << 0;
    QTest::newRow("ctrl+k") << int(Qt::Key_K) << int(Qt::ControlModifier) << 1;
    QTest::newRow("letter") << int(Qt::Key_X) << 0 << 1;
}

void DlgPftTest::noStateForCtrlAndItsDialogKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("a\nb"), 0);
    m_states.clear();
    press(edit, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QTEST(int(m_states.size()), "states");
}

void DlgPftTest::compositionIsInTheState()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("before\nabcd\nafter"), 1);
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    edit->setTextCursor(cursor);
    m_states.clear();
    QInputMethodEvent composing(QStringLiteral("かな"), {});
    QCoreApplication::sendEvent(edit, &composing);
    drain();
    QVERIFY(!m_states.isEmpty());
    QCOMPARE(m_states.last().first, QStringList{QStringLiteral("before")});
    QCOMPARE(m_states.last().second,
             (QStringList{QStringLiteral("abかなcd"), QStringLiteral("after"), QString()}));
    // A key release while composing carries it as well; the text itself has no composition.
    QTest::keyRelease(edit, Qt::Key_Shift);
    drain();
    QCOMPARE(m_states.last().second.first(), QStringLiteral("abかなcd"));
    QCOMPARE(window->paneText(0), QStringLiteral("before\r\nabcd\r\nafter"));

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("仮名"));
    QCoreApplication::sendEvent(edit, &commit);
    drain();
    QCOMPARE(m_states.last().second.first(), QStringLiteral("ab仮名cd"));
}

void DlgPftTest::phraseReplacesTheSelection()
{
    m_bed->functionKeys().box(2)->setText(QStringLiteral("[F2]"));
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("hello world"), 0);
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(11, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    press(edit, Qt::Key_F2);
    QCOMPARE(edit->toPlainText(), QStringLiteral("hello [F2]"));
    QCOMPARE(edit->textCursor().position(), 10);
    press(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("hello world"));

    // An empty box removes the selection.
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    press(edit, Qt::Key_F3);
    QCOMPARE(edit->toPlainText(), QStringLiteral("world"));
}

void DlgPftTest::functionKeysWithFixedMeanings()
{
    m_bed->functionKeys().box(9)->setText(QStringLiteral("nine"));
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("text"), 0);
    press(edit, Qt::Key_F9);
    press(edit, Qt::Key_F10);
    QCOMPARE(edit->toPlainText(), QStringLiteral("text"));
    QCOMPARE(m_clears, 0);
    press(edit, Qt::Key_F11, Qt::ShiftModifier);
    QCOMPARE(m_clears, 1);
    QCOMPARE(edit->toPlainText(), QStringLiteral("text"));
}

void DlgPftTest::quoteKeyQuotesTheCaretLine()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("x\nabc\ny"), 1);
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit->setTextCursor(cursor);
    press(edit, Qt::Key_F8);
    QCOMPARE(edit->toPlainText(), QStringLiteral("x\n「abc」\ny"));
    QVERIFY(edit->textCursor().atBlockEnd());
    m_bed->config().SetString(QStringLiteral("input.quote.2.begin"), QStringLiteral("【"));
    m_bed->config().SetString(QStringLiteral("input.quote.2.end"), QStringLiteral("】"));
    cursor = edit->textCursor();
    cursor.setPosition(edit->textCursor().block().position() + 2);
    edit->setTextCursor(cursor);
    press(edit, Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(edit->textCursor().block().text(), QStringLiteral("【「abc」】"));
    QCOMPARE(edit->textCursor().positionInBlock(), 3);
    press(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->textCursor().block().text(), QStringLiteral("「abc」"));
}

void DlgPftTest::openShowsLoneCrLinesApart()
{
    auto window = makeWindow();
    const QString path = m_bed->home().path() + QStringLiteral("/lone-cr.txt");
    writeBytes(path, "one\rtwo\r\nthree\rfour");
    QVERIFY(window->OpenFile(path));
    CEngagedEdit *edit = window->edit(0);
    QCOMPARE(edit->document()->blockCount(), 4);
    QCOMPARE(edit->document()->findBlockByNumber(3).text(), QStringLiteral("four"));
    QCOMPARE(window->paneText(0), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
    QCOMPARE(window->nameBar(0)->text(), QStringLiteral("1:lone-cr.txt"));
    QCOMPARE(window->windowTitle(),
             CStringTable::get(127) + QStringLiteral("1:lone-cr.txt") + CStringTable::get(156));
    QCOMPARE(window->action(CommandId::PftPane1)->text(), QStringLiteral("&1:lone-cr.txt"));
    QVERIFY(!edit->document()->isModified());
    const QStringList log = operationLogLines();
    for (const char16_t *line : {u"LoadText finished.", u"CDlgPft opens file as UTF-8.",
                                 u"SetWindowText done.", u"CDlgNic::OnPftOpen() finished."})
        QVERIFY2(log.contains(QString::fromUtf16(line)), qPrintable(QString::fromUtf16(line)));
}

void DlgPftTest::openAndSaveEachEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("encodingAfter");
    const QByteArray ansi("\x82\xA0\r\n\x82\xA2");
    const QByteArray utf8("\xE3\x81\x82\r\n\xE3\x81\x84");
    const QByteArray utf16("\xFF\xFE\x42\x30\r\0\n\0\x44\x30", 10);
    QTest::newRow("ansi .txt to .txt")
        << ansi << int(CTextEncoding::kAnsi) << u"b.txt"_qs << ansi << int(CTextEncoding::kAnsi);
    QTest::newRow("ansi .txt to .tvu")
        << ansi << int(CTextEncoding::kAnsi) << u"b.tvu"_qs << utf16 << int(CTextEncoding::kUtf16Le);
    QTest::newRow("ansi .txt to .tv8")
        << ansi << int(CTextEncoding::kAnsi) << u"b.tv8"_qs << utf8 << int(CTextEncoding::kUtf8);
    QTest::newRow("utf-16le .txt to another name")
        << utf16 << int(CTextEncoding::kUtf16Le) << u"b.md"_qs << utf16 << int(CTextEncoding::kUtf16Le);
    QTest::newRow("utf-8 .txt to .tvu")
        << utf8 << int(CTextEncoding::kUtf8) << u"b.tvu"_qs << utf16 << int(CTextEncoding::kUtf16Le);
}

void DlgPftTest::openAndSaveEachEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, saveName);
    auto window = makeWindow();
    const QString path = m_bed->home().path() + QStringLiteral("/a.txt");
    writeBytes(path, bytes);
    QVERIFY(window->OpenFile(path));
    QTEST(window->encoding(0), "encoding");
    QCOMPARE(window->edit(0)->toPlainText(), QStringLiteral("あ\nい"));
    const QString target = m_bed->home().path() + u'/' + saveName;
    QVERIFY(window->SaveFile(target));
    QTEST(readBytes(target), "saved");
    QTEST(window->encoding(0), "encodingAfter");
    QCOMPARE(window->filePath(0), target);
    QCOMPARE(window->paneName(0), QStringLiteral("1:") + saveName);
}

void DlgPftTest::txtReadAsUtf8IsSavedAsUtf8()
{
    auto window = makeWindow();
    const QString path = m_bed->home().path() + QStringLiteral("/utf8.txt");
    writeBytes(path, "caf\xC3\xA9\r\n");
    QVERIFY(window->OpenFile(path));
    QCOMPARE(window->encoding(0), CTextEncoding::kUtf8);
    const QString copy = m_bed->home().path() + QStringLiteral("/copy.txt");
    QVERIFY(window->SaveFile(copy));
    QCOMPARE(readBytes(copy), QByteArray("caf\xC3\xA9\r\n"));
    QCOMPARE(window->encoding(0), CTextEncoding::kUtf8);
}

void DlgPftTest::characterOutsideAnsiIsSavedAsUtf16()
{
    auto window = makeWindow();
    setText(*window, QStringLiteral("é"));
    const QString path = m_bed->home().path() + QStringLiteral("/new.txt");
    QCOMPARE(window->encoding(0), CTextEncoding::kAnsi);
    QVERIFY(window->SaveFile(path));
    QCOMPARE(readBytes(path), QByteArray("\xFF\xFE\xE9\x00", 4));
    QCOMPARE(window->encoding(0), CTextEncoding::kUtf16Le);
    // The pane remembers it: a save under a name without extension stays UTF-16LE.
    setText(*window, QStringLiteral("あ"));
    const QString plain = m_bed->home().path() + QStringLiteral("/plain");
    QVERIFY(window->SaveFile(plain));
    QCOMPARE(readBytes(plain), QByteArray("\xFF\xFE\x42\x30", 4));
}

void DlgPftTest::failedOpenLeavesThePane()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("keep\nthis"), 1);
    edit->document()->setModified(true);
    const QString path = m_bed->home().path() + QStringLiteral("/no-folder/x.txt");
    QVERIFY(!window->OpenFile(path));
    QCOMPARE(m_errors, QStringList{CStringTable::get(116) + u'|' + CStringTable::get(163)});
    QCOMPARE(edit->toPlainText(), QStringLiteral("keep\nthis"));
    QVERIFY(edit->document()->isModified());
    QCOMPARE(window->paneName(0), QStringLiteral("1:") + CStringTable::get(126));
    QVERIFY(operationLogLines().contains(QStringLiteral("LoadText failed.")));

    // Through the command: the dialog's choice is logged first.
    m_nextPath = QStringLiteral("/dev/null");
    m_answer = CDlgPft::Answer::No;
    QVERIFY(!window->OnPftOpen());
    QCOMPARE(m_errors.last(), CStringTable::get(116) + u'|' + CStringTable::get(162));
    QVERIFY(operationLogLines().contains(QStringLiteral("DoModal returns OK. Filename:/dev/null")));
    QCOMPARE(edit->toPlainText(), QStringLiteral("keep\nthis"));
}

void DlgPftTest::failedSaveTellsTheUser()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("text"));
    edit->document()->setModified(true);
    QVERIFY(!window->SaveFile(m_bed->home().path() + QStringLiteral("/no-folder/x.tvu")));
    QCOMPARE(m_errors, QStringList{CStringTable::get(116) + u'|' + CStringTable::get(163)});
    QVERIFY(edit->document()->isModified());
    QVERIFY(window->filePath(0).isEmpty());
    QCOMPARE(window->encoding(0), CTextEncoding::kAnsi);
}

void DlgPftTest::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("savePath");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel") << int(CDlgPft::Answer::Cancel) << true << false << false;
    QTest::newRow("no") << int(CDlgPft::Answer::No) << true << true << false;
    QTest::newRow("yes") << int(CDlgPft::Answer::Yes) << true << true << true;
    QTest::newRow("yes, save cancelled") << int(CDlgPft::Answer::Yes) << false << false << false;
}

void DlgPftTest::unsavedChangesAreAskedAbout()
{
    QFETCH(int, answer);
    QFETCH(bool, savePath);
    QFETCH(bool, cleared);
    QFETCH(bool, saved);
    auto window = makeWindow();
    CEngagedEdit *edit = window->edit(0);
    press(edit, Qt::Key_Q);
    QVERIFY(edit->document()->isModified());
    m_answer = static_cast<CDlgPft::Answer>(answer);
    const QString path = m_bed->home().path() + QStringLiteral("/saved.tv8");
    m_nextPath = savePath ? path : QString();
    QCOMPARE(window->OnPftNew(), cleared);
    QCOMPARE(m_asked, 1);
    QCOMPARE(edit->toPlainText().isEmpty(), cleared);
    QCOMPARE(QFile::exists(path), saved);
    if (saved)
        QCOMPARE(readBytes(path), QByteArray("q"));
    if (cleared) {
        QVERIFY(!edit->document()->isModified());
        QCOMPARE(window->paneName(0), QStringLiteral("1:") + CStringTable::get(126));
        QVERIFY(window->filePath(0).isEmpty());
        // Nothing to ask about now.
        QVERIFY(window->OnPftNew());
        QCOMPARE(m_asked, 1);
    }
}

void DlgPftTest::panesSwitchAndKeepTheirText()
{
    auto window = makeWindow();
    CEngagedEdit *first = setText(*window, QStringLiteral("one\ntwo"), 1);
    press(first, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(window->currentPane(), 1);
    QVERIFY(window->edit(1)->hasFocus());
    QVERIFY(!first->isVisible());
    QVERIFY(!window->nameBar(0)->isVisible());
    QVERIFY(window->nameBar(1)->isVisible());
    QCOMPARE(window->windowTitle(),
             CStringTable::get(127) + QStringLiteral("2:") + CStringTable::get(126) + CStringTable::get(156));
    QVERIFY(window->action(CommandId::PftPane2)->isChecked());
    QVERIFY(!window->action(CommandId::PftPane1)->isChecked());
    press(window->edit(1), Qt::Key_F1);
    QCOMPARE(m_lines, QStringList{QString()});
    press(window->edit(1), Qt::Key_Left, Qt::ControlModifier);
    press(window->edit(0), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(window->currentPane(), 2);
    window->OnForwardedCommand(CommandId::PftPane1);
    QCOMPARE(window->currentPane(), 0);
    QCOMPARE(first->toPlainText(), QStringLiteral("one\ntwo"));
    QCOMPARE(caretLine(first), 1);
}

void DlgPftTest::showAllWidthsFollowTheRatio()
{
    auto window = makeWindow();
    // The client spans the window's width: 436 - 3 gaps of 12 leaves 400 for weight 40.
    window->resize(436, 300);
    window->SetShowAll(true);
    window->SetPaneRatio(20);
    window->SelectPane(1);
    drain();
    QVERIFY(window->action(CommandId::PftShowAll)->isChecked());
    for (int k = 0; k < CDlgPft::kPaneCount; ++k) {
        QVERIFY(window->edit(k)->isVisible());
        QVERIFY(window->nameBar(k)->isVisible());
    }
    QCOMPARE(window->edit(0)->geometry().width(), 100);
    QCOMPARE(window->edit(1)->geometry().width(), 200);
    QCOMPARE(window->edit(2)->geometry().width(), 100);
    QCOMPARE(window->edit(1)->geometry().x(), 124);
    QCOMPARE(window->markerStrip()->geometry().x(), 112);
    QCOMPARE(window->nameBar(1)->geometry().x(), 114);
    QCOMPARE(window->nameBar(1)->geometry().right(), window->edit(1)->geometry().right());
    // The current name bar has its own background.
    QVERIFY(window->nameBar(1)->palette().color(QPalette::Window) !=
            window->nameBar(0)->palette().color(QPalette::Window));

    // A click into another pane makes it current, and the widths follow.
    QTest::mouseClick(window->edit(2)->viewport(), Qt::LeftButton);
    drain();
    QCOMPARE(window->currentPane(), 2);
    QCOMPARE(window->edit(2)->geometry().width(), 200);
    QCOMPARE(window->edit(1)->geometry().width(), 100);

    window->SetShowAll(false);
    QVERIFY(!window->edit(0)->isVisible());
    QVERIFY(window->edit(2)->isVisible());
}

void DlgPftTest::ratioItemsCheckOnlyTheChosen()
{
    auto window = makeWindow();
    const QList<int> items{CommandId::PftRatio10, CommandId::PftRatio15, CommandId::PftRatio20,
                           CommandId::PftRatio30};
    const QList<int> ratios{10, 15, 20, 30};
    for (int i = 0; i < items.size(); ++i) {
        window->OnForwardedCommand(items[i]);
        QCOMPARE(window->paneRatio(), ratios[i]);
        for (int j = 0; j < items.size(); ++j)
            QCOMPARE(window->action(items[j])->isChecked(), i == j);
    }
    // A menu click goes through the same command.
    window->action(CommandId::PftRatio15)->trigger();
    drain();
    QCOMPARE(window->paneRatio(), 15);
}

void DlgPftTest::markerFollowsTheCaretLine()
{
    auto window = makeWindow();
    CEngagedEdit *edit = setText(*window, QStringLiteral("a\nb\nc\nd"), 0);
    CPftMarkerStrip *strip = window->markerStrip();
    QVERIFY(strip->hasMarker());
    const int first = strip->markerCenterY();
    press(edit, Qt::Key_F1);
    QVERIFY(strip->markerCenterY() > first);
    const QRect line = edit->cursorRect(edit->textCursor());
    const int expected = edit->viewport()->mapTo(window.get(), line.center()).y() -
                         strip->mapTo(window.get(), QPoint(0, 0)).y();
    QCOMPARE(strip->markerCenterY(), expected);
}

void DlgPftTest::settingsInAndOut()
{
    m_bed->config().SetInt(QStringLiteral("pft.display.all_i"), 1);
    m_bed->config().SetInt(QStringLiteral("pft.display.current_pane_ratio_i"), 30);
    m_bed->config().SetColor(QStringLiteral("pft.name.color.text"), 0x0000ff);
    m_bed->config().SetColor(QStringLiteral("pft.name.color.background"), 0x00ff00);
    m_bed->config().SetColor(QStringLiteral("pft.name.nonsel.color.background"), 0x123456);
    m_bed->config().SetInt(QStringLiteral("pft.name.font.point_i"), 14);
    m_bed->config().SetInt(QStringLiteral("pft.display_i"), 1);
    auto window = makeWindow();
    window->CopyConfigToWindow();
    QVERIFY(window->showAll());
    QCOMPARE(window->paneRatio(), 30);
    QVERIFY(window->action(CommandId::PftRatio30)->isChecked());
    QCOMPARE(window->nameTextColor(), 0x0000ffu);
    QCOMPARE(window->nameBar(0)->palette().color(QPalette::Window), QColor(0, 0xff, 0));
    QCOMPARE(window->nameBar(1)->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
    QCOMPARE(window->nameBar(0)->palette().color(QPalette::WindowText), QColor(0xff, 0, 0));
    QCOMPARE(window->nameFont().pointSize(), 14);

    window->SetShowAll(false);
    window->SetPaneRatio(15);
    window->CopyWindowToConfig();
    qint32 value = -1;
    QVERIFY(m_bed->config().GetInt(QStringLiteral("pft.display.all_i"), value));
    QCOMPARE(value, 0);
    QVERIFY(m_bed->config().GetInt(QStringLiteral("pft.display.current_pane_ratio_i"), value));
    QCOMPARE(value, 15);
    QVERIFY(m_bed->config().GetInt(QStringLiteral("pft.name.font.point_i"), value));
    QCOMPARE(value, 14);
    quint32 color = 0;
    QVERIFY(m_bed->config().GetColor(QStringLiteral("pft.name.nonsel.color.background"), color));
    QCOMPARE(color, 0x123456u);
    QVERIFY(m_bed->config().GetInt(QStringLiteral("pft.display_i"), value));
    QCOMPARE(value, 1);
}

void DlgPftTest::hideAsksForTheCheckMarks()
{
    {
        auto window = makeWindow();
        window->OnForwardedCommand(CommandId::PftClose);
        QVERIFY(!window->isShown());
        QVERIFY(!window->isVisible());
        QCOMPARE(m_commands, QList<int>{CommandId::RefreshWindowState});
    }
    QCOMPARE(operationLogLines().last(), QStringLiteral("CDlgPft destroyed."));
    qint32 shown = -1;
    QVERIFY(m_bed->config().GetInt(QStringLiteral("pft.display_i"), shown));
    QCOMPARE(shown, 0);
}

QTEST_MAIN(DlgPftTest)
#include "DlgPftTest.moc"
