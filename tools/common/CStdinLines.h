#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Reads standard input without blocking the event loop and hands over one UTF-8 line at a time,
// so a tool keeps answering the network while it waits for the next command.
class CStdinLines final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CStdinLines)

public:
    explicit CStdinLines(QObject *parent = nullptr);
    ~CStdinLines() override;

signals:
    void lineReceived(const QString &line); // without the line break
    void endOfInput();

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_pending;
    bool m_ended = false;
};
