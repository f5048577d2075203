#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the thread of the event loop, so that a
// logout or a kill ends the run through the normal shutdown (settings saved, logoff sent). The
// handler only writes the signal number into a socket pair; everything else happens in the loop.
// One instance at a time.
class CPosixSignalNotifier final : public QObject
{
    Q_OBJECT

public:
    explicit CPosixSignalNotifier(QObject *parent = nullptr);
    // The previous handlers come back.
    ~CPosixSignalNotifier() override;

    static QList<int> handledSignals();
    bool isActive() const { return m_bActive; }

signals:
    void signalReceived(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
    bool m_bActive = false;
};
