#include "input/CDlgCfgInput.h"

#include "config/CConfig.h"
#include "core/OperationLog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

CDlgCfgInput::CDlgCfgInput(CConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    WriteLog(QStringLiteral("CDlgCfgInput::OnInitDialog() begins."));
    setWindowTitle(QCoreApplication::translate("CDlgCfgInput", "入力設定"));
    auto *grid = new QGridLayout(this);
    const QString labels[2] = {
        QCoreApplication::translate("CDlgCfgInput", "F8押下時に囲む文字 (&F)"),
        QCoreApplication::translate("CDlgCfgInput", "Shift+F8押下時に囲む文字 (&S)"),
    };
    for (int i = 0; i < 4; ++i) {
        m_marks[i] = new QLineEdit(this);
        m_marks[i]->setObjectName(QStringLiteral("edit%1").arg(1055 + i));
        QString value;
        if (m_config.GetString(markKey(i), value))
            m_marks[i]->setText(value);
    }
    for (int row = 0; row < 2; ++row) {
        auto *label = new QLabel(labels[row], this);
        label->setBuddy(m_marks[row * 2]);
        grid->addWidget(label, row, 0);
        grid->addWidget(m_marks[row * 2], row, 1);
        grid->addWidget(m_marks[row * 2 + 1], row, 2);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgInput::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgInput::reject);
    grid->addWidget(buttons, 2, 0, 1, 3);
}

QLineEdit *CDlgCfgInput::mark(int index) const
{
    return index >= 0 && index < 4 ? m_marks[index] : nullptr;
}

QString CDlgCfgInput::markKey(int index)
{
    return QStringLiteral("input.quote.%1.%2")
        .arg(index / 2 + 1)
        .arg(index % 2 == 0 ? QStringLiteral("begin") : QStringLiteral("end"));
}

void CDlgCfgInput::accept()
{
    for (int i = 0; i < 4; ++i)
        m_config.SetString(markKey(i), m_marks[i]->text());
    WriteLog(QStringLiteral("DlgCfgInput : Quote %1-%2 , %3-%4")
                 .arg(m_marks[0]->text(), m_marks[1]->text(), m_marks[2]->text(), m_marks[3]->text()));
    WriteLog(QStringLiteral("CDlgCfgInput finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgInput::reject()
{
    WriteLog(QStringLiteral("CDlgCfgInput finished by [cancel]."));
    QDialog::reject();
}
