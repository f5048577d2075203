#include "ToolWindowBed.h"
#include "core/CommandIds.h"
#include "input/CDlgCfgInput.h"
#include "input/CDlgInput.h"
#include "input/CFunctionKeyRules.h"
#include "input/CInputBox.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <memory>
#include <utility>

namespace {

void press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
    QCoreApplication::processEvents();
}

void compose(QWidget *widget, const QString &preedit, const QString &commit = QString())
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();
}

} // namespace

// The typist's windows: the input window with recording send paths (and, through it, the
// conventions every tool window shares), the function-key window and the input settings.
class InputWindowsTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolWindowBed> m_bed;
    QStringList m_lines;
    QStringList m_monitors;
    int m_undos = 0;
    int m_clears = 0;

    std::unique_ptr<CDlgInput> makeWindow(ToolWindowHost host = {})
    {
        CDlgInput::Actions actions;
        actions.sendLine = [this](const QString &line) { m_lines.append(line); };
        actions.sendMonitor = [this](const QString &text) { m_monitors.append(text); };
        actions.undo = [this] { ++m_undos; };
        actions.clearScreen = [this] { ++m_clears; };
        auto window = std::make_unique<CDlgInput>(host.config ? host : m_bed->host(), actions,
                                                  [this] { return &m_bed->functionKeys(); });
        m_bed->config().SetInt(QStringLiteral("input.display_i"), 1);
        window->CopyConfigToWindow();
        window->activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(window.get()));
        window->box(0)->setFocus();
        QCoreApplication::processEvents();
        m_monitors.clear();
        return window;
    }

private slots:
    void init()
    {
        m_bed = std::make_unique<ToolWindowBed>();
        m_lines.clear();
        m_monitors.clear();
        m_undos = 0;
        m_clears = 0;
    }
    void cleanup() { m_bed.reset(); }

    void monitorTextHoldsTheComposition_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("composition");
        QTest::addColumn<QString>("expected");
        const QString kana(200, QChar(0x3042));
        QTest::newRow("caret after ab") << 2 << 2 << u"かな"_qs << u"abかなcd"_qs;
        QTest::newRow("bc selected") << 1 << 3 << u"かな"_qs << u"aかなd"_qs;
        QTest::newRow("all selected, backwards") << 4 << 0 << u"かな"_qs << u"かな"_qs;
        QTest::newRow("200 units: the first 127") << 0 << 0 << kana << kana.left(127) + u"abcd"_qs;
        // 126 plain units and a surrogate pair crossing the limit: the half character goes.
        QTest::newRow("pair across the limit")
            << 0 << 0 << kana.left(126) + QString::fromUcs4(U"\U00020BB7\U00020BB7")
            << kana.left(126) + u"abcd"_qs;
    }
    void monitorTextHoldsTheComposition()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, composition);
        QTEST(CInputBox::ComposeMonitorText(QStringLiteral("abcd"), start, end, composition), "expected");
    }

    // Each change of a box's text goes out once, with the open composition in it; an input method
    // may report a change twice. Both boxes share what went out last.
    void monitorTextOnceForEachChange()
    {
        auto window = makeWindow();
        CInputBox *lower = window->box(1);
        lower->setText(QStringLiteral("xyz"));
        lower->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(m_monitors, QStringList{QStringLiteral("xyz")});
        QCOMPARE(window->currentBox(), lower);
        QTest::keyClicks(lower, QStringLiteral("w"));
        QCoreApplication::processEvents();
        QCOMPARE(window->focusedMonitorText(), QStringLiteral("xyzw"));
        // A release that changed nothing is handed over all the same.
        const qsizetype before = m_monitors.size();
        QTest::keyRelease(lower, Qt::Key_Shift);
        QCoreApplication::processEvents();
        QCOMPARE(m_monitors.size(), before + 1);
        lower->setCursorPosition(1);
        m_monitors.clear();
        compose(lower, u"かな"_qs);
        compose(lower, u"かな"_qs);
        QTest::keyRelease(lower, Qt::Key_K);
        // A confirmed composition leaves the plain text.
        compose(lower, QString(), u"仮名"_qs);
        press(lower, Qt::Key_Return);
        QCOMPARE(m_monitors, (QStringList{u"xかなyzw"_qs, u"x仮名yzw"_qs, QString()}));
        window->box(0)->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(m_monitors.size(), 3);
    }

    void typedTextPastTheLimit_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("notTaken");
        const QString kana(130, QChar(0x3042));
        QTest::newRow("130 committed into an empty box")
            << 0 << 0 << u"commit"_qs << kana << 127 << kana.left(3);
        QTest::newRow("commit that just fits")
            << 120 << 0 << u"commit"_qs << kana.left(7) << 127 << QString();
        QTest::newRow("commit over a selection that fits")
            << 127 << 3 << u"commit"_qs << kana.left(3) << 127 << QString();
        QTest::newRow("key typed at the limit") << 127 << 0 << u"key"_qs << u"y"_qs << 127 << u"y"_qs;
        QTest::newRow("paste past the limit") << 125 << 0 << u"paste"_qs << u"abcd"_qs << 127 << u"cd"_qs;
        QTest::newRow("commit into a phrase-lengthened line")
            << 140 << 0 << u"commit"_qs << kana.left(2) << 140 << kana.left(2);
    }
    void typedTextPastTheLimit()
    {
        QFETCH(int, length);
        QFETCH(int, selected);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, notTaken);
        auto window = makeWindow();
        CInputBox *box = window->box(0);
        box->PutText(QString(length, QLatin1Char('x')), length);
        if (selected)
            box->setSelection(0, selected);
        QSignalSpy cut(box, &CInputBox::typedTextCut);
        if (how == u"commit") {
            compose(box, input);
            compose(box, QString(), input);
        } else if (how == u"paste") {
            QGuiApplication::clipboard()->setText(input);
            press(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(box, input);
        }
        QTEST(int(box->text().size()), "kept");
        QCOMPARE(cut.size(), notTaken.isEmpty() ? 0 : 1);
        QCOMPARE(box->notTaken(), notTaken);
        QCOMPARE(box->limitMark()->isVisible(), !notTaken.isEmpty());
        if (notTaken.isEmpty())
            return;
        QCOMPARE(cut.first().first().toString(), notTaken);
        // Red on any background the member chose.
        const QColor mark =
            box->grab().toImage().pixelColor(box->limitMark()->geometry().topLeft() + QPoint(1, 1));
        QVERIFY2(mark.red() > 150 && mark.green() < 100 && mark.blue() < 100, qPrintable(mark.name()));
        QVERIFY2(box->limitMark()->text().contains(notTaken.left(12)), qPrintable(box->limitMark()->text()));
        // The mark stays while the box is full and goes once there is room again.
        press(box, Qt::Key_End);
        QVERIFY(box->limitMark()->isVisible());
        press(box, Qt::Key_Backspace);
        QVERIFY(!box->limitMark()->isVisible());
        QVERIFY(box->notTaken().isEmpty());
    }

    void linesInOrderTabEscapeAndUndoneLine()
    {
        auto window = makeWindow();
        CInputBox *upper = window->box(0);
        CInputBox *lower = window->box(1);
        upper->setText(QStringLiteral("first"));
        QTest::keyClick(upper, Qt::Key_Return);
        upper->setText(QStringLiteral("second"));
        QTest::keyClick(upper, Qt::Key_Enter);
        // Handed over after the key, each with its own copy, in the order typed.
        QVERIFY(m_lines.isEmpty());
        press(upper, Qt::Key_Return);
        QCOMPARE(m_lines, (QStringList{QStringLiteral("first"), QStringLiteral("second"), QString()}));
        QCOMPARE(upper->text(), QString());

        upper->setText(QStringLiteral("abc"));
        press(upper, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(upper->selectedText(), QStringLiteral("abc"));
        press(upper, Qt::Key_Tab);
        QVERIFY(lower->hasFocus());
        QCOMPARE(window->currentBox(), lower);
        // The undone line goes in front of what the current box holds.
        lower->setText(QStringLiteral("next"));
        window->putBackUndoneLine(QStringLiteral("sent "));
        QCOMPARE(lower->text(), QStringLiteral("sent next"));
        QCOMPARE(lower->cursorPosition(), 5);
        press(lower, Qt::Key_Escape);
        QCOMPARE(lower->text(), QString());
        press(lower, Qt::Key_Tab);
        QVERIFY(upper->hasFocus());
    }

    // The rules themselves are tested without a window; here the window applies their steps.
    void functionKeysApplied()
    {
        auto window = makeWindow();
        CInputBox *box = window->box(0);
        box->setText(QStringLiteral("abcd"));
        box->setSelection(1, 2);
        press(box, Qt::Key_F8);
        QCOMPARE(box->text(), u"「abcd」"_qs);
        QCOMPARE(box->selectedText(), u"bc"_qs);
        QCOMPARE(box->cursorPosition(), 4);
        // Undo and the screen clear are the main window's; the box stays as it was.
        press(box, Qt::Key_F9);
        QCOMPARE(std::pair(m_undos, m_clears), std::pair(1, 0));
        press(box, Qt::Key_F11, Qt::ShiftModifier);
        QCOMPARE(std::pair(m_undos, m_clears), std::pair(1, 1));
        QCOMPARE(box->text(), u"「abcd」"_qs);
        QCOMPARE(box->selectedText(), u"bc"_qs);
        QVERIFY(m_lines.isEmpty());
    }

    void typedLimitButFunctionKeyTextUncut()
    {
        auto window = makeWindow();
        CInputBox *box = window->box(0);
        box->setText(QString(120, QLatin1Char('x')));
        m_bed->functionKeys().box(1)->setText(QString(20, QLatin1Char('p')));
        box->setCursorPosition(60);
        press(box, Qt::Key_F1);
        QCOMPARE(box->text().size(), 140);
        QCOMPARE(box->cursorPosition(), 80);
        // Above the limit typing adds nothing; deleting still works, and the caret stays.
        QTest::keyClicks(box, QStringLiteral("y"));
        press(box, Qt::Key_Backspace);
        QCOMPARE(box->text().size(), 139);
        QCOMPARE(box->cursorPosition(), 79);
        QTest::keyClicks(box, QStringLiteral("y"));
        QCOMPARE(box->text().size(), 139);
        // An emptied box takes typing up to the limit again.
        press(box, Qt::Key_Return);
        QTest::keyClicks(box, QString(130, QLatin1Char('z')));
        QCOMPARE(box->text().size(), CInputBox::kTypedLimit);
        QCOMPARE(m_lines.first().size(), 139);
    }

    void heightIsHeldToTwoLines()
    {
        auto window = makeWindow();
        const int held = window->HeldClientHeight();
        QVERIFY(held > 0);
        window->resize(420, held * 3);
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), QSize(420, held));
        QCOMPARE(window->box(0)->geometry(), QRect(0, 0, 420, held / 2 - 1));
        QCOMPARE(window->box(1)->geometry(), QRect(0, held / 2 + 1, 420, held / 2 - 1));
        // A window manager that ignores the fixed height: the height snaps back all the same.
        window->setMinimumHeight(0);
        window->setMaximumHeight(QWIDGETSIZE_MAX);
        window->resize(380, held * 4);
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), QSize(380, held));
    }

    void toolWindowKeysInAndOut()
    {
        CConfig &config = m_bed->config();
        config.SetInt(QStringLiteral("input.position.x_i"), 120);
        config.SetInt(QStringLiteral("input.size.x_i"), 333);
        config.SetInt(QStringLiteral("input.font.charset_i"), 128);
        config.SetColor(QStringLiteral("input.color.text"), 0x0000ff);
        auto window = makeWindow();
        QCOMPARE(window->geometry().x(), 120);
        QCOMPARE(window->width(), 333);
        QVERIFY(window->isShown());
        QCOMPARE(window->box(1)->palette().color(QPalette::Text), QColor(255, 0, 0));
        window->HideWindow();
        config.Initialize();
        window->CopyWindowToConfig();
        QCOMPARE(config.GetIntOr(QStringLiteral("input.size.x_i"), -1), 333);
        QCOMPARE(config.GetIntOr(QStringLiteral("input.display_i"), -1), 0);
        // The character set passes through untouched.
        QCOMPARE(config.GetIntOr(QStringLiteral("input.font.charset_i"), -1), 128);
        QCOMPARE(config.GetStringOr(QStringLiteral("input.color.text")), QStringLiteral("0000ff"));
        // The main window's own hide posts nothing; the close button hides and asks for the marks.
        QVERIFY(m_bed->posted().isEmpty());
        window->ShowWindow();
        QVERIFY(!window->close());
        QVERIFY(!window->isShown() && !window->isVisible());
        QCOMPARE(m_bed->posted(), QList<int>{CommandId::RefreshWindowState});
    }

    void fontAndColourCommands()
    {
        bool ok = true;
        CCustomPalette *seen = nullptr;
        ToolWindowHost host = m_bed->host();
        host.fontDialog = [&ok](QWidget *, QFont &font, quint32 &color) {
            font.setPointSize(ok ? 30 : 50);
            color = ok ? 0x00ff00 : 0x0000ff;
            return ok;
        };
        host.colorDialog = [&ok, &seen](QWidget *, quint32 &color, CCustomPalette *palette) {
            seen = palette;
            color = ok ? palette->color(3) : 0;
            return ok;
        };
        m_bed->palette().setColor(3, 0x123456);
        auto window = makeWindow(host);
        const int held = window->height();
        // The commands come from the menu, once it has closed.
        QMenu menu;
        window->addCommandsToMenu(menu);
        for (QAction *action : menu.actions())
            action->trigger();
        QVERIFY(window->textColor() != 0x00ff00u);
        QCoreApplication::processEvents();
        QCOMPARE(qRound(window->box(0)->font().pointSizeF()), 30);
        QCOMPARE(window->box(0)->palette().color(QPalette::Text), QColor(0, 255, 0));
        QCOMPARE(seen, &m_bed->palette());
        QCOMPARE(window->box(1)->palette().color(QPalette::Base), QColor(0x56, 0x34, 0x12));
        // A larger font makes the window taller at once.
        QVERIFY(window->height() > held);
        // Cancelled dialogs change nothing.
        ok = false;
        window->OnForwardedCommand(CommandId::InputFont);
        window->OnForwardedCommand(CommandId::InputBackground);
        QCOMPARE(qRound(window->box(0)->font().pointSizeF()), 30);
        QCOMPARE(window->textColor(), 0x00ff00u);
        QCOMPARE(window->backgroundColor(), 0x123456u);
    }

    void functionKeyBoxes()
    {
        CDlgFKey &keys = m_bed->functionKeys();
        for (int key = 1; key <= 12; ++key) {
            m_bed->config().SetString(CFunctionKeyRules::PhraseKey(key), QStringLiteral("p%1").arg(key));
            // F8, F9 and F10 take no caret.
            QCOMPARE(keys.box(key)->focusPolicy() == Qt::NoFocus, key >= 8 && key <= 10);
        }
        keys.CopyConfigToWindow();
        QCOMPARE(keys.phrase(9), QStringLiteral("p9"));
        // The fixed keys' text goes back too, though nobody can type in it.
        keys.box(2)->setText(u"よろしく"_qs);
        m_bed->config().Initialize();
        keys.CopyWindowToConfig();
        QCOMPARE(m_bed->config().GetStringOr(CFunctionKeyRules::PhraseKey(2)), u"よろしく"_qs);
        QCOMPARE(m_bed->config().GetStringOr(CFunctionKeyRules::PhraseKey(9)), QStringLiteral("p9"));
        // The rows follow the font's line height, each label in the middle of its row.
        keys.resize(300, 400);
        QVERIFY(keys.Relayout());
        const int pitch = keys.box(1)->height();
        QCOMPARE(pitch % 2, 0);
        QCOMPARE(keys.box(12)->geometry(),
                 QRect(keys.box(1)->x(), 11 * pitch, 300 - keys.box(1)->x(), pitch));
        QVERIFY(qAbs(keys.label(12)->geometry().center().y() - keys.box(12)->geometry().center().y()) <= 1);
    }

    void quoteMarksStoredOnOkOnly()
    {
        const QStringList marks{u"【"_qs, u"】"_qs, QStringLiteral("<<"), QString()};
        for (const bool ok : {false, true}) {
            CDlgCfgInput dialog(m_bed->config());
            QCOMPARE(dialog.mark(0)->text(), u"「"_qs);
            for (int i = 0; i < 4; ++i)
                dialog.mark(i)->setText(marks.at(i));
            ok ? dialog.accept() : dialog.reject();
        }
        for (int i = 0; i < 4; ++i)
            QCOMPARE(m_bed->config().GetStringOr(CDlgCfgInput::markKey(i), QStringLiteral("unset")),
                     marks.at(i));
    }
};

QTEST_MAIN(InputWindowsTest)
#include "InputWindowsTest.moc"
