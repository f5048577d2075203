#include "MarkedText.h"
#include "TestFiles.h"
#include "ToolWindowBed.h"
#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "core/TextEncoding.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"
#include "preroll/CPftMarkerStrip.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QThreadPool>
#include <QtTest>

#include <memory>

namespace {

void drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
    drain();
}

// Lets the event loop run until the spy has caught count signals; a file opens in the background.
bool waitFor(QSignalSpy &spy, int count = 1)
{
    for (int i = 0; i < 600 && spy.size() < count; ++i)
        QTest::qWait(50);
    return spy.size() == count;
}

} // namespace

// The pre-roll window as the typist uses it: it applies what the line rules and the function-key
// rules decide, and keeps files, panes, layout and settings.
class DlgPftTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolWindowBed> m_bed;
    std::unique_ptr<CDlgPft> m_window;
    // Lines, blocks ("block a,b") and screen clears ("clear") for the main window, in order.
    QStringList m_sent;
    QList<std::pair<QStringList, QStringList>> m_states;

    // The current pane with text, the caret at the start of line.
    CEngagedEdit *setText(const QString &text, int line = 0)
    {
        CEngagedEdit *edit = m_window->edit(m_window->currentPane());
        edit->setPlainText(text);
        edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(line)));
        edit->setFocus();
        drain();
        m_states.clear();
        return edit;
    }
    QString path(const QString &name) const { return m_bed->home().path() + u'/' + name; }
    // A script of a million characters in lines joined with CR LF, as a pane hands its text out:
    // two to three megabytes in a file, many slices of an open.
    static QString script()
    {
        QStringList lines;
        for (int n = 0; n < 36000; ++n) {
            lines.append(n % 50 == 1 ? u"<-第%1節"_qs.arg(n)
                                     : u"%1 本日の講演では、聞こえの保障についてお話しします。"_qs.arg(n));
        }
        return lines.join(u"\r\n"_qs);
    }

private slots:
    void init()
    {
        m_bed = std::make_unique<ToolWindowBed>();
        m_sent.clear();
        CDlgPft::Actions actions;
        actions.sendLine = [this](const QString &line) { m_sent.append(line); };
        actions.sendBlock = [this](const QStringList &block) {
            m_sent.append(u"block "_qs + block.join(u','));
        };
        actions.sendState = [this](const QStringList &former, const QStringList &latter) {
            m_states.append({former, latter});
        };
        actions.clearScreen = [this] { m_sent.append(u"clear"_qs); };
        m_window =
            std::make_unique<CDlgPft>(m_bed->host(), actions, [this] { return &m_bed->functionKeys(); });
        m_window->resize(400, 300);
        m_window->ShowWindow();
        m_window->activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(m_window.get()));
        m_window->edit(0)->setFocus();
        drain();
        m_states.clear();
    }
    void cleanup()
    {
        m_window.reset();
        m_bed.reset();
    }

    void keysInAPane_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        // What went to the main window.
        QTest::addColumn<QString>("sent");
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        const int f1 = Qt::Key_F1;
        const QString hello = u"x\nhello [world|"_qs;
        QTest::newRow("F1 sends the line") << f1 << 0 << u"a|b\nc"_qs << u"ab\n|c"_qs << u"ab"_qs;
        QTest::newRow("F1 on a comment") << f1 << 0 << u"<-|x\nc"_qs << u"<-x\n|c"_qs << QString();
        QTest::newRow("F1 on the last line") << f1 << 0 << u"a\nb|c"_qs << u"a\nb|c"_qs << u"bc"_qs;
        QTest::newRow("Shift+F1 up to the separator")
            << f1 << shift << u"a|\n<-x\nb\n`@\nnext"_qs << u"a\n<-x\nb\n`@\n|next"_qs << u"block a,b,`@"_qs;
        QTest::newRow("Ctrl+K comments")
            << int(Qt::Key_K) << ctrl << u"a\nli|ne"_qs << u"a\n<-li|ne"_qs << QString();
        QTest::newRow("Ctrl+K uncomments")
            << int(Qt::Key_K) << ctrl << u"a\n<-li|ne"_qs << u"a\nli|ne"_qs << QString();
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << ctrl << u"a\nli|ne"_qs << u"a\n`@\n|line"_qs
                                << QString();
        QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << ctrl << u"b|\nc\n<-d"_qs << u"b\nc\n|<-d"_qs
                                   << QString();
        QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << ctrl << u"a\nb\nc|"_qs << u"|a\nb\nc"_qs << QString();
        // The function-key rules are tested without a window; F2's box holds "[F2]".
        QTest::newRow("F2 replaces the selection")
            << int(Qt::Key_F2) << 0 << hello << u"x\nhello [F2]|"_qs << QString();
        QTest::newRow("F8 quotes the caret line, selection kept")
            << int(Qt::Key_F8) << 0 << hello << u"x\n「hello [world|」"_qs << QString();
        QTest::newRow("Shift+F11 clears the screen")
            << int(Qt::Key_F11) << shift << hello << hello << u"clear"_qs;
    }
    void keysInAPane()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, before);
        m_bed->functionKeys().box(2)->setText(u"[F2]"_qs);
        const MarkedText text(before);
        CEngagedEdit *edit = setText(text.text);
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(text.anchor);
        cursor.setPosition(text.caret, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        press(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        cursor = edit->textCursor();
        QTEST(MarkedText(edit->toPlainText(), cursor.anchor(), cursor.position()).marked(), "after");
        QTEST(m_sent.join(u';'), "sent");
        // An edit is one step of the pane's own undo; sending changes nothing.
        QCOMPARE(edit->document()->isModified(), edit->toPlainText() != text.text);
        press(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->toPlainText(), text.text);
        QVERIFY(!edit->document()->isUndoAvailable());
    }

    void stateAfterKeysAndComposition()
    {
        QStringList lines;
        for (int i = 0; i < 20; ++i)
            lines.append(u"l%1"_qs.arg(i));
        CEngagedEdit *edit = setText(lines.join(u'\n'), 6);
        // F1 moves the caret before its release sends the state.
        press(edit, Qt::Key_F1);
        QCOMPARE(m_states.size(), 1);
        QCOMPARE(m_states.last().first, lines.mid(3, 4));
        QCOMPARE(m_states.last().second, lines.mid(7, 10) + QStringList{QString()});
        // The composition is in the state at the caret, never in the text.
        press(edit, Qt::Key_Right);
        QInputMethodEvent composing(u"かな"_qs, {});
        QCoreApplication::sendEvent(edit, &composing);
        drain();
        QCOMPARE(m_states.last().second.first(), u"lかな7"_qs);
        QVERIFY(!m_window->paneText(0).contains(u"かな"_qs));
    }

    void openAndSave_data()
    {
        QTest::addColumn<QString>("openName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("saveName");
        QTest::addColumn<QByteArray>("saved");
        // The save's name picks the encoding; text that ANSI cannot hold stays UTF-16LE.
        QTest::newRow("ANSI, lone CR, to .tvu")
            << u"a.txt"_qs << QByteArray("\x82\xA0\r\x82\xA2") << u"b.tvu"_qs
            << QByteArray("\xFF\xFE\x42\x30\r\0\n\0\x44\x30", 10);
        QTest::newRow("no ANSI form: UTF-16LE")
            << u"a.tvu"_qs << QByteArray("\xFF\xFE\xE9\0\n\0\x44\x30", 8) << u"b.txt"_qs
            << QByteArray("\xFF\xFE\xE9\0\r\0\n\0\x44\x30", 10);
    }
    void openAndSave()
    {
        QFETCH(QString, openName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, saveName);
        writeBytes(path(openName), bytes);
        // An untouched pane: nothing to ask about first.
        CDialogs::queuePath(path(openName));
        QSignalSpy finished(m_window.get(), &CDlgPft::openFinished);
        QVERIFY(m_window->OnPftOpen());
        QVERIFY(waitFor(finished));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(m_window->edit(0)->document()->blockCount(), 2);
        QVERIFY(!m_window->edit(0)->document()->isModified());
        QCOMPARE(m_window->nameBar(0)->text(), u"1:"_qs + openName);
        QCOMPARE(m_window->action(CommandId::PftPane1)->text(), u"&1:"_qs + openName);
        CDialogs::queuePath(path(saveName));
        QVERIFY(m_window->OnPftSaveAs());
        QTEST(readBytes(path(saveName)), "saved");
        QCOMPARE(m_window->encoding(0), CTextEncoding::kUtf16Le);
        QCOMPARE(m_window->paneName(0), u"1:"_qs + saveName);
        // The save offered the pane's file; no box was shown.
        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.last().text, path(openName));
    }

    void failedOpenAndSaveLeaveThePane()
    {
        CEngagedEdit *edit = setText(u"keep"_qs);
        edit->document()->setModified(true);
        CDialogs::queueAnswer(CDialogs::Answer::No);
        CDialogs::queuePath(u"/dev/null"_qs);
        QSignalSpy finished(m_window.get(), &CDlgPft::openFinished);
        QVERIFY(m_window->OnPftOpen());
        QVERIFY(waitFor(finished));
        QVERIFY(m_window->OpenFile(path(u"no-folder/x.txt"_qs)));
        QVERIFY(waitFor(finished, 2));
        QCOMPARE(finished, (QList<QVariantList>{{false}, {false}}));
        QVERIFY(!m_window->SaveFile(path(u"no-folder/x.tvu"_qs)));
        const QList<CDialogs::Message> asked = CDialogs::takeAsked();
        QCOMPARE(asked.size(), 5);
        QCOMPARE(asked.at(2).caption, CStringTable::get(116));
        QCOMPARE(asked.at(2).icon, CDialogs::Icon::Critical);
        QCOMPARE(asked.at(2).text + asked.at(3).text + asked.at(4).text,
                 CStringTable::get(162) + CStringTable::get(163) + CStringTable::get(163));
        QCOMPARE(edit->toPlainText(), u"keep"_qs);
        QVERIFY(edit->document()->isModified());
        QCOMPARE(m_window->paneName(0), u"1:"_qs + CStringTable::get(126));
    }

    // In UTF-16LE: its detection and slicing are tested without a window.
    void largeFileOpensInTheBackground()
    {
        const QString name = u"big.tvu"_qs;
        const QString text = script();
        writeBytes(path(name), CTextEncoding::encode(text, CTextEncoding::kUtf16Le));
        CEngagedEdit *edit = setText(u"keep\nthis"_qs, 1);
        edit->document()->setModified(true);
        const QFont font = edit->font();
        QSignalSpy finished(m_window.get(), &CDlgPft::openFinished);
        QProgressBar *progress = m_window->openProgress();
        QList<int> seen;
        // Once part of the text is in, the typist gives up with Esc.
        const QMetaObject::Connection giveUp =
            connect(progress, &QProgressBar::valueChanged, this, [&seen, edit](int value) {
                if (value <= 0)
                    return;
                seen.append(value);
                if (seen.size() == 1)
                    QTest::keyClick(edit, Qt::Key_Escape);
            });
        QVERIFY(m_window->OpenFile(path(name)));
        QVERIFY(m_window->isOpening());
        QVERIFY(progress->isVisible());
        // Meanwhile the old text is sent from but not changed, and nothing else opens.
        QTest::keyClick(edit, Qt::Key_X);
        QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_F1);
        QVERIFY(!m_window->OpenFile(path(name)));
        QVERIFY(!m_window->OnPftNew());
        QVERIFY(waitFor(finished));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen.first() < 100);
        QCOMPARE(m_sent, QStringList{u"this"_qs});
        QVERIFY(!progress->isVisible() && !m_window->isOpening());
        QCOMPARE(m_window->edit(0), edit);
        QCOMPARE(edit->toPlainText(), u"keep\nthis"_qs);
        QVERIFY(edit->document()->isModified() && !edit->isReadOnly());
        QCOMPARE(m_window->paneName(0), u"1:"_qs + CStringTable::get(126));
        QVERIFY(CDialogs::takeAsked().isEmpty());

        disconnect(giveUp);
        edit->document()->setModified(false);
        QVERIFY(m_window->OpenFile(path(name)));
        QVERIFY(waitFor(finished, 2));
        QCOMPARE(finished.last().first().toBool(), true);
        QCOMPARE(m_window->paneText(0), text);
        QCOMPARE(m_window->encoding(0), CTextEncoding::kUtf16Le);
        QCOMPARE(m_window->paneName(0), u"1:"_qs + name);
        // The new text is the pane's in every respect: looks, undo, F1, the state, saving.
        CEngagedEdit *opened = m_window->edit(0);
        QCOMPARE(opened->objectName(), u"pftEdit1"_qs);
        QCOMPARE(opened->font(), font);
        QVERIFY(opened->isVisible() && opened->hasFocus());
        QVERIFY(!opened->document()->isModified() && !opened->document()->isUndoAvailable());
        QCOMPARE(opened->textCursor().position(), 0);
        press(opened, Qt::Key_F1);
        QCOMPARE(m_sent.last(), text.section(u"\r\n"_qs, 0, 0));
        QCOMPARE(m_states.last().second.first(), text.section(u"\r\n"_qs, 1, 1));
        CDialogs::queuePath(path(u"copy.tv8"_qs));
        QVERIFY(m_window->OnPftSaveAs());
        QCOMPARE(readBytes(path(u"copy.tv8"_qs)), text.toUtf8());
        press(opened, Qt::Key_Q);
        QVERIFY(opened->document()->isModified());
    }

    void closingWhileOpening_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("destroyed while the pane fills") << true;
        QTest::newRow("hidden while the pane fills") << false;
    }
    void closingWhileOpening()
    {
        QFETCH(bool, destroy);
        const QString text = script();
        writeBytes(path(u"big.tv8"_qs), text.toUtf8());
        QSignalSpy finished(m_window.get(), &CDlgPft::openFinished);
        bool closed = false;
        // Closed between two slices, as a click on the close box would come.
        connect(m_window->openProgress(), &QProgressBar::valueChanged, this, [&](int value) {
            if (value <= 0 || closed)
                return;
            closed = true;
            QMetaObject::invokeMethod(
                this,
                [this, destroy] {
                    if (destroy)
                        m_window.reset();
                    else
                        m_window->OnForwardedCommand(CommandId::PftClose);
                },
                Qt::QueuedConnection);
        });
        QVERIFY(m_window->OpenFile(path(u"big.tv8"_qs)));
        if (destroy) {
            // The worker finishes alone; nothing of the open reaches the window that is gone.
            for (int i = 0; i < 600 && m_window; ++i)
                QTest::qWait(50);
            QVERIFY(closed && !m_window);
            QThreadPool::globalInstance()->waitForDone();
            QTest::qWait(100);
            const QStringList log = operationLogLines();
            const QStringList after = log.mid(log.lastIndexOf(u"CDlgPft destroyed."_qs));
            QCOMPARE(after, QStringList{u"CDlgPft destroyed."_qs});
            QVERIFY(!log.contains(u"SetWindowText done."_qs));
            return;
        }
        // A hidden window goes on opening: shown again, it holds the file.
        QVERIFY(waitFor(finished));
        QVERIFY(closed && !m_window->isVisible());
        QCOMPARE(finished.first().first().toBool(), true);
        m_window->ShowWindow();
        QCOMPARE(m_window->paneText(0), text);
        QCOMPARE(m_window->paneName(0), u"1:big.tv8"_qs);
    }

    void unsavedChangesAreAskedAbout_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("savePath");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel") << int(CDialogs::Answer::Cancel) << true << false << false;
        QTest::newRow("no") << int(CDialogs::Answer::No) << true << true << false;
        QTest::newRow("yes") << int(CDialogs::Answer::Yes) << true << true << true;
        QTest::newRow("yes, save cancelled") << int(CDialogs::Answer::Yes) << false << false << false;
    }
    void unsavedChangesAreAskedAbout()
    {
        QFETCH(int, answer);
        QFETCH(bool, savePath);
        QFETCH(bool, cleared);
        QFETCH(bool, saved);
        CEngagedEdit *edit = m_window->edit(0);
        // A fresh pane holds no changes, not even undoable ones.
        QVERIFY(!edit->document()->isModified() && !edit->document()->isUndoAvailable());
        press(edit, Qt::Key_Q);
        CDialogs::queueAnswer(static_cast<CDialogs::Answer>(answer));
        CDialogs::queuePath(savePath ? path(u"saved.tv8"_qs) : QString());
        QCOMPARE(m_window->OnPftNew(), cleared);
        const CDialogs::Message question = CDialogs::takeAsked().constFirst();
        QCOMPARE(question.buttons, CDialogs::Buttons::YesNoCancel);
        QCOMPARE(edit->toPlainText().isEmpty(), cleared);
        QCOMPARE(readBytes(path(u"saved.tv8"_qs)), saved ? QByteArray("q") : QByteArray());
        // Nothing to ask about now.
        QCOMPARE(m_window->OnPftNew(), cleared);
        QCOMPARE(CDialogs::takeAsked().isEmpty(), cleared);
    }

    void panesSwitchKeepTheirTextAndShowAll()
    {
        CEngagedEdit *first = setText(u"one\ntwo"_qs, 1);
        press(first, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(m_window->currentPane(), 1);
        QVERIFY(m_window->edit(1)->hasFocus());
        QVERIFY(!first->isVisible() && !m_window->nameBar(0)->isVisible());
        QCOMPARE(m_window->windowTitle(),
                 CStringTable::get(127) + u"2:"_qs + CStringTable::get(126) + CStringTable::get(156));
        QVERIFY(m_window->action(CommandId::PftPane2)->isChecked());
        press(m_window->edit(1), Qt::Key_Left, Qt::ControlModifier);
        press(m_window->edit(0), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(m_window->currentPane(), 2);
        // Show all: 436 - 3 gaps of 12 leaves 400 for the weights 10, 20 (the current pane), 10.
        m_window->resize(436, 300);
        m_window->SetShowAll(true);
        m_window->action(CommandId::PftRatio20)->trigger();
        m_window->SelectPane(1);
        drain();
        QVERIFY(m_window->action(CommandId::PftShowAll)->isChecked());
        QCOMPARE(m_window->edit(1)->geometry(),
                 QRect(124, m_window->edit(1)->y(), 200, m_window->edit(1)->height()));
        QCOMPARE(m_window->markerStrip()->x(), 112);
        // A click into another pane makes it current, and the widths follow.
        QTest::mouseClick(m_window->edit(0)->viewport(), Qt::LeftButton);
        drain();
        QCOMPARE(m_window->currentPane(), 0);
        QCOMPARE(m_window->edit(0)->width(), 200);
        QCOMPARE(first->toPlainText(), u"one\ntwo"_qs);
        QCOMPARE(first->textCursor().blockNumber(), 1);
    }

    void markerFollowsTheCaretLine()
    {
        CEngagedEdit *edit = setText(u"a\nb\nc\nd"_qs);
        CPftMarkerStrip *strip = m_window->markerStrip();
        const int first = strip->markerCenterY();
        press(edit, Qt::Key_F1);
        QVERIFY(strip->markerCenterY() > first);
        const QRect line = edit->cursorRect(edit->textCursor());
        QCOMPARE(strip->markerCenterY(), edit->viewport()->mapTo(m_window.get(), line.center()).y() -
                                             strip->mapTo(m_window.get(), QPoint(0, 0)).y());
    }

    void settingsInAndOutAndHide()
    {
        CConfig &config = m_bed->config();
        config.SetInt(u"pft.display.all_i"_qs, 1);
        config.SetInt(u"pft.display.current_pane_ratio_i"_qs, 30);
        config.SetColor(u"pft.name.color.text"_qs, 0x0000ff);
        config.SetColor(u"pft.name.nonsel.color.background"_qs, 0x123456);
        config.SetInt(u"pft.name.font.point_i"_qs, 14);
        m_window->CopyConfigToWindow();
        QVERIFY(m_window->showAll());
        QVERIFY(m_window->action(CommandId::PftRatio30)->isChecked());
        QCOMPARE(m_window->nameBar(1)->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
        QCOMPARE(m_window->nameFont().pointSize(), 14);
        m_window->SetPaneRatio(15);
        m_window->OnForwardedCommand(CommandId::PftClose);
        QVERIFY(!m_window->isShown() && !m_window->isVisible());
        QCOMPARE(m_bed->posted(), QList<int>{CommandId::RefreshWindowState});
        config.Initialize();
        m_window.reset();
        QCOMPARE(config.GetIntOr(u"pft.display.all_i"_qs, -1), 1);
        QCOMPARE(config.GetIntOr(u"pft.display.current_pane_ratio_i"_qs, -1), 15);
        QCOMPARE(config.GetStringOr(u"pft.name.nonsel.color.background"_qs), u"123456"_qs);
        QCOMPARE(config.GetIntOr(u"pft.display_i"_qs, -1), 0);
    }
};

QTEST_MAIN(DlgPftTest)
#include "DlgPftTest.moc"
