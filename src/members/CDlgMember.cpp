#include "members/CDlgMember.h"

#include "config/CConfig.h"
#include "config/CConfigGui.h"
#include "core/CommandIds.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "members/CMemberEntry.h"
#include "members/CMemberList.h"
#include "members/CMonitorTextFit.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

struct ColumnInfo
{
    int header; // string table id
    const char16_t *widthKey;
    int fallbackWidth;
};

constexpr std::array<ColumnInfo, CDlgMember::ColumnCount> kColumns = {{
    {121, u"monitor.width.name_i", 85},
    {124, u"monitor.width.input_i", 260},
    {123, u"monitor.width.absent_i", 60},
    {125, u"monitor.width.ip_i", 60},
}};

constexpr int kAddressRole = Qt::UserRole;

QString widthKey(int column)
{
    return QString::fromUtf16(kColumns.at(static_cast<size_t>(column)).widthKey);
}

} // namespace

CDlgMember::CDlgMember(ToolWindowHost host, CMemberList &members, QWidget *parent)
    : CToolWindow(std::move(host), QStringLiteral("monitor"), CommandId::MonitorFont,
                  CommandId::MonitorBackground, parent),
      m_members(members)
{
    setWindowTitle(QCoreApplication::translate("CDlgMember", "入力モニター (Ctrl+M)"));
    addMenuCommand(CommandId::MonitorLostBackground,
                   QCoreApplication::translate("CDlgMember", "通信断の際の背景色... (&L)"));

    m_list = new QTableWidget(0, ColumnCount, this);
    m_list->setObjectName(QStringLiteral("memberList"));
    QStringList headers;
    for (const ColumnInfo &column : kColumns)
        headers << CStringTable::get(column.header);
    m_list->setHorizontalHeaderLabels(headers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->horizontalHeader()->setSectionsMovable(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (int column = 0; column < ColumnCount; ++column)
        m_list->setColumnWidth(column, kColumns.at(static_cast<size_t>(column)).fallbackWidth);
    // The cut of the input text depends on its column's width.
    connect(m_list->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == ColumnInput)
            refitInputs();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    addStyledWidget(m_list);

    for (const CMemberEntry &entry : m_members.membersInRowOrder())
        appendRow(entry);
    m_members.setView(this);
}

CDlgMember::~CDlgMember()
{
    WriteLog(QStringLiteral("CDlgMember::OnDestroy() begins."));
    m_members.setView(nullptr);
    CopyWindowToConfig();
    WriteLog(QStringLiteral("CDlgMember::OnDestroy() finished."));
}

void CDlgMember::CopyConfigToWindow()
{
    CToolWindow::CopyConfigToWindow();
    if (CConfig *store = config()) {
        for (int column = 0; column < ColumnCount; ++column) {
            const qint32 width = store->GetIntOr(widthKey(column), -1);
            if (width >= 0)
                m_list->setColumnWidth(column, width);
        }
        quint32 color = 0;
        if (store->GetColor(QStringLiteral("monitor.color.background.lost"), color))
            m_lostColor = color;
    }
    applyListBackground();
    refitInputs();
}

void CDlgMember::CopyWindowToConfig()
{
    CToolWindow::CopyWindowToConfig();
    CConfig *store = config();
    if (!store)
        return;
    for (int column = 0; column < ColumnCount; ++column)
        store->SetInt(widthKey(column), m_list->columnWidth(column));
    store->SetColor(QStringLiteral("monitor.color.background.lost"), m_lostColor);
}

void CDlgMember::OnForwardedCommand(int command)
{
    switch (command) {
    case CommandId::MonitorLostBackground:
        chooseLostColor();
        return;
    case CommandId::MemberMoveUp:
        MoveChosenUp();
        return;
    case CommandId::MemberMoveDown:
        MoveChosenDown();
        return;
    default:
        CToolWindow::OnForwardedCommand(command);
        return;
    }
}

void CDlgMember::FocusWindow()
{
    activateWindow();
    raise();
    m_list->setFocus(Qt::ShortcutFocusReason);
}

// ---- rows -------------------------------------------------------------------------------------

int CDlgMember::rowOf(const QString &address) const
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (addressAt(row) == address)
            return row;
    }
    return -1;
}

QString CDlgMember::addressAt(int row) const
{
    const QTableWidgetItem *item = m_list->item(row, ColumnAddress);
    return item ? item->data(kAddressRole).toString() : QString();
}

void CDlgMember::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = m_list->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_list->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
}

void CDlgMember::setInputCell(int row, const QString &text)
{
    const QFontMetrics metrics(m_list->font());
    const QString shown =
        CMonitorTextFit::Fit(text, m_list->columnWidth(ColumnInput), [&metrics](QStringView part) {
            return metrics.horizontalAdvance(part.toString());
        });
    setCell(row, ColumnInput, shown);
    // The whole text stays reachable as the cell's tooltip.
    m_list->item(row, ColumnInput)->setToolTip(text);
}

void CDlgMember::appendRow(const CMemberEntry &entry)
{
    if (rowOf(entry.strAddress) >= 0)
        return;
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    setCell(row, ColumnName, entry.strName);
    setInputCell(row, entry.strInput);
    setCell(row, ColumnConnection, QString());
    setCell(row, ColumnAddress, entry.strAddress);
    m_list->item(row, ColumnAddress)->setData(kAddressRole, entry.strAddress);
}

void CDlgMember::refitInputs()
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (const CMemberEntry *entry = m_members.find(addressAt(row)))
            setInputCell(row, entry->strInput);
    }
}

void CDlgMember::memberAdded(const CMemberEntry &entry)
{
    appendRow(entry);
}

void CDlgMember::memberNameChanged(const CMemberEntry &entry)
{
    const int row = rowOf(entry.strAddress);
    if (row >= 0)
        setCell(row, ColumnName, entry.strName);
}

void CDlgMember::memberInputChanged(const CMemberEntry &entry)
{
    const int row = rowOf(entry.strAddress);
    if (row >= 0)
        setInputCell(row, entry.strInput);
}

void CDlgMember::memberRemoved(const QString &address)
{
    const int row = rowOf(address);
    if (row >= 0)
        m_list->removeRow(row);
    if (m_nChosenRow >= m_list->rowCount())
        m_nChosenRow = -1;
}

void CDlgMember::allMembersRemoved()
{
    DeleteAllMember();
}

void CDlgMember::DeleteAllMember()
{
    WriteLog(QStringLiteral("CDlgMember::DeleteAllMember() begins."));
    m_list->setRowCount(0);
    m_nChosenRow = -1;
    WriteLog(QStringLiteral("CDlgMember::DeleteAllMember() finished."));
}

void CDlgMember::membersReordered()
{
    // Rebuilt in the list's row order; the selection follows its member, so repeated moves act
    // on the same member.
    const QString selected = addressAt(m_list->currentRow());
    QHash<QString, QString> connection;
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (const QTableWidgetItem *item = m_list->item(row, ColumnConnection))
            connection.insert(addressAt(row), item->text());
    }
    m_list->setRowCount(0);
    for (const CMemberEntry &entry : m_members.membersInRowOrder()) {
        appendRow(entry);
        setCell(m_list->rowCount() - 1, ColumnConnection, connection.value(entry.strAddress));
    }
    const int row = rowOf(selected);
    if (row >= 0)
        m_list->selectRow(row);
}

// ---- connection -------------------------------------------------------------------------------

void CDlgMember::RefreshConnection()
{
    const qint64 now = m_members.now();
    bool anyLost = false;
    for (const CMemberEntry &entry : m_members.membersInRowOrder()) {
        const CMemberList::ConnectionCell cell = CMemberList::connectionCell(entry, now);
        anyLost = anyLost || cell.lost;
        const int row = rowOf(entry.strAddress);
        if (row >= 0)
            setCell(row, ColumnConnection, cell.text);
    }
    if (anyLost != m_bLost) {
        m_bLost = anyLost;
        applyListBackground();
    }
}

void CDlgMember::setLostBackgroundColor(quint32 color)
{
    m_lostColor = color;
    if (m_bLost)
        applyListBackground();
}

void CDlgMember::OnColorsChanged()
{
    // The base painted the normal background; the lost state keeps its own colour.
    if (m_bLost)
        applyListBackground();
}

void CDlgMember::OnFontChanged()
{
    // Rows keep the height they were made with unless told; a larger font would be clipped.
    m_list->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_list->font()).height() + 8);
    refitInputs();
}

void CDlgMember::applyListBackground()
{
    QPalette palette = m_list->palette();
    const QColor color = CConfigGui::toQColor(shownBackgroundColor());
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, color);
    m_list->setPalette(palette);
    m_list->viewport()->update();
}

void CDlgMember::chooseLostColor()
{
    quint32 color = m_lostColor;
    if (ChooseColor(color))
        setLostBackgroundColor(color);
}

// ---- context menu and moves -------------------------------------------------------------------

QList<int> CDlgMember::ChooseRow(int row)
{
    QList<int> commands = {CommandId::MonitorFont, CommandId::MonitorBackground,
                           CommandId::MonitorLostBackground};
    const CMemberEntry *entry = row >= 0 ? m_members.find(addressAt(row)) : nullptr;
    m_nChosenRow = entry ? entry->nRow : -1;
    if (entry)
        commands << CommandId::MemberMoveUp << CommandId::MemberMoveDown;
    return commands;
}

void CDlgMember::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    const bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    if (fromMouse && !rect().contains(event->pos()))
        return;
    // The right-clicked row, or from the keyboard the selected one.
    int row = m_list->currentRow();
    if (fromMouse) {
        const QPoint inList = m_list->viewport()->mapFrom(this, event->pos());
        row = m_list->viewport()->rect().contains(inList) ? m_list->rowAt(inList.y()) : -1;
        if (row >= 0)
            m_list->selectRow(row);
    }
    const QList<int> commands = ChooseRow(row);

    QMenu menu(this);
    addCommandsToMenu(menu); // menu 130: font, background, lost background
    if (commands.contains(CommandId::MemberMoveUp)) {
        // menu 132 adds the moves
        menu.addSeparator();
        const auto addMove = [this, &menu](int command, const QString &text) {
            QAction *action = menu.addAction(text);
            connect(action, &QAction::triggered, this, [this, command] {
                QMetaObject::invokeMethod(
                    this, [this, command] { OnForwardedCommand(command); }, Qt::QueuedConnection);
            });
        };
        addMove(CommandId::MemberMoveUp, QCoreApplication::translate("CDlgMember", "1つ上へ(&U)"));
        addMove(CommandId::MemberMoveDown, QCoreApplication::translate("CDlgMember", "1つ下へ(&D)"));
    }
    menu.exec(fromMouse ? event->globalPos() : mapToGlobal(QPoint(0, 0)));
}

bool CDlgMember::MoveChosenUp()
{
    return moveChosen(m_members.moveUp(m_nChosenRow));
}

bool CDlgMember::MoveChosenDown()
{
    return moveChosen(m_members.moveDown(m_nChosenRow));
}

bool CDlgMember::moveChosen(bool moved)
{
    // The list refused (top row up, bottom row down, no row): the menu's choice is spent.
    if (!moved)
        m_nChosenRow = -1;
    return moved;
}
