#pragma once

#include "net/IAdapterSource.h"

#include <QDialog>
#include <QList>

class CConfig;
class QComboBox;
class QLineEdit;

// The login dialog: adapter, member name, channel and group. It only reads and writes the
// settings; logging in is the caller's business.
// Controls carry object names for tests: "adapters", "name", "channels", "groups".
class CDlgNic final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgNic)

public:
    static constexpr int kChannels = 12;
    static constexpr int kGroups = 26;
    // Used when the store sets no length bound on the member name.
    static constexpr int kDefaultNameLimit = 32;

    CDlgNic(const QList<AdapterEntry> &adapters, CConfig &config, QWidget *parent = nullptr);

    // Runs the dialog modally: the chosen adapter index on "ログイン", -1 on cancel.
    int DoModal();
    // The adapter index chosen by the last "ログイン".
    int SelectedAdapter() const { return m_nSelected; }

public slots:
    void accept() override;
    void reject() override;

private:
    QList<AdapterEntry> m_adapters;
    CConfig &m_config;
    QComboBox *m_pAdapters = nullptr;
    QLineEdit *m_pName = nullptr;
    QComboBox *m_pChannels = nullptr;
    QComboBox *m_pGroups = nullptr;
    int m_nSelected = -1;
};
