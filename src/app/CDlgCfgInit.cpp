#include "app/CDlgCfgInit.h"

#include "config/CConfig.h"
#include "core/OperationLog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDlgCfgInit::CDlgCfgInit(CConfig &config, QWidget *parent)
    : QDialog(parent), m_config(config), m_pButtons(new QButtonGroup(this))
{
    setWindowTitle(QCoreApplication::translate("CDlgCfgInit", "起動時設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QCoreApplication::translate("CDlgCfgInit", "tavrin起動時の設定を選択してください。\n\n"
                                                              "（設定ファイルから起動した場合は、\n"
                                                              "　その設定ファイルの内容が有効になります）"),
                   this));

    const char *const texts[] = {
        QT_TRANSLATE_NOOP("CDlgCfgInit", "初期設定なし (&N)"),
        QT_TRANSLATE_NOOP("CDlgCfgInit", "現在の設定を初期設定にする (&C)"),
        QT_TRANSLATE_NOOP("CDlgCfgInit", "前回終了時の設定を初期設定にする (&L)"),
    };
    for (size_t i = 0; i < kButtonIds.size(); ++i) {
        auto *radio = new QRadioButton(QCoreApplication::translate("CDlgCfgInit", texts[i]), this);
        radio->setObjectName(QStringLiteral("radio%1").arg(kButtonIds.at(i)));
        m_pButtons->addButton(radio, kButtonIds.at(i));
        layout->addWidget(radio);
    }

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("CDlgCfgInit", "OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("CDlgCfgInit", "キャンセル"));
    connect(box, &QDialogButtonBox::accepted, this, &CDlgCfgInit::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CDlgCfgInit::reject);
    layout->addWidget(box);

    qint32 type = 0;
    if (!m_config.GetInt(QStringLiteral("miscellaneous.init.type_i"), type))
        type = 0;
    if (type >= 0 && type < static_cast<qint32>(kButtonIds.size()))
        m_pButtons->button(kButtonIds.at(static_cast<size_t>(type)))->setChecked(true);
}

int CDlgCfgInit::Selection() const
{
    for (size_t i = 0; i < kButtonIds.size(); ++i) {
        if (m_pButtons->button(kButtonIds.at(i))->isChecked())
            return static_cast<int>(i);
    }
    return 0;
}

void CDlgCfgInit::accept()
{
    m_config.SetInt(QStringLiteral("miscellaneous.init.type_i"), Selection());
    WriteLog(QStringLiteral("CDlgCfgInit finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgInit::reject()
{
    WriteLog(QStringLiteral("CDlgCfgInit finished by [cancel]."));
    QDialog::reject();
}
