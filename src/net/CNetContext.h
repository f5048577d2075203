#pragma once

#include <QString>

class CConfig;
class CMemberList;
class CPftMonitorModel;
class CReceivedMainData;
class ICaptionLog;
class ICaptionView;
class IContactView;
class IInputSource;
class IMemberMonitorView;
class ReceivedChat;
class ReceivedMain;

// What the session, the receive dispatch and the send paths share: the stores and lists the main
// window owns, the windows to tell (each optional), the log switches and the undo count.
class CNetContext final
{
public:
    CNetContext(CConfig &config, ReceivedMain &captions, ReceivedChat &contacts, CMemberList &members,
                CPftMonitorModel &pftMonitor);
    CNetContext(const CNetContext &) = delete;
    CNetContext &operator=(const CNetContext &) = delete;

    CConfig &config() { return m_config; }
    ReceivedMain &captions() { return m_captions; }
    ReceivedChat &contacts() { return m_contacts; }
    CMemberList &members() { return m_members; }
    CPftMonitorModel &pftMonitor() { return m_pftMonitor; }

    ICaptionView *captionView = nullptr;
    IContactView *contactView = nullptr;
    ICaptionLog *log = nullptr;
    IInputSource *inputSource = nullptr;
    IMemberMonitorView *memberMonitor = nullptr;
    bool displayLogEnabled = false;
    bool contactLogEnabled = false;

    // "main.undo.max_i"; 0 when it cannot be read.
    int undoMax() const;
    int undoCount() const { return m_undoCount; }
    // A withdrawal: one step more, never beyond the limit.
    void undoStep();
    // A new line: one step back, never below 0.
    void undoRelease();
    // After a screen clear or a block no undo reaches behind it.
    void undoExhaust();

    // The windows, each told only when it exists.
    void captionRefresh();
    void captionRedraw();
    void captionGoLast();
    void contactAppendLine(const QString &text);
    void displayLog(const CReceivedMainData &record);
    void contactLog(const QString &text);
    void refreshMemberMonitor();

private:
    CConfig &m_config;
    ReceivedMain &m_captions;
    ReceivedChat &m_contacts;
    CMemberList &m_members;
    CPftMonitorModel &m_pftMonitor;
    int m_undoCount = 0;
};
