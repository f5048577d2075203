#pragma once

#include "net/IAdapterSource.h"

#include <QList>

#include <functional>

class CConfig;
class CNetController;
class QWidget;

// How the member gets into the room: at start without asking where the choice is plain (one
// adapter and a member name), else through the login dialog; a login that fails is told.
class CLoginSequence final
{
public:
    // The login dialog: the index of the chosen adapter entry, or a negative value for cancel.
    using LoginDialog =
        std::function<int(QWidget *owner, const QList<AdapterEntry> &adapters, CConfig &config)>;

    CLoginSequence(CConfig &config, CNetController &net) : m_config(config), m_net(net) {}

    void setDialog(LoginDialog dialog) { m_dialog = std::move(dialog); }

    // At start: the automatic login, or the dialog when it is not possible or fails.
    void AtStart(QWidget *owner);
    // The dialog; refreshAdapters looks at the machine's adapters again first.
    void Ask(QWidget *owner, bool refreshAdapters);

private:
    CConfig &m_config;
    CNetController &m_net;
    LoginDialog m_dialog;
};
