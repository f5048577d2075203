#pragma once

#include "input/CToolWindow.h"
#include "members/IMemberView.h"
#include "net/IMemberMonitorView.h"

#include <QList>
#include <QString>

class CMemberEntry;
class CMemberList;
class QTableWidget;

// The member monitor: one row per member of the group with its name, what it is typing now, how
// long it has been silent and its address. When any watched member has been silent for 10
// seconds the whole list turns to the lost colour, so a dropped connection is seen at a glance.
// The rows follow the member list (IMemberView); the main window's one-second timer refreshes the
// connection column (IMemberMonitorView).
class CDlgMember final : public CToolWindow, public IMemberView, public IMemberMonitorView
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnName = 0,
        ColumnInput = 1,
        ColumnConnection = 2,
        ColumnAddress = 3,
        ColumnCount = 4
    };

    // Attaches itself to the member list as its view; the list must outlive the window.
    CDlgMember(ToolWindowHost host, CMemberList &members, QWidget *parent = nullptr);
    ~CDlgMember() override;

    // IToolWindow: the base keys plus the four column widths and the lost background.
    void CopyConfigToWindow() override;
    void CopyWindowToConfig() override;
    void OnForwardedCommand(int command) override;
    void FocusWindow() override;

    // IMemberMonitorView: once a second and after received datagrams.
    void refreshMemberMonitor() override { RefreshConnection(); }

    // Connection column from the members' silence; enters or leaves the lost state.
    void RefreshConnection();
    // Going offline: every row goes.
    void DeleteAllMember();

    QTableWidget *list() const { return m_list; }
    bool isLost() const { return m_bLost; }
    quint32 lostBackgroundColor() const { return m_lostColor; }
    void setLostBackgroundColor(quint32 color);
    // The colour the list is painted with now (normal or lost).
    quint32 shownBackgroundColor() const { return m_bLost ? m_lostColor : backgroundColor(); }
    // Row of the member with this address, or -1.
    int rowOf(const QString &address) const;

    // What a context menu on the list row offers: the chosen row becomes the member's row when
    // the row shows a member of the list (the move commands are offered), else -1. Returns the
    // menu's commands in order.
    QList<int> ChooseRow(int row);
    int chosenRow() const { return m_nChosenRow; }
    // Commands 40204 and 40205 on the chosen row; false when there was nothing to move.
    bool MoveChosenUp();
    bool MoveChosenDown();

protected:
    void OnFontChanged() override;
    void OnColorsChanged() override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // IMemberView
    void memberAdded(const CMemberEntry &entry) override;
    void memberNameChanged(const CMemberEntry &entry) override;
    void memberInputChanged(const CMemberEntry &entry) override;
    void memberRemoved(const QString &address) override;
    void allMembersRemoved() override;
    void membersReordered() override;

    void appendRow(const CMemberEntry &entry);
    void setCell(int row, int column, const QString &text);
    void setInputCell(int row, const QString &text);
    void refitInputs();
    void applyListBackground();
    void chooseLostColor();
    QString addressAt(int row) const;
    bool moveChosen(bool moved);

    CMemberList &m_members;
    QTableWidget *m_list = nullptr;
    quint32 m_lostColor = 0xff6666;
    bool m_bLost = false;
    int m_nChosenRow = -1;
};
