#pragma once

#include <QHash>
#include <QLatin1String>
#include <QString>

class IPftMonitorView;

// The pre-roll of every member as last reported, split at the member's caret line into the
// former text (lines before it) and the latter text (the caret line and after). Shows the member
// whose pre-roll changed last.
class CPftMonitorModel final
{
public:
    // The member's own pre-roll is filed under this address.
    static constexpr QLatin1String kOwnAddress{"127.0.0.1"};

    explicit CPftMonitorModel(IPftMonitorView *view = nullptr);
    CPftMonitorModel(const CPftMonitorModel &) = delete;
    CPftMonitorModel &operator=(const CPftMonitorModel &) = delete;

    void setView(IPftMonitorView *view) { m_view = view; }

    // Line by line, as shared-protocol peers and the own pre-roll deliver it. Appends refresh
    // the view; clears do not (the lines that follow a clear do).
    void AppendFormerLine(const QString &address, const QString &line);
    void AppendLatterLine(const QString &address, const QString &line);
    void ClearFormer(const QString &address);
    void ClearLatter(const QString &address);

    // Whole texts from native records; firstTime and receiveTime are times of day in ms. A
    // record that was overtaken by a newer one is ignored. Returns whether it was taken. The
    // view is refreshed either way.
    bool SetFormer(const QString &address, const QString &text, qint32 firstTime, qint32 receiveTime);
    bool SetLatter(const QString &address, const QString &text, qint32 firstTime, qint32 receiveTime);

    QString former(const QString &address) const { return m_former.value(address); }
    QString latter(const QString &address) const { return m_latter.value(address); }
    // Empty until some pre-roll arrived.
    const QString &currentMember() const { return m_current; }
    bool isOwnPreroll() const { return m_current == kOwnAddress; }
    // Where the latter text starts in the shown text.
    int boundary() const;
    QString shownText() const;

private:
    struct Times
    {
        qint32 first = 0;
        qint32 received = 0;
    };

    bool isFresh(const QString &address, qint32 firstTime, qint32 receiveTime);
    void refresh();

    IPftMonitorView *m_view = nullptr;
    QHash<QString, QString> m_former;
    QHash<QString, QString> m_latter;
    QHash<QString, Times> m_times;
    QString m_current;
};
