#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class CConfig;
class CQrCodeView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The web server settings: the on/off switch, where the page can be reached, and the look and
// size of the page. The controls carry their resource ids in their object names ("check1067",
// "edit1068" ... "edit1075").
class CDlgCfgHttp final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgCfgHttp)

public:
    static constexpr int kIdEnable = 1067;
    static constexpr int kIdAccess = 1068;
    static constexpr int kIdTextColor = 1069;
    static constexpr int kIdBackgroundColor = 1070;
    static constexpr int kIdFontSize = 1071;
    static constexpr int kIdLineHeight = 1072;
    static constexpr int kIdReload = 1073;
    static constexpr int kIdLines = 1074;
    static constexpr int kIdLetters = 1075;

    // accessText: the addresses, one per CR LF separated line.
    CDlgCfgHttp(bool serverOn, const QString &accessText, CConfig &config, QWidget *parent = nullptr);

    // The switch as the dialog ended (after OK), or as it was handed in.
    bool serverOn() const { return m_bServerOn; }

    // Switches the server as OK leaves the switch, after the values are stored; false when the
    // server was switched on but cannot listen. The dialog then stays open and shows why (the
    // hook refreshes what it shows with setServerView first).
    using ApplyHook = std::function<bool(bool serverOn)>;
    void setApplyHook(ApplyHook hook) { m_apply = std::move(hook); }
    // The server's state in a line, the addresses, and the live page's address as a QR code
    // (empty: none).
    void setServerView(const QString &status, const QString &accessText, const QString &liveUrl);

    // The messages of every value that is refused (outside the key's bounds), in the dialog's
    // order, joined with CR LF; empty when all are valid. OK shows them and keeps the dialog open.
    QString CheckValues() const;

public slots:
    void accept() override;
    void reject() override;

private:
    // A number edit with its key (which holds the bounds) and the message shown when refused.
    struct NumberField
    {
        QLineEdit *edit;
        const char16_t *key;
        int message;
    };
    QList<NumberField> numberFields() const;
    QLineEdit *addEdit(class QFormLayout *layout, int id, const char *label);
    int number(const QLineEdit *edit) const;

    CConfig &m_config;
    bool m_bServerOn = false;
    ApplyHook m_apply;
    QCheckBox *m_pEnable = nullptr;
    QLabel *m_pStatus = nullptr;
    QPlainTextEdit *m_pAccess = nullptr;
    CQrCodeView *m_pQrCode = nullptr;
    QLineEdit *m_pTextColor = nullptr;
    QLineEdit *m_pBackgroundColor = nullptr;
    QLineEdit *m_pFontSize = nullptr;
    QLineEdit *m_pLineHeight = nullptr;
    QLineEdit *m_pReload = nullptr;
    QLineEdit *m_pLines = nullptr;
    QLineEdit *m_pLetters = nullptr;
};
