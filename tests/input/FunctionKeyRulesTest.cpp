#include "MarkedText.h"
#include "config/CConfig.h"
#include "input/CFunctionKeyRules.h"
#include "input/IFunctionKeyPhrases.h"

#include <QTest>

namespace {

using Rules = CFunctionKeyRules;

// The function-key window's boxes: F1 "XY", F2 empty, F11 "拍手", F12 "!", the others "Z".
class Phrases final : public IFunctionKeyPhrases
{
public:
    QString phrase(int key) const override
    {
        return key == 1    ? u"XY"_qs
               : key == 2  ? QString()
               : key == 11 ? u"拍手"_qs
               : key == 12 ? u"!"_qs
                           : u"Z"_qs;
    }
};

constexpr int kBox = int(Rules::Target::InputBox);
constexpr int kPane = int(Rules::Target::PrerollPane);
constexpr int kNone = int(Rules::Action::None);
constexpr int kEdit = int(Rules::Action::Edit);
constexpr int kUndo = int(Rules::Action::Undo);
constexpr int kClear = int(Rules::Action::ClearScreen);

} // namespace

// The function keys of the input boxes and the pre-roll panes, without a window: each row is a
// text with its selection, a key, and the text and selection the window must end up with. The
// key acts on the line of the caret; a pane's selection may reach into other lines.
class FunctionKeyRulesTest final : public QObject
{
    Q_OBJECT

private slots:
    void press_data();
    void press();
    void storedPhraseAndBuiltInMarks();
};

void FunctionKeyRulesTest::press_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("after");
    // Phrases: F1 "XY", F2 empty, F11 "拍手", F12 "!", F7 "Z". Quote pair 2 is "<<" ">>".
    QTest::newRow("F1 goes before the selection")
        << kBox << 1 << false << u"a[bc|d"_qs << kEdit << u"aXY|bcd"_qs;
    QTest::newRow("F1 before a leftward one") << kBox << 1 << false << u"a|bc[d"_qs << kEdit << u"aXY|bcd"_qs;
    QTest::newRow("F11 is a phrase") << kBox << 11 << false << u"a|bcd"_qs << kEdit << u"a拍手|bcd"_qs;
    QTest::newRow("Shift+F12 too") << kBox << 12 << true << u"abcd|"_qs << kEdit << u"abcd!|"_qs;
    QTest::newRow("empty phrase: caret only") << kBox << 2 << false << u"a|bc[d"_qs << kEdit << u"a|bcd"_qs;
    QTest::newRow("F8, caret at the end") << kBox << 8 << false << u"abc|"_qs << kEdit << u"「abc」|"_qs;
    QTest::newRow("F8, caret after a") << kBox << 8 << false << u"a|bc"_qs << kEdit << u"「a|bc」"_qs;
    QTest::newRow("F8, selection kept") << kBox << 8 << false << u"a[b|c"_qs << kEdit << u"「a[b|c」"_qs;
    QTest::newRow("F8, selection to the end")
        << kBox << 8 << false << u"a[bc|"_qs << kEdit << u"「a[bc|」"_qs;
    QTest::newRow("F8, empty line") << kBox << 8 << false << u"|"_qs << kEdit << u"「」|"_qs;
    QTest::newRow("Shift+F8, long marks, end") << kBox << 8 << true << u"abc|"_qs << kEdit << u"<<abc>>|"_qs;
    QTest::newRow("Shift+F8, long marks, a") << kBox << 8 << true << u"a|bc"_qs << kEdit << u"<<a|bc>>"_qs;
    QTest::newRow("F9: last line back") << kBox << 9 << false << u"a|bc"_qs << kUndo << u"a|bc"_qs;
    QTest::newRow("Shift+F9 as well") << kBox << 9 << true << u"a|bc"_qs << kUndo << u"a|bc"_qs;
    QTest::newRow("F10 is the system's") << kBox << 10 << false << u"a|bc"_qs << kNone << u"a|bc"_qs;
    QTest::newRow("Shift+F11 clears") << kBox << 11 << true << u"a|bc"_qs << kClear << u"a|bc"_qs;
    QTest::newRow("no F13") << kBox << 13 << false << u"a|bc"_qs << kNone << u"a|bc"_qs;

    QTest::newRow("pane: phrase replaces")
        << kPane << 7 << false << u"hello |world["_qs << kEdit << u"hello Z|"_qs;
    QTest::newRow("pane: empty phrase removes")
        << kPane << 2 << false << u"[hello |world"_qs << kEdit << u"|world"_qs;
    QTest::newRow("pane: across lines")
        << kPane << 7 << false << u"on[e\nabc\nt|wo"_qs << kEdit << u"onZ|wo"_qs;
    QTest::newRow("pane: F8 on the caret line")
        << kPane << 8 << false << u"one\nabc|\ntwo"_qs << kEdit << u"one\n「abc」|\ntwo"_qs;
    QTest::newRow("pane: F8, selection from above")
        << kPane << 8 << false << u"o[ne\nab|c\ntwo"_qs << kEdit << u"o[ne\n「ab|c」\ntwo"_qs;
    QTest::newRow("pane: F8, selection into below")
        << kPane << 8 << false << u"one\na|bc\ntw[o"_qs << kEdit << u"one\n「a|bc」\ntw[o"_qs;
    QTest::newRow("pane: F9 does nothing") << kPane << 9 << false << u"a|bc"_qs << kNone << u"a|bc"_qs;
    QTest::newRow("pane: Shift+F11 clears") << kPane << 11 << true << u"a|bc"_qs << kClear << u"a|bc"_qs;
}

void FunctionKeyRulesTest::press()
{
    QFETCH(int, target);
    QFETCH(int, key);
    QFETCH(bool, shift);
    QFETCH(QString, before);
    CConfig config;
    config.Initialize();
    config.SetString(QStringLiteral("input.quote.2.begin"), QStringLiteral("<<"));
    config.SetString(QStringLiteral("input.quote.2.end"), QStringLiteral(">>"));
    const Phrases phrases;
    const Rules rules(static_cast<Rules::Target>(target), &config, &phrases);

    MarkedText text(before);
    const int start = static_cast<int>(text.text.lastIndexOf(u'\n', text.caret - 1) + 1);
    const int end = static_cast<int>(text.text.indexOf(u'\n', text.caret));
    const QString line = text.text.mid(start, end < 0 ? -1 : end - start);
    const Rules::Step step = rules.Press(key, shift, line, text.anchor - start, text.caret - start);
    QTEST(int(step.action), "action");
    // The window applies the step; the rest of the text stays as it was.
    if (step.action == Rules::Action::Edit) {
        text.text = text.text.left(start + step.from) + step.text + text.text.mid(start + step.to);
        text.anchor = start + step.anchor;
        text.caret = start + step.caret;
    }
    QTEST(text.marked(), "after");
}

void FunctionKeyRulesTest::storedPhraseAndBuiltInMarks()
{
    CConfig config;
    config.Initialize();
    config.SetString(QStringLiteral("fkey.string.05"), QStringLiteral("stored"));
    config.SetString(QStringLiteral("input.quote.1.begin"), QString());
    // Without a function-key window the stored phrase is used.
    const Rules withoutWindow(Rules::Target::InputBox, &config, nullptr);
    QCOMPARE(withoutWindow.Press(5, false, QString(), 0, 0).text, QStringLiteral("stored"));
    QCOMPARE(Rules::PhraseKey(12), QStringLiteral("fkey.string.12"));
    // An empty mark is a mark the user chose.
    QCOMPARE(withoutWindow.QuoteBegin(1), QString());
    QCOMPARE(withoutWindow.QuoteEnd(1), u"」"_qs);
    // No settings at all: the built-in marks and no phrases.
    const Rules bare(Rules::Target::PrerollPane, nullptr, nullptr);
    QCOMPARE(bare.Press(8, true, QStringLiteral("x"), 1, 1).text, u"（x）"_qs);
}

QTEST_APPLESS_MAIN(FunctionKeyRulesTest)
#include "FunctionKeyRulesTest.moc"
