#pragma once

#include "relay/RelayTypes.h"

#include <QDialog>
#include <QList>
#include <QMetaObject>
#include <QString>

#include <array>

class CRelay;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

// The relay's targets: up to four Zoom or YouTube caption URLs, each with its language, hold time
// and switch, and what each target is doing while the dialog is open. Modal; OK saves the targets
// to their private file (never to a settings file) and hands them to the relay.
class CDlgCfgRelay final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgCfgRelay)

public:
    // The fields of one target.
    struct Row
    {
        QCheckBox *enabled = nullptr;
        QComboBox *kind = nullptr;
        QLineEdit *url = nullptr;
        QLineEdit *language = nullptr;
        QDoubleSpinBox *hold = nullptr;
        QLabel *status = nullptr;
    };

    // defaultLanguage: Zoom's language for a target set up here ("ja-JP"); secretsPath: where OK
    // saves the targets.
    CDlgCfgRelay(CRelay &relay, const QString &defaultLanguage, const QString &secretsPath,
                 QWidget *parent = nullptr);
    ~CDlgCfgRelay() override;

    // The targets as the fields have them; rows without a URL are left out.
    QList<RelayTargetSettings> targets() const;
    const Row &row(int index) const { return m_rows.at(static_cast<size_t>(index)); }

public slots:
    // Refuses a URL that is not http or https (and says so); else saves and applies.
    void accept() override;
    void reject() override;

private:
    void watchTargets();
    void showStatus(int index);

    CRelay &m_relay;
    QString m_strDefaultLanguage;
    QString m_strSecretsPath;
    std::array<Row, kRelayMaxTargets> m_rows;
    QList<QMetaObject::Connection> m_watches;
};
