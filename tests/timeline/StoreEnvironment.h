#pragma once

#include "FakeClock.h"
#include "TestHome.h"
#include "core/ContinuousTime.h"
#include "timeline/ReceivedMain.h"

// A store in channel 1, group 1 on a fake clock, with the operation log in a temporary home.
// Members are built in declaration order, so the time base is set before the store reads it.
class StoreEnvironment final
{
public:
    static constexpr quint32 kStartUtc = 36000000; // 10:00 UTC
    static constexpr quint32 kStartTick = 5000;

    explicit StoreEnvironment(int keep = 2000, int lines = 50)
    {
        store.Configure(keep, lines);
        store.SetChannelGroup(1, 1);
        // Far enough past the login that forwarding delays stay after it.
        clock.advance(60000);
    }

    quint32 now() const { return ContinuousTime::SystemTimeToInt(); }

    // A caption line as the receive path builds it from a native datagram sent directly by its
    // typist (sender times 0, so no forwarding delay).
    CReceivedMainData line(const QString &address, qint32 sent, qint32 received, const QString &text = {},
                           qint32 type = 'D', qint32 flag = 0) const
    {
        CReceivedMainData r;
        r.strRaw = text.isEmpty() ? QStringLiteral("%1@%2").arg(address).arg(sent) : text;
        r.nStrLength = static_cast<qint32>(r.strRaw.size());
        r.strIpAddress = address;
        r.strIpAddressSender = address;
        r.nTimeSent = sent;
        r.nTimeReceived = received;
        r.nTimeActualReceived = received;
        r.nTimeActualReceivedTick = now();
        r.nType = type;
        r.nFlag = flag;
        r.nChannel = 1;
        r.nGroup = 1;
        return r;
    }

    // Locates and stores the line the way the receive dispatch does; returns LocateData's result.
    int receive(CReceivedMainData r)
    {
        int pos = -1;
        const int result = store.LocateData(r, pos);
        if (result == ReceivedMain::LOCATE_APPEND)
            store.AppendData(r);
        else if (result == ReceivedMain::LOCATE_INSERT)
            store.InsertData(pos, r);
        else if (result == ReceivedMain::LOCATE_UPDATE)
            store.UndoData(pos, r);
        return result;
    }

    QStringList texts() const
    {
        QStringList out;
        for (int p = 0; p < store.count(); ++p)
            out.append(store.at(p)->strRaw);
        return out;
    }

    TestHome home;
    FakeClock clock{kStartUtc, kStartTick};

private:
    bool m_timeReady = (ContinuousTime::Initialize(), true);

public:
    ReceivedMain store;
};
