#pragma once

#include "FakeClock.h"
#include "FixedWidthMeasurer.h"
#include "TestHome.h"
#include "core/ContinuousTime.h"
#include "timeline/ReceivedMain.h"

// A store in channel 1, group 1 on a fake clock, with the operation log in a temporary home.
// Members are built in declaration order, so the time base is set before the store reads it.
class StoreEnvironment final
{
public:
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
        r.strIpAddress = r.strIpAddressSender = address;
        r.nTimeSent = sent;
        r.nTimeReceived = r.nTimeActualReceived = received;
        r.nTimeActualReceivedTick = now();
        r.nType = type;
        r.nFlag = flag;
        r.nChannel = r.nGroup = 1;
        return r;
    }
    // Lines of one typist (10.0.0.1), one a millisecond; a text starting with "-" is stored withdrawn.
    void append(const QStringList &texts, qint32 sent = 1000)
    {
        for (const QString &text : texts) {
            const bool withdrawn = text.startsWith(u'-');
            store.AppendData(line(QStringLiteral("10.0.0.1"), sent, sent, text.mid(withdrawn ? 1 : 0), 'D',
                                  withdrawn ? 1 : 0));
            ++sent;
        }
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
    FakeClock clock{36000000, 5000}; // 10:00 UTC

private:
    bool m_timeReady = (ContinuousTime::Initialize(), true);

public:
    ReceivedMain store;
    FixedWidthMeasurer measurer; // 10 pixels a character, 20 high
};
