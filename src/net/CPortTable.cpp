#include "net/CPortTable.h"

quint16 CPortTable::port(Kind kind, int channel)
{
    if (channel < kFirstChannel || channel > kLastChannel)
        channel = kFirstChannel;
    quint16 base = 0;
    switch (kind) {
    case Kind::Native:
        return static_cast<quint16>(kNativeBase + channel);
    case Kind::Login:
        base = kLoginBase;
        break;
    case Kind::Response:
        base = kResponseBase;
        break;
    case Kind::Main:
        base = kMainBase;
        break;
    case Kind::Monitor:
        base = kMonitorBase;
        break;
    case Kind::Logoff:
        base = kLogoffBase;
        break;
    case Kind::Chat:
        base = kChatBase;
        break;
    case Kind::PftFormer:
        base = kPftFormerBase;
        break;
    case Kind::PftLatter:
        base = kPftLatterBase;
        break;
    case Kind::Undo:
        base = kUndoBase;
        break;
    case Kind::MainGross:
        base = kMainGrossBase;
        break;
    }
    return static_cast<quint16>(base + (channel - 1) * kChannelStep);
}
