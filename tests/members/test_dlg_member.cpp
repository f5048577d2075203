#include "members/CDlgMember.h"

#include "TestHome.h"
#include "core/CommandIds.h"
#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "config/CCustomPalette.h"
#include "members/CMemberList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

constexpr qint64 kNow = 1700000000;
const QString kAlice = QStringLiteral("127.0.3.1");
const QString kBob = QStringLiteral("127.0.3.2");
const QString kCarol = QStringLiteral("127.0.3.3");

CMemberEntry member(const QString &address, const QString &name, int kind = CMemberEntry::kKindNative)
{
    CMemberEntry entry;
    entry.strAddress = address;
    entry.strName = name;
    entry.nKind = kind;
    return entry;
}

} // namespace

class DlgMemberTest final : public QObject
{
    Q_OBJECT

private:
    // A monitor over a member list whose clock the test sets.
    struct Rig
    {
        TestHome home;
        qint64 now = kNow;
        CConfig config;
        CCustomPalette palette;
        QList<int> posted;
        quint32 nextColor = 0;
        CMemberList members{[this] { return now; }};
        std::unique_ptr<CDlgMember> dlg;

        Rig()
        {
            ToolWindowHost host;
            host.config = &config;
            host.palette = &palette;
            host.postCommand = [this](int command) { posted << command; };
            host.colorDialog = [this](QWidget *, quint32 &color, CCustomPalette *) {
                color = nextColor;
                return true;
            };
            dlg = std::make_unique<CDlgMember>(host, members);
            dlg->CopyConfigToWindow();
        }
        QString cell(int row, int column) const
        {
            const QTableWidgetItem *item = dlg->list()->item(row, column);
            return item ? item->text() : QStringLiteral("<none>");
        }
        QStringList column(int column) const
        {
            QStringList out;
            for (int row = 0; row < dlg->list()->rowCount(); ++row)
                out << cell(row, column);
            return out;
        }
        void heard(const QString &address, qint64 secondsAgo)
        {
            const qint64 saved = now;
            now = kNow - secondsAgo;
            members.touchMember(address);
            now = saved;
        }
    };

private slots:
    void rowsFollowTheMemberList()
    {
        Rig rig;
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        rig.members.updateMember(member(kBob, QStringLiteral("bob"), CMemberEntry::kKindQuorel));
        rig.members.updateMember(member(kCarol, QString()));
        QCOMPARE(rig.column(CDlgMember::ColumnName),
                 (QStringList{QStringLiteral("alice"), QStringLiteral("bob"), kCarol}));
        QCOMPARE(rig.column(CDlgMember::ColumnAddress), (QStringList{kAlice, kBob, kCarol}));
        QCOMPARE(rig.column(CDlgMember::ColumnConnection), (QStringList{QString(), QString(), QString()}));

        rig.members.updateMember(member(kCarol, QStringLiteral("carol")));
        QCOMPARE(rig.cell(2, CDlgMember::ColumnName), QStringLiteral("carol"));
        rig.members.setMonitorText(kBob, QStringLiteral("typing"), 0, 0);
        QCOMPARE(rig.cell(1, CDlgMember::ColumnInput), QStringLiteral("typing"));

        rig.members.removeMember(kBob);
        QCOMPARE(rig.column(CDlgMember::ColumnAddress), (QStringList{kAlice, kCarol}));
        rig.members.removeMember(QStringLiteral("127.0.3.99"));
        QCOMPARE(rig.dlg->list()->rowCount(), 2);

        rig.members.removeAllMembers();
        QCOMPARE(rig.dlg->list()->rowCount(), 0);
        QVERIFY(operationLogLines().contains(QStringLiteral("CDlgMember::DeleteAllMember() finished.")));
    }

    void membersKnownBeforeTheWindowGetRows()
    {
        TestHome home;
        CConfig config;
        CMemberList members([] { return kNow; });
        members.updateMember(member(kAlice, QStringLiteral("alice")));
        members.updateMember(member(kBob, QStringLiteral("bob")));
        members.moveUp(1);
        ToolWindowHost host;
        host.config = &config;
        CDlgMember dlg(host, members);
        QCOMPARE(dlg.list()->item(0, CDlgMember::ColumnName)->text(), QStringLiteral("bob"));
        QCOMPARE(dlg.list()->item(1, CDlgMember::ColumnName)->text(), QStringLiteral("alice"));
    }

    void connectionCell_data()
    {
        QTest::addColumn<qint64>("silence");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("lost");
        QTest::newRow("9 s") << qint64(9) << 1 << QStringLiteral("OK") << false;
        QTest::newRow("10 s") << qint64(10) << 1 << QStringLiteral("10") << true;
        QTest::newRow("14 s") << qint64(14) << 1 << QStringLiteral("10") << true;
        QTest::newRow("15 s") << qint64(15) << 1 << QStringLiteral("15") << true;
        QTest::newRow("2000 s") << qint64(2000) << 1 << QStringLiteral("995") << true;
        QTest::newRow("future") << qint64(-30) << 1 << QStringLiteral("OK") << false;
        QTest::newRow("unwatched, silent") << qint64(2000) << 0 << QStringLiteral(" ") << false;
    }
    void connectionCell()
    {
        QFETCH(qint64, silence);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(bool, lost);
        Rig rig;
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        rig.members.updateMember(member(kBob, QStringLiteral("bob"), kind));
        rig.heard(kBob, silence);
        rig.dlg->refreshMemberMonitor();
        QCOMPARE(rig.cell(0, CDlgMember::ColumnConnection), QStringLiteral("OK"));
        QCOMPARE(rig.cell(1, CDlgMember::ColumnConnection), shown);
        QCOMPARE(rig.dlg->isLost(), lost);
        const quint32 expected = lost ? rig.dlg->lostBackgroundColor() : rig.dlg->backgroundColor();
        QCOMPARE(rig.dlg->list()->palette().color(QPalette::Base), CConfigGui::toQColor(expected));
    }

    void lostColourComesAndGoes()
    {
        Rig rig;
        rig.config.SetColor(QStringLiteral("monitor.color.background"), 0xeeeeee);
        rig.config.SetColor(QStringLiteral("monitor.color.background.lost"), 0x4040ff);
        rig.dlg->CopyConfigToWindow();
        const auto base = [&rig] { return rig.dlg->list()->palette().color(QPalette::Base); };
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        rig.dlg->RefreshConnection();
        QCOMPARE(base(), CConfigGui::toQColor(0xeeeeee));

        rig.now += 12;
        rig.dlg->RefreshConnection();
        QVERIFY(rig.dlg->isLost());
        QCOMPARE(base(), CConfigGui::toQColor(0x4040ff));

        // The normal background chosen while lost waits; the lost one shows at once.
        rig.nextColor = 0xd0d0d0;
        rig.dlg->OnForwardedCommand(CommandId::MonitorBackground);
        QCOMPARE(base(), CConfigGui::toQColor(0x4040ff));
        rig.nextColor = 0x2020c0;
        rig.dlg->OnForwardedCommand(CommandId::MonitorLostBackground);
        QCOMPARE(base(), CConfigGui::toQColor(0x2020c0));

        // The lost member logs off: the next refresh brings the normal colour back.
        rig.members.removeMember(kAlice);
        QVERIFY(rig.dlg->isLost());
        rig.dlg->RefreshConnection();
        QVERIFY(!rig.dlg->isLost());
        QCOMPARE(base(), CConfigGui::toQColor(0xd0d0d0));

        rig.dlg->CopyWindowToConfig();
        quint32 stored = 0;
        QVERIFY(rig.config.GetColor(QStringLiteral("monitor.color.background.lost"), stored));
        QCOMPARE(stored, 0x2020c0u);
    }

    void hearingAgainLeavesTheLostState()
    {
        Rig rig;
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        rig.now += 30;
        rig.dlg->RefreshConnection();
        QCOMPARE(rig.cell(0, CDlgMember::ColumnConnection), QStringLiteral("30"));
        rig.members.touchMember(kAlice);
        rig.dlg->RefreshConnection();
        QCOMPARE(rig.cell(0, CDlgMember::ColumnConnection), QStringLiteral("OK"));
        QVERIFY(!rig.dlg->isLost());
    }

    void longInputShowsItsEnd()
    {
        Rig rig;
        rig.dlg->list()->setColumnWidth(CDlgMember::ColumnInput, 120);
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        QString text;
        for (int i = 0; i < 40; ++i)
            text += QString::number(i % 10);
        text += QStringLiteral("END");
        rig.members.setMonitorText(kAlice, text, 0, 0);

        const QString shown = rig.cell(0, CDlgMember::ColumnInput);
        QVERIFY(shown.size() < text.size());
        QVERIFY(shown.endsWith(QStringLiteral("END")));
        QVERIFY(text.endsWith(shown));
        const QFontMetrics metrics(rig.dlg->list()->font());
        QVERIFY(metrics.horizontalAdvance(shown) <= 120 - metrics.horizontalAdvance(QStringLiteral(" ... ")));

        // A larger font cuts more off, and the rows grow with it.
        QFont large = rig.dlg->boxFont();
        large.setPointSize(30);
        rig.dlg->setBoxFont(large);
        const QString cutMore = rig.cell(0, CDlgMember::ColumnInput);
        QVERIFY(cutMore.size() < shown.size());
        QVERIFY(text.endsWith(cutMore));
        QVERIFY(rig.dlg->list()->rowHeight(0) > QFontMetrics(large).height());

        // A wider column shows more of it.
        rig.dlg->list()->setColumnWidth(CDlgMember::ColumnInput, 2000);
        QCOMPARE(rig.cell(0, CDlgMember::ColumnInput), text);
    }

    void columnWidthsRoundTrip()
    {
        Rig rig;
        rig.config.SetInt(QStringLiteral("monitor.width.name_i"), 91);
        rig.config.SetInt(QStringLiteral("monitor.width.input_i"), 222);
        rig.config.SetInt(QStringLiteral("monitor.width.absent_i"), 44);
        rig.config.SetInt(QStringLiteral("monitor.width.ip_i"), 77);
        rig.dlg->CopyConfigToWindow();
        QCOMPARE(rig.dlg->list()->columnWidth(CDlgMember::ColumnName), 91);
        QCOMPARE(rig.dlg->list()->columnWidth(CDlgMember::ColumnInput), 222);
        QCOMPARE(rig.dlg->list()->columnWidth(CDlgMember::ColumnConnection), 44);
        QCOMPARE(rig.dlg->list()->columnWidth(CDlgMember::ColumnAddress), 77);
        rig.dlg->list()->setColumnWidth(CDlgMember::ColumnConnection, 50);
        rig.dlg->CopyWindowToConfig();
        qint32 width = 0;
        QVERIFY(rig.config.GetInt(QStringLiteral("monitor.width.absent_i"), width));
        QCOMPARE(width, 50);
        QCOMPARE(rig.dlg->windowTitle(), QStringLiteral("入力モニター (Ctrl+M)"));
        QCOMPARE(rig.dlg->list()->horizontalHeaderItem(2)->text(), QStringLiteral("接続"));
    }

    void contextMenuOffersMovesOnlyOnMembers()
    {
        Rig rig;
        rig.members.updateMember(member(kAlice, QStringLiteral("alice")));
        const QList<int> common = {CommandId::MonitorFont, CommandId::MonitorBackground,
                                   CommandId::MonitorLostBackground};
        QCOMPARE(rig.dlg->ChooseRow(-1), common);
        QCOMPARE(rig.dlg->chosenRow(), -1);
        const QList<int> withMoves = common + QList<int>{CommandId::MemberMoveUp, CommandId::MemberMoveDown};
        QCOMPARE(rig.dlg->ChooseRow(0), withMoves);
        QCOMPARE(rig.dlg->chosenRow(), 0);
    }

    void moves_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("order");
        const QString a = QStringLiteral("a"), b = QStringLiteral("b"), c = QStringLiteral("c");
        QTest::newRow("top up") << 0 << CommandId::MemberMoveUp << QStringList{a, b, c};
        QTest::newRow("bottom down") << 2 << CommandId::MemberMoveDown << QStringList{a, b, c};
        QTest::newRow("middle up") << 1 << CommandId::MemberMoveUp << QStringList{b, a, c};
        QTest::newRow("middle down") << 1 << CommandId::MemberMoveDown << QStringList{a, c, b};
        QTest::newRow("no row") << -1 << CommandId::MemberMoveDown << QStringList{a, b, c};
    }
    void moves()
    {
        QFETCH(int, row);
        QFETCH(int, command);
        QFETCH(QStringList, order);
        Rig rig;
        rig.members.updateMember(member(kAlice, QStringLiteral("a")));
        rig.members.updateMember(member(kBob, QStringLiteral("b")));
        rig.members.updateMember(member(kCarol, QStringLiteral("c")));
        rig.members.setMonitorText(kBob, QStringLiteral("bob types"), 0, 0);
        rig.dlg->ChooseRow(row);
        rig.dlg->OnForwardedCommand(command);
        QCOMPARE(rig.column(CDlgMember::ColumnName), order);
        const int bobRow = static_cast<int>(order.indexOf(QStringLiteral("b")));
        QCOMPARE(rig.cell(bobRow, CDlgMember::ColumnInput), QStringLiteral("bob types"));
        QCOMPARE(rig.cell(bobRow, CDlgMember::ColumnAddress), kBob);
    }

    void closeHidesAndAsksForTheCheckMarks()
    {
        Rig rig;
        rig.dlg->ShowWindow();
        QVERIFY(rig.dlg->isShown());
        rig.dlg->close();
        QVERIFY(!rig.dlg->isShown());
        QVERIFY(!rig.dlg->isVisible());
        QCOMPARE(rig.posted, QList<int>{CommandId::RefreshWindowState});
    }
};

QTEST_MAIN(DlgMemberTest)
#include "test_dlg_member.moc"
