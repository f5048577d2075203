#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class QUdpSocket;

// A stand-in for the other captioning program: it speaks only the shared protocol, in code page
// 932, on the ten shared ports of one channel. It is written apart from the program's own codec
// on purpose, so that a mistake there is not mirrored here and can still be caught on the wire.
// Every datagram received becomes an event line; commands make it send.
class CQuorelSim final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CQuorelSim)

public:
    enum Port
    {
        Login,
        Response,
        Main,
        Monitor,
        Logoff,
        Chat,
        PftFormer,
        PftLatter,
        Undo,
        MainGross,
        PortCount
    };

    struct Settings
    {
        QString address;
        QString broadcast;
        QString name;
        int channel = 1;
        int group = 1;
        bool full = false;
    };

    explicit CQuorelSim(Settings settings, QObject *parent = nullptr);
    ~CQuorelSim() override;

    // Binds every port on the own and the broadcast address; false (with ERROR events) when one
    // cannot be bound.
    bool start();
    // One command line; false for "quit".
    bool command(const QString &line);

    static QString portName(int port);
    static int portNumber(int port, int channel);
    static int portFromName(const QString &name); // -1 when unknown
    // The shared split rule, written out again here for the reason given above.
    static QStringList split(const QString &text, int head, int tail);

signals:
    void quitRequested();

private:
    void onReadyRead(int port, QUdpSocket *socket);
    void handle(int port, const QString &source, const QByteArray &bytes);
    bool sendTo(int port, const QString &destination, const QByteArray &bytes);
    void sendToMembers(int port, const QByteArray &bytes);
    void addMember(const QString &address, const QString &name);
    void removeMember(const QString &address);
    static QByteArray cp932(const QString &text);

    Settings m_settings;
    std::array<QUdpSocket *, PortCount> m_own{};
    std::array<QUdpSocket *, PortCount> m_broadcast{};
    QStringList m_memberOrder;
    QHash<QString, QString> m_memberNames;
};
