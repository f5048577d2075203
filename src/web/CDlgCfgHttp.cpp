#include "web/CDlgCfgHttp.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/CQrCodeView.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "web/CHttpPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgCfgHttp::CDlgCfgHttp(bool serverOn, const QString &accessText, CConfig &config, QWidget *parent)
    : QDialog(parent), m_config(config), m_bServerOn(serverOn)
{
    WriteLog(QStringLiteral("CDlgCfgHttp::OnInitDialog() begins."));
    setWindowTitle(tr("簡易Webサーバー設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    m_pEnable = new QCheckBox(tr("簡易Webサーバー機能を使用する (&E)"), this);
    m_pEnable->setObjectName(QStringLiteral("check%1").arg(kIdEnable));
    m_pEnable->setChecked(serverOn);
    layout->addWidget(m_pEnable);
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("httpStatus"));
    m_pStatus->setWordWrap(true);
    m_pStatus->hide();
    layout->addWidget(m_pStatus);

    auto *accessLabel = new QLabel(tr("アクセス先 (&U)"), this);
    m_pAccess = new QPlainTextEdit(this);
    m_pAccess->setObjectName(QStringLiteral("edit%1").arg(kIdAccess));
    m_pAccess->setReadOnly(true);
    m_pAccess->setPlainText(CStringTable::forDisplay(accessText));
    m_pAccess->setMaximumHeight(m_pAccess->fontMetrics().lineSpacing() * 5);
    accessLabel->setBuddy(m_pAccess);
    layout->addWidget(accessLabel);
    auto *access = new QHBoxLayout;
    access->addWidget(m_pAccess, 1);
    // The live page for the audience's phones, next to the addresses.
    m_pQrCode = new CQrCodeView(this);
    m_pQrCode->setObjectName(QStringLiteral("httpQrCode"));
    m_pQrCode->setNote(tr("アドレスがありません"));
    m_pQrCode->setFixedSize(m_pQrCode->sizeHint() * 1.5);
    m_pQrCode->hide();
    access->addWidget(m_pQrCode, 0, Qt::AlignTop);
    layout->addLayout(access);

    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_pTextColor =
        addEdit(form, kIdTextColor, QT_TRANSLATE_NOOP("CDlgCfgHttp", "文字色（6桁の16進数で） (&F)"));
    m_pBackgroundColor =
        addEdit(form, kIdBackgroundColor, QT_TRANSLATE_NOOP("CDlgCfgHttp", "背景色（6桁の16進数で） (&B)"));
    m_pFontSize =
        addEdit(form, kIdFontSize,
                QT_TRANSLATE_NOOP("CDlgCfgHttp", "文字サイズ（xx-large基準の％値。10～1000％） (&S)"));
    m_pLineHeight =
        addEdit(form, kIdLineHeight,
                QT_TRANSLATE_NOOP("CDlgCfgHttp", "行の高さ（文字の高さ基準の％値。100～200％） (&H)"));
    m_pReload = addEdit(form, kIdReload,
                        QT_TRANSLATE_NOOP("CDlgCfgHttp", "更新間隔（単位はミリ秒。500～100000ミリ秒） (&I)"));
    m_pLines = addEdit(form, kIdLines, QT_TRANSLATE_NOOP("CDlgCfgHttp", "行数（1～15行） (&N)"));
    m_pLetters =
        addEdit(form, kIdLetters, QT_TRANSLATE_NOOP("CDlgCfgHttp", "1行内の文字数の目安（5～41字） (&C)"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgHttp::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgHttp::reject);
    layout->addWidget(buttons);

    QString text;
    if (m_config.GetString(QStringLiteral("communication.http.color"), text))
        m_pTextColor->setText(text);
    if (m_config.GetString(QStringLiteral("communication.http.bgcolor"), text))
        m_pBackgroundColor->setText(text);
    for (const NumberField &field : numberFields()) {
        qint32 value = 0;
        if (m_config.GetInt(QString::fromUtf16(field.key), value))
            field.edit->setText(QString::number(value));
    }
    WriteLog(QStringLiteral("CDlgCfgHttp::OnInitDialog() finished."));
}

void CDlgCfgHttp::setServerView(const QString &status, const QString &accessText, const QString &liveUrl)
{
    m_pStatus->setText(status);
    m_pStatus->setVisible(!status.isEmpty());
    m_pAccess->setPlainText(CStringTable::forDisplay(accessText));
    m_pQrCode->setText(liveUrl);
    m_pQrCode->setVisible(!liveUrl.isEmpty());
}

QLineEdit *CDlgCfgHttp::addEdit(QFormLayout *layout, int id, const char *label)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    auto *text = new QLabel(tr(label), this);
    text->setBuddy(edit);
    layout->addRow(text, edit);
    return edit;
}

int CDlgCfgHttp::number(const QLineEdit *edit) const
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QList<CDlgCfgHttp::NumberField> CDlgCfgHttp::numberFields() const
{
    return {
        {m_pFontSize, u"communication.http.fontsize_i", 144},
        {m_pLineHeight, u"communication.http.lineheight_i", 145},
        {m_pReload, u"communication.http.reload_i", 146},
        {m_pLines, u"communication.http.line_i", 147},
        {m_pLetters, u"communication.http.letter_i", 148},
    };
}

QString CDlgCfgHttp::CheckValues() const
{
    QStringList messages;
    if (!CHttpPage::IsHexColor(m_pTextColor->text()))
        messages.append(CStringTable::get(142));
    if (!CHttpPage::IsHexColor(m_pBackgroundColor->text()))
        messages.append(CStringTable::get(143));
    for (const NumberField &field : numberFields()) {
        const QString key = QString::fromUtf16(field.key);
        qint32 low = 0;
        qint32 high = 0;
        const int value = number(field.edit);
        if (!m_config.GetMin(key, low) || !m_config.GetMax(key, high) || value < low || value > high)
            messages.append(CStringTable::get(field.message));
    }
    return messages.join(QStringLiteral("\r\n"));
}

void CDlgCfgHttp::accept()
{
    const QString messages = CheckValues();
    if (!messages.isEmpty()) {
        CDialogs::tell(this, CDialogs::Icon::Warning, CStringTable::get(116), messages);
        return;
    }
    m_bServerOn = m_pEnable->isChecked();
    m_config.SetString(QStringLiteral("communication.http.color"), m_pTextColor->text());
    m_config.SetString(QStringLiteral("communication.http.bgcolor"), m_pBackgroundColor->text());
    for (const NumberField &field : numberFields())
        m_config.SetInt(QString::fromUtf16(field.key), number(field.edit));
    if (m_apply && !m_apply(m_bServerOn)) {
        // Said here and not only in the operation log: the audience would be handed an address
        // that does not answer.
        WriteLog(QStringLiteral("CDlgCfgHttp: the web server cannot listen; the dialog stays open."));
        return;
    }
    WriteLog(QStringLiteral("CDlgCfgHttp finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgHttp::reject()
{
    WriteLog(QStringLiteral("CDlgCfgHttp finished by [cancel]."));
    QDialog::reject();
}
