#include "preroll/CDlgPftMonitor.h"

#include "TestHome.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CCustomPalette.h"
#include "core/StringTable.h"
#include "members/CMemberEntry.h"
#include "members/CMemberList.h"
#include "preroll/CPftMarkerStrip.h"
#include "preroll/CPftMonitorModel.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <memory>

namespace {

const QString kAlice = QStringLiteral("127.0.5.1");
const QString kBob = QStringLiteral("127.0.5.2");
const QString kStranger = QStringLiteral("127.0.5.9");
const QString kOwn = QString(CPftMonitorModel::kOwnAddress);

void drainEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QString title(const QString &name)
{
    return name + CStringTable::get(159);
}

QStringList numberedLines(const QString &stem, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << stem + QString::number(i);
    return lines;
}

} // namespace

class DlgPftMonitorTest final : public QObject
{
    Q_OBJECT

private:
    // A shown monitor over its own model, member list and settings; the dialogs are fakes.
    struct Rig
    {
        TestHome home;
        CConfig config;
        CCustomPalette palette;
        CMemberList members{[] { return qint64(1700000000); }};
        CPftMonitorModel model;
        QList<int> posted;
        bool dialogAnswer = true;
        QFont nextFont;
        quint32 nextColor = 0;
        std::unique_ptr<CDlgPftMonitor> dlg;

        Rig()
        {
            ToolWindowHost host;
            host.config = &config;
            host.palette = &palette;
            host.postCommand = [this](int command) { posted << command; };
            host.fontDialog = [this](QWidget *, QFont &font, quint32 &color) {
                if (dialogAnswer) {
                    font = nextFont;
                    color = nextColor;
                }
                return dialogAnswer;
            };
            host.colorDialog = [this](QWidget *, quint32 &color, CCustomPalette *) {
                if (dialogAnswer)
                    color = nextColor;
                return dialogAnswer;
            };
            dlg = std::make_unique<CDlgPftMonitor>(host, model, members);
            model.setView(dlg.get());
            dlg->CopyConfigToWindow();
            dlg->setGeometry(100, 100, 300, 200);
            dlg->ShowWindow();
            drainEvents();
        }
        ~Rig() { model.setView(nullptr); }

        void addMember(const QString &address, const QString &name)
        {
            CMemberEntry entry;
            entry.strAddress = address;
            entry.strName = name;
            entry.nKind = CMemberEntry::kKindQuorel;
            members.updateMember(entry);
        }
        // As a shared-protocol peer (or the own pre-roll) delivers it: cleared, then line by line.
        void lineByLine(const QString &address, const QStringList &former, const QStringList &latter)
        {
            model.ClearFormer(address);
            for (const QString &line : former)
                model.AppendFormerLine(address, line);
            model.ClearLatter(address);
            for (const QString &line : latter)
                model.AppendLatterLine(address, line);
            drainEvents();
        }
        QString shown() const { return dlg->edit()->toPlainText(); }
        // The line (block) of the text beside the marker, -1 while no marker is drawn.
        int markerLine() const
        {
            const CPftMarkerStrip *strip = dlg->markerStrip();
            if (!strip->hasMarker())
                return -1;
            const QPoint inWindow = strip->mapTo(dlg.get(), QPoint(0, strip->markerCenterY()));
            const QPoint inView = dlg->edit()->viewport()->mapFrom(dlg.get(), inWindow);
            return dlg->edit()->cursorForPosition(QPoint(4, inView.y())).blockNumber();
        }
        // The marker's centre in the text box's viewport.
        int markerY() const
        {
            const CPftMarkerStrip *strip = dlg->markerStrip();
            const QPoint inWindow = strip->mapTo(dlg.get(), QPoint(0, strip->markerCenterY()));
            return dlg->edit()->viewport()->mapFrom(dlg.get(), inWindow).y();
        }
        QRect lineRect(int block) const
        {
            QTextCursor cursor(dlg->edit()->document()->findBlockByNumber(block));
            return dlg->edit()->cursorRect(cursor);
        }
    };

private slots:
    void markerOnTheLatterTextsFirstLine_data()
    {
        QTest::addColumn<QStringList>("former");
        QTest::addColumn<QStringList>("latter");
        QTest::addColumn<int>("boundary");
        QTest::addColumn<int>("line");

        QTest::newRow("lines of 2, 0 and 5")
            << QStringList{QStringLiteral("ab"), QString(), QStringLiteral("abcde")}
            << QStringList{QStringLiteral("next"), QString()} << 13 << 3;
        QTest::newRow("no former lines")
            << QStringList() << QStringList{QStringLiteral("first"), QString()} << 0 << 0;
        QTest::newRow("no latter lines")
            << QStringList{QStringLiteral("a"), QStringLiteral("b")} << QStringList() << 6 << 2;
    }

    void markerOnTheLatterTextsFirstLine()
    {
        QFETCH(QStringList, former);
        QFETCH(QStringList, latter);
        QFETCH(int, boundary);
        QFETCH(int, line);

        Rig rig;
        QVERIFY(!rig.dlg->markerStrip()->hasMarker());
        rig.lineByLine(kAlice, former, latter);
        QCOMPARE(rig.model.boundary(), boundary);
        QStringList all = former + latter;
        QCOMPARE(rig.shown(), all.isEmpty() ? QString() : all.join(u'\n') + u'\n');
        QCOMPARE(rig.markerLine(), line);
        QCOMPARE(rig.markerY(), rig.lineRect(line).center().y());
    }

    void markerBelowALastLineWithoutLineEnd()
    {
        // A native record's former text need not end with a line end; with no latter text the
        // next line to send is the one after the last character.
        Rig rig;
        rig.model.SetFormer(kAlice, QStringLiteral("one\r\ntwo"), 1000, 1100);
        rig.model.SetLatter(kAlice, QString(), 1000, 1100);
        drainEvents();
        QCOMPARE(rig.shown(), QStringLiteral("one\ntwo"));
        QVERIFY(rig.dlg->markerStrip()->hasMarker());
        const QRect last = rig.lineRect(1);
        QCOMPARE(rig.markerY(), last.center().y() + last.height());
    }

    void markerFollowsScrollingAndResizing()
    {
        Rig rig;
        rig.lineByLine(kAlice, numberedLines(QStringLiteral("a line well before the boundary "), 60),
                       numberedLines(QStringLiteral("a line after the boundary "), 5));
        QScrollBar *bar = rig.dlg->edit()->verticalScrollBar();
        // The boundary line was brought into view.
        QVERIFY(bar->value() > 0);
        QCOMPARE(rig.markerLine(), 60);

        bar->setValue(0);
        QVERIFY(!rig.dlg->markerStrip()->hasMarker());
        // Back to the line the reader's text cursor was put on.
        rig.dlg->edit()->ensureCursorVisible();
        QCOMPARE(rig.markerLine(), 60);

        // Narrow enough to wrap every line: the marker stays beside the same line.
        rig.dlg->resize(90, 260);
        drainEvents();
        rig.dlg->edit()->ensureCursorVisible();
        drainEvents();
        QVERIFY(rig.dlg->edit()->document()->findBlockByNumber(60).layout()->lineCount() > 1);
        QCOMPARE(rig.markerLine(), 60);
        QCOMPARE(rig.markerY(), rig.lineRect(60).center().y());

        // A hidden window catches up when shown again.
        rig.dlg->HideWindow();
        rig.lineByLine(kAlice, numberedLines(QStringLiteral("before "), 20),
                       numberedLines(QStringLiteral("after "), 5));
        rig.dlg->ShowWindow();
        drainEvents();
        QCOMPARE(rig.markerLine(), 20);
    }

    void readersPlaceKeptWhileTheBoundaryShows()
    {
        Rig rig;
        const QStringList former = numberedLines(QStringLiteral("before "), 30);
        rig.lineByLine(kAlice, former, numberedLines(QStringLiteral("after "), 30));
        QScrollBar *bar = rig.dlg->edit()->verticalScrollBar();
        const int settled = bar->value();
        // The reader scrolls on a little; the boundary line is still in view.
        bar->setValue(settled + 2);
        QCOMPARE(rig.markerLine(), 30);
        rig.lineByLine(kAlice, former, numberedLines(QStringLiteral("changed "), 30));
        QCOMPARE(bar->value(), settled + 2);
        QCOMPARE(rig.markerLine(), 30);

        // Scrolled far away: the next change brings the boundary back.
        bar->setValue(bar->maximum());
        QCOMPARE(rig.markerLine(), -1);
        rig.lineByLine(kAlice, former, numberedLines(QStringLiteral("again "), 30));
        QCOMPARE(rig.markerLine(), 30);
    }

    void alwaysTheLastSender()
    {
        Rig rig;
        rig.addMember(kAlice, QStringLiteral("alice"));
        rig.addMember(kBob, QStringLiteral("bob"));
        rig.model.SetFormer(kAlice, QStringLiteral("a0\r\n"), 5000000, 5000010);
        rig.model.SetLatter(kAlice, QStringLiteral("a1\r\n\r\n"), 5000000, 5000010);
        drainEvents();
        QCOMPARE(rig.shown(), QStringLiteral("a0\na1\n\n"));
        QCOMPARE(rig.dlg->windowTitle(), title(QStringLiteral("alice")));
        QCOMPARE(rig.markerLine(), 1);

        rig.model.SetFormer(kBob, QStringLiteral("b0\r\nb1\r\n"), 5000000, 5000020);
        rig.model.SetLatter(kBob, QStringLiteral("b2\r\n"), 5000000, 5000020);
        drainEvents();
        QCOMPARE(rig.shown(), QStringLiteral("b0\nb1\nb2\n"));
        QCOMPARE(rig.dlg->windowTitle(), title(QStringLiteral("bob")));
        QCOMPARE(rig.markerLine(), 2);

        rig.model.SetFormer(kAlice, QString(), 5001000, 5001010);
        drainEvents();
        QCOMPARE(rig.shown(), QStringLiteral("a1\n\n"));
        QCOMPARE(rig.dlg->windowTitle(), title(QStringLiteral("alice")));
        QCOMPARE(rig.markerLine(), 0);

        // Stale records, of another member or of the shown one, change nothing in the window,
        // not even the reader's selection.
        rig.dlg->OnForwardedCommand(CDlgPftMonitor::kSelectAllCommand);
        QVERIFY(!rig.model.SetLatter(kBob, QStringLiteral("old\r\n"), 4999500, 5000500));
        QVERIFY(!rig.model.SetLatter(kAlice, QStringLiteral("stale\r\n"), 5000500, 5001005));
        drainEvents();
        QCOMPARE(rig.shown(), QStringLiteral("a1\n\n"));
        QCOMPARE(rig.dlg->windowTitle(), title(QStringLiteral("alice")));
        QCOMPARE(rig.markerLine(), 0);
        QVERIFY(rig.dlg->edit()->textCursor().hasSelection());

        // A shared-protocol peer takes over the same way.
        rig.lineByLine(kBob, {QStringLiteral("q0")}, {QStringLiteral("q1")});
        QCOMPARE(rig.shown(), QStringLiteral("q0\nq1\n"));
        QCOMPARE(rig.dlg->windowTitle(), title(QStringLiteral("bob")));
        QCOMPARE(rig.markerLine(), 1);
    }

    void lineByLineShownWhenComplete()
    {
        Rig rig;
        rig.lineByLine(kAlice, {QStringLiteral("old")}, {QStringLiteral("old next")});
        rig.model.ClearFormer(kBob);
        rig.model.AppendFormerLine(kBob, QStringLiteral("b0"));
        rig.model.ClearLatter(kBob);
        rig.model.AppendLatterLine(kBob, QStringLiteral("b1"));
        QVERIFY(rig.dlg->refreshPending());
        QCOMPARE(rig.shown(), QStringLiteral("old\nold next\n"));
        drainEvents();
        QVERIFY(!rig.dlg->refreshPending());
        QCOMPARE(rig.shown(), QStringLiteral("b0\nb1\n"));
        QCOMPARE(rig.markerLine(), 1);
    }

    void titleNamesTheMember_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("ownName");
        QTest::addColumn<QString>("memberName");
        QTest::addColumn<QString>("expected");

        QTest::newRow("own pre-roll") << kOwn << QStringLiteral("me") << QString() << QStringLiteral("me");
        QTest::newRow("own pre-roll, own address also a member")
            << kOwn << QStringLiteral("me") << QStringLiteral("other") << QStringLiteral("me");
        QTest::newRow("known member")
            << kAlice << QStringLiteral("me") << QStringLiteral("alice") << QStringLiteral("alice");
        QTest::newRow("member without a name") << kAlice << QStringLiteral("me") << QString() << kAlice;
        QTest::newRow("unknown address") << kStranger << QStringLiteral("me") << QString() << kStranger;
        QTest::newRow("own pre-roll, no name yet") << kOwn << QString() << QString() << kOwn;
    }

    void titleNamesTheMember()
    {
        QFETCH(QString, address);
        QFETCH(QString, ownName);
        QFETCH(QString, memberName);
        QFETCH(QString, expected);

        Rig rig;
        rig.config.SetString(QStringLiteral("communication.name"), ownName);
        if (!memberName.isEmpty() || address != kStranger)
            rig.addMember(address, memberName);
        const QString before = rig.dlg->windowTitle();
        QVERIFY(!before.isEmpty());
        QVERIFY(!before.startsWith(CStringTable::get(159)));
        rig.lineByLine(address, {QStringLiteral("x")}, {QStringLiteral("y")});
        QCOMPARE(rig.dlg->windowTitle(), title(expected));
    }

    void fontAndBackgroundCommands()
    {
        Rig rig;
        rig.lineByLine(kAlice, numberedLines(QStringLiteral("line "), 8), {QStringLiteral("next")});
        QFont big(QStringLiteral("DejaVu Sans"));
        big.setPointSize(28);
        rig.nextFont = big;
        rig.nextColor = 0x0000ff; // red as 0xBBGGRR
        rig.dlg->OnForwardedCommand(CommandId::PrerollMonitorFont);
        QCOMPARE(rig.dlg->edit()->font().pointSize(), 28);
        QCOMPARE(rig.dlg->edit()->palette().color(QPalette::Text), QColor(Qt::red));
        drainEvents();
        rig.dlg->edit()->ensureCursorVisible();
        drainEvents();
        // The marker grows with the lines and stays on the boundary line.
        QCOMPARE(rig.markerLine(), 8);

        rig.nextColor = 0x00ff00;
        rig.dlg->OnForwardedCommand(CommandId::PrerollMonitorBackground);
        QCOMPARE(rig.dlg->edit()->palette().color(QPalette::Base), QColor(Qt::green));
        QCOMPARE(rig.dlg->backgroundColor(), 0x00ff00u);

        // Cancelled dialogs change nothing; the settings keep what was chosen.
        rig.dialogAnswer = false;
        rig.nextColor = 0xffffff;
        rig.dlg->OnForwardedCommand(CommandId::PrerollMonitorBackground);
        rig.dlg->OnForwardedCommand(CommandId::PrerollMonitorFont);
        QCOMPARE(rig.dlg->edit()->palette().color(QPalette::Base), QColor(Qt::green));
        QCOMPARE(rig.dlg->edit()->font().pointSize(), 28);
        rig.dlg->CopyWindowToConfig();
        quint32 stored = 0;
        QVERIFY(rig.config.GetColor(QStringLiteral("pft_monitor.color.background"), stored));
        QCOMPARE(stored, 0x00ff00u);
        qint32 points = 0;
        QVERIFY(rig.config.GetInt(QStringLiteral("pft_monitor.font.point_i"), points));
        QCOMPARE(points, 28);
    }

    void selectAllTakesTheWholeText()
    {
        Rig rig;
        rig.lineByLine(kAlice, {QStringLiteral("one"), QStringLiteral("two")}, {QStringLiteral("three")});
        QVERIFY(!rig.dlg->edit()->textCursor().hasSelection());
        rig.dlg->OnForwardedCommand(CDlgPftMonitor::kSelectAllCommand);
        const QTextCursor cursor = rig.dlg->edit()->textCursor();
        QCOMPARE(cursor.selectionStart(), 0);
        QCOMPARE(cursor.selectionEnd(), rig.dlg->edit()->document()->characterCount() - 1);
        QVERIFY(rig.dlg->edit()->isReadOnly());
    }

    void closeHidesAndPostsTheRefresh()
    {
        Rig rig;
        QVERIFY(rig.dlg->isShown());
        QVERIFY(rig.dlg->close() == false); // closing never destroys
        QVERIFY(!rig.dlg->isShown());
        QVERIFY(!rig.dlg->isVisible());
        QCOMPARE(rig.posted, QList<int>{CommandId::RefreshWindowState});
        rig.dlg->CopyWindowToConfig();
        qint32 shown = 1;
        QVERIFY(rig.config.GetInt(QStringLiteral("pft_monitor.display_i"), shown));
        QCOMPARE(shown, 0);

        rig.model.setView(nullptr);
        rig.dlg.reset();
        QVERIFY(operationLogLines().contains(QStringLiteral("CDlgPftMonitor destroyed.")));
    }
};

QTEST_MAIN(DlgPftMonitorTest)
#include "test_dlg_pft_monitor.moc"
