#include "web/CDlgCfgHttp.h"

#include "config/CConfig.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "web/CHttpPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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

    auto *accessLabel = new QLabel(tr("アクセス先 (&U)"), this);
    m_pAccess = new QPlainTextEdit(this);
    m_pAccess->setObjectName(QStringLiteral("edit%1").arg(kIdAccess));
    m_pAccess->setReadOnly(true);
    m_pAccess->setPlainText(CStringTable::forDisplay(accessText));
    m_pAccess->setMaximumHeight(m_pAccess->fontMetrics().lineSpacing() * 5);
    accessLabel->setBuddy(m_pAccess);
    layout->addWidget(accessLabel);
    layout->addWidget(m_pAccess);

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
    const std::pair<QLineEdit *, const char16_t *> numbers[] = {
        {m_pFontSize, u"communication.http.fontsize_i"}, {m_pLineHeight, u"communication.http.lineheight_i"},
        {m_pReload, u"communication.http.reload_i"},     {m_pLines, u"communication.http.line_i"},
        {m_pLetters, u"communication.http.letter_i"},
    };
    for (const auto &[edit, key] : numbers) {
        qint32 value = 0;
        if (m_config.GetInt(QString::fromUtf16(key), value))
            edit->setText(QString::number(value));
    }

    m_messageBox = [this](const QString &message, const QString &caption) {
        QMessageBox box(QMessageBox::Warning, caption, CStringTable::forDisplay(message), QMessageBox::Ok, this);
        box.button(QMessageBox::Ok)->setText(tr("OK"));
        box.exec();
    };
    WriteLog(QStringLiteral("CDlgCfgHttp::OnInitDialog() finished."));
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

QString CDlgCfgHttp::CheckValues() const
{
    const auto inRange = [this](const QLineEdit *edit, int low, int high) {
        const int value = number(edit);
        return value >= low && value <= high;
    };
    const std::pair<bool, int> checks[] = {
        {CHttpPage::IsHexColor(m_pTextColor->text()), 142},
        {CHttpPage::IsHexColor(m_pBackgroundColor->text()), 143},
        {inRange(m_pFontSize, 10, 1000), 144},
        {inRange(m_pLineHeight, 100, 200), 145},
        {inRange(m_pReload, 500, 100000), 146},
        {inRange(m_pLines, 1, 15), 147},
        {inRange(m_pLetters, 5, 41), 148},
    };
    QStringList messages;
    for (const auto &[valid, message] : checks) {
        if (!valid)
            messages.append(CStringTable::get(message));
    }
    return messages.join(QStringLiteral("\r\n"));
}

void CDlgCfgHttp::accept()
{
    const QString messages = CheckValues();
    if (!messages.isEmpty()) {
        if (m_messageBox)
            m_messageBox(messages, CStringTable::get(116));
        return;
    }
    m_bServerOn = m_pEnable->isChecked();
    m_config.SetString(QStringLiteral("communication.http.color"), m_pTextColor->text());
    m_config.SetString(QStringLiteral("communication.http.bgcolor"), m_pBackgroundColor->text());
    m_config.SetInt(QStringLiteral("communication.http.fontsize_i"), number(m_pFontSize));
    m_config.SetInt(QStringLiteral("communication.http.lineheight_i"), number(m_pLineHeight));
    m_config.SetInt(QStringLiteral("communication.http.reload_i"), number(m_pReload));
    m_config.SetInt(QStringLiteral("communication.http.line_i"), number(m_pLines));
    m_config.SetInt(QStringLiteral("communication.http.letter_i"), number(m_pLetters));
    WriteLog(QStringLiteral("CDlgCfgHttp finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgHttp::reject()
{
    WriteLog(QStringLiteral("CDlgCfgHttp finished by [cancel]."));
    QDialog::reject();
}
