#include "net/CLineRecord.h"

#include "core/ContinuousTime.h"
#include "net/TavrinRecord.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/ReceivedMain.h"

CReceivedMainData CLineRecord::make(const QString &text, qint32 type, qint32 flag, const Origin &origin,
                                    int channel, int group)
{
    const int delay = ReceivedMain::DiffTimeOfDay(static_cast<qint32>(origin.senderSent),
                                                  static_cast<qint32>(origin.senderReceived));
    CReceivedMainData record;
    record.strRaw = text;
    record.nStrLength = static_cast<qint32>(text.size());
    record.nType = type;
    record.nFlag = flag;
    record.strIpAddress = origin.author;
    record.strIpAddressSender = origin.sender;
    record.nTimeSent = static_cast<qint32>(origin.sent);
    record.nTimeReceived = static_cast<qint32>(origin.received - static_cast<quint32>(delay));
    record.nTimeSenderSent = static_cast<qint32>(origin.senderSent);
    record.nTimeSenderReceived = static_cast<qint32>(origin.senderReceived);
    record.nTimeActualReceived = static_cast<qint32>(origin.received);
    record.nTimeActualReceivedTick = origin.receivedTick;
    record.nChannel = channel;
    record.nGroup = group;
    return record;
}

CReceivedMainData CLineRecord::repeated(const TavrinRecord &record, const QString &source,
                                        quint32 datagramSent, int channel, int group)
{
    return make(record.text, record.kind, record.flag,
                {record.address, source, record.firstTime, datagramSent, record.secondTime, record.receivedAt,
                 record.receivedTick},
                channel, group);
}

CReceivedMainData CLineRecord::direct(const TavrinRecord &message, const QString &text, int channel,
                                      int group)
{
    return make(
        text, message.kind, 0,
        {message.address, message.address, message.firstTime, 0, 0, message.receivedAt, message.receivedTick},
        channel, group);
}

CReceivedMainData CLineRecord::own(const QString &text, qint32 type, const QString &ownAddress,
                                   quint32 sendTime, int channel, int group)
{
    return make(text, type, 0,
                {ownAddress, ownAddress, sendTime, 0, 0, sendTime, ContinuousTime::SystemTimeToInt()},
                channel, group);
}
