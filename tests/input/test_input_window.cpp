#include "ToolWindowBed.h"
#include "config/CConfig.h"
#include "input/CDlgFKey.h"
#include "input/CDlgInput.h"
#include "input/CInputBox.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QtTest>

#include <memory>

// The input window with recording send paths.
class TestInputWindow final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void monitorTextHoldsTheComposition_data();
    void monitorTextHoldsTheComposition();
    void monitorTextOnKeyReleaseAndFocus();
    void longCompositionIsCut_data();
    void longCompositionIsCut();
    void enterHandsOverTheLine_data();
    void enterHandsOverTheLine();
    void linesEnteredQuicklyAreAllHandedOver();
    void tabSwitchesBoxes();
    void quoting_data();
    void quoting();
    void phraseGoesBeforeTheSelection_data();
    void phraseGoesBeforeTheSelection();
    void phraseEditedIsUsedAtOnce();
    void phraseFromTheStoreWithoutWindow();
    void undoAndScreenClearAsk();
    void typedTextStopsAtTheLimit();
    void functionKeyTextIsNotCut();
    void escapeAndCtrlA();
    void undoneLineGoesBackToTheStart();
    void heightIsHeldAfterResize();

private:
    std::unique_ptr<CDlgInput> makeWindow();
    void show(CDlgInput &window);
    static void press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static void compose(QWidget *widget, const QString &preedit);

    std::unique_ptr<ToolWindowBed> m_bed;
    bool m_attachFunctionKeys = true;
    QStringList m_lines;
    QStringList m_monitors;
    int m_undos = 0;
    int m_clears = 0;
};

void TestInputWindow::init()
{
    m_bed = std::make_unique<ToolWindowBed>();
    m_attachFunctionKeys = true;
    m_lines.clear();
    m_monitors.clear();
    m_undos = 0;
    m_clears = 0;
}

void TestInputWindow::cleanup()
{
    m_bed.reset();
}

std::unique_ptr<CDlgInput> TestInputWindow::makeWindow()
{
    ToolWindowHost host = m_bed->host();
    CDlgInput::Actions actions;
    actions.sendLine = [this](const QString &line) { m_lines.append(line); };
    actions.sendMonitor = [this](const QString &text) { m_monitors.append(text); };
    actions.undo = [this] { ++m_undos; };
    actions.clearScreen = [this] { ++m_clears; };
    auto window = std::make_unique<CDlgInput>(host, actions, [this]() -> const CDlgFKey * {
        return m_attachFunctionKeys ? &m_bed->functionKeys() : nullptr;
    });
    // Shown as "input.display_i" says; the focus it takes arrives before the test's keys.
    window->CopyConfigToWindow();
    static_cast<void>(QTest::qWaitForWindowActive(window.get()));
    QCoreApplication::processEvents();
    m_monitors.clear();
    return window;
}

void TestInputWindow::show(CDlgInput &window)
{
    window.ShowWindow();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.box(0)->setFocus();
    QCoreApplication::processEvents();
}

void TestInputWindow::press(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(widget, key, modifiers);
    QCoreApplication::processEvents();
}

void TestInputWindow::compose(QWidget *widget, const QString &preedit)
{
    QInputMethodEvent event(preedit, {});
    QCoreApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();
}

void TestInputWindow::monitorTextHoldsTheComposition_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    QTest::newRow("caret after ab") << 2 << 0 << u"abかなcd"_qs;
    QTest::newRow("bc selected") << 1 << 2 << u"aかなd"_qs;
    QTest::newRow("caret at start") << 0 << 0 << u"かなabcd"_qs;
    QTest::newRow("all selected") << 0 << 4 << u"かな"_qs;
}

void TestInputWindow::monitorTextHoldsTheComposition()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, expected);
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("abcd"));
    if (length > 0)
        box->setSelection(start, length);
    else
        box->setCursorPosition(start);
    compose(box, u"かな"_qs);
    QCOMPARE(box->monitorText(), expected);
    QVERIFY(!m_monitors.isEmpty());
    QCOMPARE(m_monitors.last(), expected);

    // Confirming the composition leaves the plain text.
    QInputMethodEvent commit;
    commit.setCommitString(u"かな"_qs);
    QCoreApplication::sendEvent(box, &commit);
    QCoreApplication::processEvents();
    QCOMPARE(box->text(), expected);
    QCOMPARE(m_monitors.last(), expected);
}

void TestInputWindow::monitorTextOnKeyReleaseAndFocus()
{
    auto window = makeWindow();
    show(*window);
    CInputBox *lower = window->box(1);
    lower->setText(QStringLiteral("xyz"));
    m_monitors.clear();
    lower->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(m_monitors, QStringList{QStringLiteral("xyz")});
    QCOMPARE(window->currentBox(), lower);

    QTest::keyClicks(lower, QStringLiteral("w"));
    QCoreApplication::processEvents();
    QCOMPARE(m_monitors.last(), QStringLiteral("xyzw"));
    QCOMPARE(window->focusedMonitorText(), QStringLiteral("xyzw"));

    // A release that changed nothing is handed over all the same.
    const qsizetype before = m_monitors.size();
    QTest::keyRelease(lower, Qt::Key_Shift);
    QCoreApplication::processEvents();
    QCOMPARE(m_monitors.size(), before + 1);
}

void TestInputWindow::longCompositionIsCut_data()
{
    QTest::addColumn<QString>("composition");
    QTest::addColumn<QString>("expected");
    const QString kana(200, QChar(0x3042));
    QTest::newRow("200 units") << kana << QString(127, QChar(0x3042));
    QTest::newRow("127 units") << kana.left(127) << kana.left(127);
    // 126 plain units and a surrogate pair crossing the limit: the half character goes.
    const QString pairs = QString(126, QChar(0x3042)) + QString::fromUcs4(U"\U00020BB7\U00020BB7");
    QTest::newRow("pair across the limit") << pairs << QString(126, QChar(0x3042));
}

void TestInputWindow::longCompositionIsCut()
{
    QFETCH(QString, composition);
    QFETCH(QString, expected);
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("ab"));
    box->setCursorPosition(1);
    compose(box, composition);
    QCOMPARE(box->monitorText(), QStringLiteral("a") + expected + QStringLiteral("b"));
}

void TestInputWindow::enterHandsOverTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("line") << u"こんにちは"_qs;
}

void TestInputWindow::enterHandsOverTheLine()
{
    QFETCH(QString, text);
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(text);
    press(box, Qt::Key_Return);
    QCOMPARE(m_lines, QStringList{text});
    QCOMPARE(box->text(), QString());
    QCOMPARE(box->confirmedLine(), text);
    press(box, Qt::Key_Enter);
    QCOMPARE(m_lines.size(), 2);
    QCOMPARE(m_lines.last(), QString());
}

void TestInputWindow::linesEnteredQuicklyAreAllHandedOver()
{
    auto window = makeWindow();
    CInputBox *box = window->box(1);
    box->setText(QStringLiteral("first"));
    QTest::keyClick(box, Qt::Key_Return);
    box->setText(QStringLiteral("second"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(m_lines.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(m_lines, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

void TestInputWindow::tabSwitchesBoxes()
{
    auto window = makeWindow();
    show(*window);
    CInputBox *upper = window->box(0);
    CInputBox *lower = window->box(1);
    QVERIFY(upper->hasFocus());
    upper->setText(QStringLiteral("ab"));
    press(upper, Qt::Key_Tab);
    QVERIFY(lower->hasFocus());
    QCOMPARE(window->currentBox(), lower);
    QCOMPARE(upper->text(), QStringLiteral("ab"));
    press(lower, Qt::Key_Tab);
    QVERIFY(upper->hasFocus());
    QCOMPARE(window->currentBox(), upper);
}

void TestInputWindow::quoting_data()
{
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");
    QTest::addColumn<QString>("expectedSelection");
    // Default marks from the string table.
    QTest::newRow("caret at end") << QString() << QString() << false << 3 << 0 << u"「abc」"_qs << 5
                                  << QString();
    QTest::newRow("caret after a") << QString() << QString() << false << 1 << 0 << u"「abc」"_qs << 2
                                   << QString();
    QTest::newRow("shift: pair 2") << QString() << QString() << true << 3 << 0 << u"（abc）"_qs << 5
                                   << QString();
    QTest::newRow("selection follows")
        << QString() << QString() << false << 1 << 2 << u"「abc」"_qs << 4 << QStringLiteral("bc");
    QTest::newRow("set marks") << u"【"_qs << u"】"_qs << false << 3 << 0 << u"【abc】"_qs << 5 << QString();
    QTest::newRow("empty marks") << QStringLiteral("-") << QStringLiteral("-") << false << 3 << 0
                                 << QStringLiteral("abc") << 3 << QString();
    QTest::newRow("long marks, caret at end") << QStringLiteral("<<") << QStringLiteral(">>") << false << 3
                                              << 0 << QStringLiteral("<<abc>>") << 7 << QString();
    QTest::newRow("long marks, caret after a") << QStringLiteral("<<") << QStringLiteral(">>") << false << 1
                                               << 0 << QStringLiteral("<<abc>>") << 3 << QString();
}

void TestInputWindow::quoting()
{
    QFETCH(QString, begin);
    QFETCH(QString, end);
    QFETCH(bool, shift);
    QFETCH(int, caret);
    QFETCH(int, selectionLength);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);
    QFETCH(QString, expectedSelection);
    if (begin == QStringLiteral("-")) {
        m_bed->config().SetString(QStringLiteral("input.quote.1.begin"), QString());
        m_bed->config().SetString(QStringLiteral("input.quote.1.end"), QString());
    } else if (!begin.isEmpty()) {
        m_bed->config().SetString(QStringLiteral("input.quote.1.begin"), begin);
        m_bed->config().SetString(QStringLiteral("input.quote.1.end"), end);
    }
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("abc"));
    if (selectionLength > 0)
        box->setSelection(caret, selectionLength);
    else
        box->setCursorPosition(caret);
    press(box, Qt::Key_F8, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(box->text(), expected);
    QCOMPARE(box->cursorPosition(), expectedCaret);
    QCOMPARE(box->selectedText(), expectedSelection);
    QVERIFY(m_lines.isEmpty());
}

void TestInputWindow::phraseGoesBeforeTheSelection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");
    QTest::newRow("F1") << int(Qt::Key_F1) << QStringLiteral("XY") << QStringLiteral("aXYbcd") << 3;
    QTest::newRow("F7") << int(Qt::Key_F7) << QStringLiteral("Z") << QStringLiteral("aZbcd") << 2;
    QTest::newRow("F11") << int(Qt::Key_F11) << u"拍手"_qs << u"a拍手bcd"_qs << 3;
    QTest::newRow("F12") << int(Qt::Key_F12) << QStringLiteral("!") << QStringLiteral("a!bcd") << 2;
    QTest::newRow("empty phrase") << int(Qt::Key_F2) << QString() << QStringLiteral("abcd") << 1;
}

void TestInputWindow::phraseGoesBeforeTheSelection()
{
    QFETCH(int, key);
    QFETCH(QString, phrase);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);
    const int number = key - Qt::Key_F1 + 1;
    m_bed->functionKeys().box(number)->setText(phrase);
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("abcd"));
    box->setSelection(1, 2);
    press(box, static_cast<Qt::Key>(key));
    QCOMPARE(box->text(), expected);
    QCOMPARE(box->cursorPosition(), expectedCaret);
}

void TestInputWindow::phraseEditedIsUsedAtOnce()
{
    auto window = makeWindow();
    CInputBox *box = window->box(1);
    m_bed->functionKeys().box(3)->setText(QStringLiteral("one"));
    press(box, Qt::Key_F3);
    m_bed->functionKeys().box(3)->setText(QStringLiteral("two"));
    press(box, Qt::Key_F3);
    QCOMPARE(box->text(), QStringLiteral("onetwo"));
}

void TestInputWindow::phraseFromTheStoreWithoutWindow()
{
    m_attachFunctionKeys = false;
    m_bed->config().SetString(QStringLiteral("fkey.string.05"), QStringLiteral("stored"));
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    press(box, Qt::Key_F5);
    QCOMPARE(box->text(), QStringLiteral("stored"));
    // Quoting needs no function-key window either.
    press(box, Qt::Key_F8);
    QCOMPARE(box->text(), u"「stored」"_qs);
}

void TestInputWindow::undoAndScreenClearAsk()
{
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("abc"));
    press(box, Qt::Key_F9);
    QCOMPARE(m_undos, 1);
    press(box, Qt::Key_F11, Qt::ShiftModifier);
    QCOMPARE(m_clears, 1);
    press(box, Qt::Key_F10);
    QCOMPARE(box->text(), QStringLiteral("abc"));
    QCOMPARE(m_undos, 1);
    QCOMPARE(m_clears, 1);
    QVERIFY(m_lines.isEmpty());
}

void TestInputWindow::typedTextStopsAtTheLimit()
{
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    QTest::keyClicks(box, QString(130, QLatin1Char('x')));
    QCOMPARE(box->text().size(), CInputBox::kTypedLimit);
}

void TestInputWindow::functionKeyTextIsNotCut()
{
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    QTest::keyClicks(box, QString(120, QLatin1Char('x')));
    m_bed->functionKeys().box(1)->setText(QString(20, QLatin1Char('p')));
    box->setCursorPosition(60);
    press(box, Qt::Key_F1);
    QCOMPARE(box->text().size(), 140);
    QCOMPARE(box->cursorPosition(), 80);
    // Above the limit typing adds nothing; deleting still works, and the caret stays.
    QTest::keyClicks(box, QStringLiteral("y"));
    QCOMPARE(box->text().size(), 140);
    press(box, Qt::Key_Backspace);
    QCOMPARE(box->text().size(), 139);
    QCOMPARE(box->cursorPosition(), 79);
    QTest::keyClicks(box, QStringLiteral("y"));
    QCOMPARE(box->text().size(), 139);
    // An emptied box takes typing up to the limit again.
    press(box, Qt::Key_Return);
    QTest::keyClicks(box, QString(130, QLatin1Char('z')));
    QCOMPARE(box->text().size(), CInputBox::kTypedLimit);
    QCOMPARE(m_lines.size(), 1);
    QCOMPARE(m_lines.first().size(), 139);
}

void TestInputWindow::escapeAndCtrlA()
{
    auto window = makeWindow();
    CInputBox *box = window->box(0);
    box->setText(QStringLiteral("abc"));
    box->setCursorPosition(1);
    press(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box->selectedText(), QStringLiteral("abc"));
    box->setCursorPosition(1);
    press(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QVERIFY(m_lines.isEmpty());
}

void TestInputWindow::undoneLineGoesBackToTheStart()
{
    auto window = makeWindow();
    show(*window);
    CInputBox *lower = window->box(1);
    press(window->box(0), Qt::Key_Tab);
    QCOMPARE(window->currentBox(), lower);
    lower->setText(QStringLiteral("next"));
    window->putBackUndoneLine(QStringLiteral("sent "));
    QCOMPARE(lower->text(), QStringLiteral("sent next"));
    QCOMPARE(lower->cursorPosition(), 5);
    QCOMPARE(window->box(0)->text(), QString());
}

void TestInputWindow::heightIsHeldAfterResize()
{
    auto window = makeWindow();
    show(*window);
    const int held = window->HeldClientHeight();
    QVERIFY(held > 0);
    QCOMPARE(window->height(), held);
    window->resize(420, held * 3);
    QCoreApplication::processEvents();
    QCOMPARE(window->width(), 420);
    QCOMPARE(window->height(), held);
    // The boxes share the height, one above the other.
    QCOMPARE(window->box(0)->geometry(), QRect(0, 0, 420, held / 2 - 1));
    QCOMPARE(window->box(1)->geometry(), QRect(0, held / 2 + 1, 420, held / 2 - 1));

    // A window manager that ignores the fixed height: the height snaps back all the same.
    window->setMinimumHeight(0);
    window->setMaximumHeight(QWIDGETSIZE_MAX);
    window->resize(380, held * 4);
    QCOMPARE(window->height(), held * 4);
    QCoreApplication::processEvents();
    QCOMPARE(window->height(), held);
    QCOMPARE(window->width(), 380);

    // A larger font makes the window taller at once.
    QFont font = window->boxFont();
    font.setPointSizeF(font.pointSizeF() * 3);
    window->setBoxFont(font);
    QVERIFY(window->HeldClientHeight() > held);
    QCOMPARE(window->height(), window->HeldClientHeight());
}

QTEST_MAIN(TestInputWindow)
#include "test_input_window.moc"
