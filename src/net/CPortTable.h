#pragma once

#include <QtGlobal>

// The UDP ports of both protocols. A channel selects a block of ports so that several captioning
// teams can share one LAN: the native port steps by 1 per channel, the shared ports by 100.
class CPortTable final
{
public:
    CPortTable() = delete;

    enum class Kind
    {
        Native,
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
    };

    static constexpr int kFirstChannel = 1;
    static constexpr int kLastChannel = 12;
    static constexpr quint16 kNativeBase = 6632; // + channel
    static constexpr quint16 kChannelStep = 100; // shared ports: + (channel - 1) * 100
    static constexpr quint16 kMainBase = 6711;
    static constexpr quint16 kMainGrossBase = 6713;
    static constexpr quint16 kResponseBase = 6718;
    static constexpr quint16 kMonitorBase = 6721;
    static constexpr quint16 kLoginBase = 6722;
    static constexpr quint16 kUndoBase = 6723;
    static constexpr quint16 kLogoffBase = 6724;
    static constexpr quint16 kChatBase = 6727;
    static constexpr quint16 kPftLatterBase = 6734;
    static constexpr quint16 kPftFormerBase = 6735;

    // A channel outside 1 … 12 uses channel 1's ports, the choice made when the channel is unknown.
    static quint16 port(Kind kind, int channel);
};
