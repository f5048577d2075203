#pragma once

#include "net/CPortTable.h"

#include <QLatin1StringView>

// The eleven endpoints of a member online, in the order they are created and destroyed.
class CEndpointTable final
{
public:
    CEndpointTable() = delete;

    // Which CUdpSock class serves the endpoint.
    enum class Class
    {
        Plain,    // CUdpSock: the whole text is the only field
        Login,    // CUdpSockLogin
        Response, // CUdpSockResponse
        Monitor,  // CUdpSockMonitor
        Tavrin,   // CUdpSockTavrin
    };

    struct Endpoint
    {
        CPortTable::Kind kind;
        QLatin1StringView name;          // in the endpoint's log lines
        QLatin1StringView referenceName; // in "CMainWindow::SetOnline() pSockLogin failed."
        Class socketClass;
    };

    static constexpr int kCount = 11;
    static constexpr Endpoint kEndpoints[kCount] = {
        {CPortTable::Kind::Login, QLatin1StringView("login"), QLatin1StringView("pSockLogin"), Class::Login},
        {CPortTable::Kind::Response, QLatin1StringView("response"), QLatin1StringView("pSockResponse"),
         Class::Response},
        {CPortTable::Kind::Main, QLatin1StringView("main"), QLatin1StringView("pSockMain"), Class::Plain},
        {CPortTable::Kind::Monitor, QLatin1StringView("monitor"), QLatin1StringView("pSockMonitor"),
         Class::Monitor},
        {CPortTable::Kind::Chat, QLatin1StringView("chat"), QLatin1StringView("pSockChat"), Class::Plain},
        {CPortTable::Kind::Logoff, QLatin1StringView("logoff"), QLatin1StringView("pSockLogoff"),
         Class::Monitor},
        {CPortTable::Kind::PftFormer, QLatin1StringView("pft-former"), QLatin1StringView("pSockPftFormer"),
         Class::Plain},
        {CPortTable::Kind::PftLatter, QLatin1StringView("pft-latter"), QLatin1StringView("pSockPftLatter"),
         Class::Plain},
        {CPortTable::Kind::Undo, QLatin1StringView("undo"), QLatin1StringView("pSockUndo"), Class::Plain},
        {CPortTable::Kind::MainGross, QLatin1StringView("main-gross"), QLatin1StringView("pSockMainGross"),
         Class::Plain},
        {CPortTable::Kind::Native, QLatin1StringView("tavrin"), QLatin1StringView("pSockTavrin"),
         Class::Tavrin},
    };

    static constexpr const Endpoint &endpoint(CPortTable::Kind kind)
    {
        for (const Endpoint &e : kEndpoints) {
            if (e.kind == kind)
                return e;
        }
        return kEndpoints[0];
    }
    // The endpoint's port on a channel (1 … 12; another value takes channel 1's ports).
    static quint16 port(CPortTable::Kind kind, int channel) { return CPortTable::port(kind, channel); }
};
