#include "preroll/CPftLayout.h"
#include "preroll/CPftLineRules.h"
#include "preroll/CPftTextLines.h"

#include <QTest>

namespace {

// "l<from>" ... "l<to - 1>".
QStringList names(int from, int to)
{
    QStringList list;
    for (int i = from; i < to; ++i)
        list.append(u"l%1"_qs.arg(i));
    return list;
}

} // namespace

// The pre-roll editor's line rules over plain text, and its show-all layout.
class PftLineRulesTest final : public QObject
{
    Q_OBJECT

private slots:
    void readLineCutsLongLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("read");
        const QString a246(246, u'a');
        QTest::newRow("246 kept") << a246 << a246;
        QTest::newRow("247 cut") << a246 + u'b' << a246;
        // A character of two units across the limit is left out whole.
        const QString pair = u"\U0001F600"_qs;
        QTest::newRow("surrogate pair at the limit") << QString(245, u'a') + pair << QString(245, u'a');
        QTest::newRow("surrogate pair before it")
            << QString(244, u'a') + pair + u'b' << QString(244, u'a') + pair;
    }

    void readLineCutsLongLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, read);
        const CPftTextLines lines(line);
        QCOMPARE(CPftLineRules::ReadLine(lines, 0), read);
    }

    void sendCaretLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("newCaretLine");
        QTest::addColumn<bool>("caretMoves");
        QTest::newRow("plain line") << u"a\nb\nc"_qs << 0 << true << u"a"_qs << 1 << true;
        QTest::newRow("comment moves on, sends nothing")
            << u"<-note\nb"_qs << 0 << false << u"<-note"_qs << 1 << true;
        QTest::newRow("last line sent, caret stays") << u"a\nb"_qs << 1 << true << u"b"_qs << 1 << false;
        QTest::newRow("separator sent like any line") << u"`@\nb"_qs << 0 << true << u"`@"_qs << 1 << true;
        QTest::newRow("empty line sent") << u"\nb"_qs << 0 << true << QString() << 1 << true;
        QTest::newRow("single '<' is no comment") << u"<a"_qs << 0 << true << u"<a"_qs << 0 << false;
        QTest::newRow("marker later in the line") << u" <-a"_qs << 0 << true << u" <-a"_qs << 0 << false;
        QTest::newRow("caret beyond the last line") << u"a\nb"_qs << 5 << true << u"b"_qs << 1 << false;
    }

    void sendCaretLine()
    {
        QFETCH(QString, text);
        QFETCH(int, caretLine);
        const CPftLineRules::LineStep step = CPftLineRules::SendCaretLine(CPftTextLines(text), caretLine);
        QTEST(step.send, "send");
        QTEST(step.line, "line");
        QTEST(step.caretLine, "newCaretLine");
        QTEST(step.caretMoves, "caretMoves");
    }

    void collectBlock_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QStringList>("block");
        QTest::addColumn<int>("newCaretLine");
        const QString sep = CPftLineRules::separatorLine();
        QTest::newRow("separator 3 lines down")
            << u"a\nb\nc\n`@\nnext"_qs << 0 << true << QStringList{u"a"_qs, u"b"_qs, u"c"_qs, sep} << 4;
        QTest::newRow("comments skipped") << u"a\n<-x\nb\n<-y\nc\n`@\nnext"_qs << 0 << true
                                          << QStringList{u"a"_qs, u"b"_qs, u"c"_qs, sep} << 6;
        QTest::newRow("from the caret line")
            << u"a\nb\n`@\nc"_qs << 1 << true << QStringList{u"b"_qs, sep} << 3;
        QTest::newRow("caret on the separator") << u"`@\na"_qs << 0 << true << QStringList{sep} << 1;
        QTest::newRow("separator is the last line")
            << u"a\n`@"_qs << 0 << true << QStringList{u"a"_qs, sep} << 1;
        QTest::newRow("no separator") << u"a\nb\nc"_qs << 1 << false << QStringList() << 1;
        QTest::newRow("separator with a space is none")
            << u"a\n`@ \nb"_qs << 0 << false << QStringList() << 0;
        QStringList lines(40, u"x"_qs);
        lines[19] = sep;
        QTest::newRow("separator 19 lines down")
            << lines.join(u'\n') << 0 << true << QStringList(19, u"x"_qs) + QStringList{sep} << 20;
        lines[19] = u"x"_qs;
        lines[20] = sep;
        QTest::newRow("separator 20 lines down") << lines.join(u'\n') << 0 << false << QStringList() << 0;
        QTest::newRow("separator 20 lines down, comments between")
            << u"<-\n"_qs.repeated(20) + sep << 0 << false << QStringList() << 0;
    }

    void collectBlock()
    {
        QFETCH(QString, text);
        QFETCH(int, caretLine);
        const CPftLineRules::BlockStep step = CPftLineRules::CollectBlock(CPftTextLines(text), caretLine);
        QTEST(step.found, "found");
        QTEST(step.block, "block");
        QTEST(step.caretLine, "newCaretLine");
    }

    void state_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<int>("caretColumn");
        QTest::addColumn<QString>("composition");
        QTest::addColumn<QStringList>("former");
        QTest::addColumn<QStringList>("latter");
        // The latter lines as listed here; the list always ends in one empty entry.
        QTest::newRow("first line") << 30 << 0 << 0 << QString() << QStringList() << names(0, 10);
        QTest::newRow("middle") << 30 << 6 << 0 << QString() << names(2, 6) << names(6, 16);
        QTest::newRow("line 2") << 30 << 2 << 0 << QString() << names(0, 2) << names(2, 12);
        QTest::newRow("near the end") << 8 << 5 << 0 << QString() << names(1, 5) << names(5, 8);
        QTest::newRow("caret beyond the last line") << 8 << 9 << 0 << QString() << names(3, 7) << names(7, 8);
        QTest::newRow("last line") << 8 << 7 << 0 << QString() << names(3, 7) << names(7, 8);
        QTest::newRow("composition at the caret")
            << 3 << 1 << 1 << u"かな"_qs << names(0, 1) << QStringList{u"lかな1"_qs, u"l2"_qs};
        QTest::newRow("composition at the end")
            << 1 << 0 << 2 << u"x"_qs << QStringList() << QStringList{u"l0x"_qs};
        QTest::newRow("column beyond the line")
            << 1 << 0 << 99 << u"x"_qs << QStringList() << QStringList{u"l0x"_qs};
        QTest::newRow("composition cut to 127") << 1 << 0 << 0 << QString(200, u'あ') << QStringList()
                                                << QStringList{QString(127, u'あ') + u"l0"_qs};
    }

    void state()
    {
        QFETCH(int, lineCount);
        QFETCH(int, caretLine);
        QFETCH(int, caretColumn);
        QFETCH(QString, composition);
        QFETCH(QStringList, latter);
        const CPftLineRules::State state = CPftLineRules::BuildState(
            CPftTextLines(names(0, lineCount).join(u'\n')), caretLine, caretColumn, composition);
        QTEST(state.former, "former");
        QCOMPARE(state.latter, latter + QStringList{QString()});
    }

    void commentJumps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("previous");
        QTest::newRow("no comment at all") << u"a\nb\nc\nd"_qs << 1 << 3 << 0;
        QTest::newRow("comments around") << u"<-a\nb\n<-c\nd\n<-e\nf"_qs << 2 << 4 << 0;
        QTest::newRow("caret line itself is skipped") << u"a\n<-b\nc"_qs << 1 << 2 << 0;
        QTest::newRow("next right after") << u"a\n<-b\nc"_qs << 0 << 1 << 0;
        QTest::newRow("previous right before") << u"a\n<-b\nc"_qs << 2 << 2 << 1;
        QTest::newRow("one line") << u"a"_qs << 0 << 0 << 0;
    }

    void commentJumps()
    {
        QFETCH(QString, text);
        QFETCH(int, caretLine);
        const CPftTextLines lines(text);
        QTEST(CPftLineRules::NextComment(lines, caretLine), "next");
        QTEST(CPftLineRules::PreviousComment(lines, caretLine), "previous");
    }

    void stateOnRelease_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("autoRepeat");
        QTest::addColumn<bool>("posts");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("letter") << int(Qt::Key_A) << 0 << false << true;
        QTest::newRow("ctrl itself") << int(Qt::Key_Control) << 0 << false << false;
        QTest::newRow("ctrl itself, held") << int(Qt::Key_Control) << ctrl << false << false;
        QTest::newRow("ctrl+o") << int(Qt::Key_O) << ctrl << false << false;
        QTest::newRow("ctrl+a") << int(Qt::Key_A) << ctrl << false << false;
        QTest::newRow("ctrl+s") << int(Qt::Key_S) << ctrl << false << false;
        QTest::newRow("ctrl+k") << int(Qt::Key_K) << ctrl << false << true;
        QTest::newRow("shift+s") << int(Qt::Key_S) << int(Qt::ShiftModifier) << false << true;
        QTest::newRow("f1") << int(Qt::Key_F1) << 0 << false << true;
        QTest::newRow("auto-repeat") << int(Qt::Key_Down) << 0 << true << false;
    }

    void stateOnRelease()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, autoRepeat);
        QTEST(CPftLineRules::PostsStateOnRelease(key, Qt::KeyboardModifiers(modifiers), autoRepeat), "posts");
    }

    void showAllLayout_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("xs");
        QTest::addColumn<QList<int>>("widths");
        // 436 - 36 = 400 over weight 40: unit 10.
        QTest::newRow("ratio 20, pane 1")
            << 436 << 12 << 20 << 0 << QList<int>{12, 224, 336} << QList<int>{200, 100, 100};
        QTest::newRow("ratio 10") << 336 << 12 << 10 << 0 << QList<int>{12, 124, 236}
                                  << QList<int>{100, 100, 100};
        QTest::newRow("below 10 counts as 10")
            << 336 << 12 << 5 << 1 << QList<int>{12, 124, 236} << QList<int>{100, 100, 100};
        QTest::newRow("ratio 15") << 386 << 12 << 15 << 1 << QList<int>{12, 124, 286}
                                  << QList<int>{100, 150, 100};
        QTest::newRow("ratio 30") << 536 << 12 << 30 << 2 << QList<int>{12, 124, 236}
                                  << QList<int>{100, 100, 300};
        // 100 - 36 = 64 over 30: unit 2.1333, rounded per pane.
        QTest::newRow("rounded") << 100 << 12 << 10 << 0 << QList<int>{12, 45, 79} << QList<int>{21, 21, 21};
        QTest::newRow("too narrow: a pixel per weight")
            << 20 << 12 << 10 << 0 << QList<int>{12, 34, 56} << QList<int>{10, 10, 10};
    }

    void showAllLayout()
    {
        QFETCH(int, width);
        QFETCH(int, gap);
        QFETCH(int, ratio);
        QFETCH(int, current);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, widths);
        const auto columns = CPftLayout::ShowAll(0, width, gap, ratio, current);
        for (int k = 0; k < CPftLayout::kPaneCount; ++k) {
            QCOMPARE(columns[k].x, xs[k]);
            QCOMPARE(columns[k].width, widths[k]);
        }
    }

    void nameBarBesideTheGap()
    {
        QCOMPARE(CPftLayout::NameBar({124, 100}, 12), (CPftLayout::Column{114, 110}));
        QCOMPARE(CPftLayout::NameBar({12, 0}, 12), (CPftLayout::Column{2, 10}));
    }
};

QTEST_APPLESS_MAIN(PftLineRulesTest)
#include "PftLineRulesTest.moc"
