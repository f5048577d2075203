#include "members/CDlgMember.h"

#include "ToolWindowBed.h"
#include "config/CConfigGui.h"
#include "core/CommandIds.h"
#include "members/CMemberList.h"

#include <QTableWidget>
#include <QTest>

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

// The monitor applies what the member list decides (its rules have their own tests): rows, cells,
// the lost colour, its own settings and the moves it offers.
class DlgMemberTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolWindowBed> m_bed;
    qint64 m_now = kNow;
    quint32 m_nextColor = 0;
    std::unique_ptr<CMemberList> m_members;
    std::unique_ptr<CDlgMember> m_dlg;

    QStringList column(int column) const
    {
        QStringList out;
        for (int row = 0; row < m_dlg->list()->rowCount(); ++row)
            out << m_dlg->list()->item(row, column)->text();
        return out;
    }
    QColor base() const { return m_dlg->list()->palette().color(QPalette::Base); }

private slots:
    // Bob (a peer of the other program, not watched) and Alice are known before the window opens,
    // Bob moved to the top.
    void init()
    {
        m_dlg.reset(); // before what it stands on
        m_now = kNow;
        m_bed = std::make_unique<ToolWindowBed>();
        m_members = std::make_unique<CMemberList>([this] { return m_now; });
        m_members->updateMember(member(kAlice, QStringLiteral("alice")));
        m_members->updateMember(member(kBob, QStringLiteral("bob"), CMemberEntry::kKindQuorel));
        m_members->moveUp(1);
        ToolWindowHost host = m_bed->host();
        host.colorDialog = [this](QWidget *, quint32 &color, CCustomPalette *) {
            color = m_nextColor;
            return true;
        };
        m_dlg = std::make_unique<CDlgMember>(host, *m_members);
        m_dlg->CopyConfigToWindow();
    }

    void rowsFollowTheMemberList()
    {
        QCOMPARE(column(CDlgMember::ColumnName), (QStringList{u"bob"_qs, u"alice"_qs}));
        m_members->updateMember(member(kCarol, QString()));
        QCOMPARE(column(CDlgMember::ColumnName), (QStringList{u"bob"_qs, u"alice"_qs, kCarol}));
        QCOMPARE(column(CDlgMember::ColumnAddress), (QStringList{kBob, kAlice, kCarol}));
        m_members->updateMember(member(kCarol, QStringLiteral("carol")));
        m_members->setMonitorText(kBob, QStringLiteral("typing"), 0, 0);
        QCOMPARE(column(CDlgMember::ColumnName).last(), QStringLiteral("carol"));
        QCOMPARE(column(CDlgMember::ColumnInput), (QStringList{u"typing"_qs, QString(), QString()}));
        m_members->removeMember(kBob);
        QCOMPARE(column(CDlgMember::ColumnAddress), (QStringList{kAlice, kCarol}));
        m_members->removeAllMembers();
        QCOMPARE(m_dlg->list()->rowCount(), 0);
    }

    void lostColourComesAndGoes()
    {
        m_bed->config().SetColor(QStringLiteral("monitor.color.background"), 0xeeeeee);
        m_bed->config().SetColor(QStringLiteral("monitor.color.background.lost"), 0x4040ff);
        m_dlg->CopyConfigToWindow();
        m_dlg->refreshMemberMonitor();
        QCOMPARE(column(CDlgMember::ColumnConnection), (QStringList{u" "_qs, u"OK"_qs}));
        QCOMPARE(base(), CConfigGui::toQColor(0xeeeeee));

        m_now += 12;
        m_dlg->refreshMemberMonitor();
        QCOMPARE(column(CDlgMember::ColumnConnection), (QStringList{u" "_qs, u"10"_qs}));
        QVERIFY(m_dlg->isLost());
        QCOMPARE(base(), CConfigGui::toQColor(0x4040ff));
        // The normal background chosen while lost waits; the lost one shows at once.
        m_nextColor = 0xd0d0d0;
        m_dlg->OnForwardedCommand(CommandId::MonitorBackground);
        QCOMPARE(base(), CConfigGui::toQColor(0x4040ff));
        m_nextColor = 0x2020c0;
        m_dlg->OnForwardedCommand(CommandId::MonitorLostBackground);
        QCOMPARE(base(), CConfigGui::toQColor(0x2020c0));

        // The lost member logs off: the next refresh brings the normal colour back.
        m_members->removeMember(kAlice);
        m_dlg->refreshMemberMonitor();
        QVERIFY(!m_dlg->isLost());
        QCOMPARE(base(), CConfigGui::toQColor(0xd0d0d0));
        m_dlg->CopyWindowToConfig();
        QCOMPARE(m_bed->config().GetStringOr(QStringLiteral("monitor.color.background.lost")), u"2020c0"_qs);
    }

    void columnWidthsFromSettings()
    {
        const QStringList keys = {u"name_i"_qs, u"input_i"_qs, u"absent_i"_qs, u"ip_i"_qs};
        for (int column = 0; column < CDlgMember::ColumnCount; ++column)
            m_bed->config().SetInt(QStringLiteral("monitor.width.") + keys.at(column), 91 + column);
        m_dlg->CopyConfigToWindow();
        for (int column = 0; column < CDlgMember::ColumnCount; ++column)
            QCOMPARE(m_dlg->list()->columnWidth(column), 91 + column);
        m_dlg->list()->setColumnWidth(CDlgMember::ColumnConnection, 50);
        m_dlg->CopyWindowToConfig();
        QCOMPARE(m_bed->config().GetIntOr(QStringLiteral("monitor.width.absent_i"), -1), 50);
    }

    void longInputShowsItsEnd()
    {
        m_dlg->list()->setColumnWidth(CDlgMember::ColumnInput, 120);
        const QString text = QString(40, u'x') + QStringLiteral("END");
        m_members->setMonitorText(kAlice, text, 0, 0);
        const QString shown = column(CDlgMember::ColumnInput).at(1);
        QVERIFY(shown.size() < text.size() && text.endsWith(shown) && shown.endsWith(u"END"));
        // Refitted when the font grows (the rows grow with it) and when the column widens.
        QFont large = m_dlg->boxFont();
        large.setPointSize(30);
        m_dlg->setBoxFont(large);
        QVERIFY(column(CDlgMember::ColumnInput).at(1).size() < shown.size());
        QVERIFY(m_dlg->list()->rowHeight(1) > QFontMetrics(large).height());
        m_dlg->list()->setColumnWidth(CDlgMember::ColumnInput, 4000);
        QCOMPARE(column(CDlgMember::ColumnInput).at(1), text);
    }

    void movesOfTheChosenRow()
    {
        const QList<int> common = {CommandId::MonitorFont, CommandId::MonitorBackground,
                                   CommandId::MonitorLostBackground};
        QCOMPARE(m_dlg->ChooseRow(-1), common);
        QCOMPARE(m_dlg->chosenRow(), -1);

        m_members->setMonitorText(kBob, QStringLiteral("bob types"), 0, 0);
        m_dlg->refreshMemberMonitor();
        const QList<int> withMoves = common + QList<int>{CommandId::MemberMoveUp, CommandId::MemberMoveDown};
        QCOMPARE(m_dlg->ChooseRow(0), withMoves);
        QCOMPARE(m_dlg->chosenRow(), 0);
        m_dlg->OnForwardedCommand(CommandId::MemberMoveDown);
        // Every cell moves with its member.
        QCOMPARE(column(CDlgMember::ColumnAddress), (QStringList{kAlice, kBob}));
        QCOMPARE(column(CDlgMember::ColumnInput), (QStringList{QString(), u"bob types"_qs}));
        QCOMPARE(column(CDlgMember::ColumnConnection), (QStringList{u"OK"_qs, u" "_qs}));
        // The top row cannot go up: the choice is spent.
        m_dlg->ChooseRow(0);
        QVERIFY(!m_dlg->MoveChosenUp());
        QCOMPARE(m_dlg->chosenRow(), -1);
        QCOMPARE(column(CDlgMember::ColumnAddress), (QStringList{kAlice, kBob}));
    }
};

QTEST_MAIN(DlgMemberTest)
#include "test_dlg_member.moc"
