#include "app/CDlgCfgLang.h"

#include "app/CLanguageResources.h"
#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int kStringRestartNotice = 180;
constexpr int kStringConfirm = 150;

} // namespace

CDlgCfgLang::CDlgCfgLang(CConfig &config, const QList<quint16> &lcids, quint16 chosenLcid, QWidget *parent)
    : QDialog(parent), m_config(config)
{
    WriteLog(QStringLiteral("CDlgCfgLang::OnInitDialog() begins."));
    setWindowTitle(QCoreApplication::translate("CDlgCfgLang", "言語の選択"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("1091"));
    for (const quint16 lcid : lcids) {
        const QString name = CLanguageResources::displayName(lcid);
        // Rows and identifiers must stay paired, so the list ends at the first nameless entry.
        if (name.isEmpty())
            break;
        WriteLog(name);
        m_list->addItem(name);
        m_lcids.append(lcid);
        if (m_rememberedRow < 0 && chosenLcid != 0 && lcid == chosenLcid)
            m_rememberedRow = static_cast<int>(m_lcids.size() - 1);
    }
    if (m_rememberedRow >= 0)
        m_list->setCurrentRow(m_rememberedRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgLang::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgLang::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

CDlgCfgLang::CDlgCfgLang(CConfig &config, const CLanguageResources &languages, QWidget *parent)
    : CDlgCfgLang(config, languages.libraryLcids(), languages.chosenLcid(), parent)
{
}

void CDlgCfgLang::accept()
{
    const int row = m_list->currentRow();
    if (row >= 0 && row < m_lcids.size() && m_list->currentItem() && m_list->currentItem()->isSelected()) {
        m_config.SetInt(QStringLiteral("miscellaneous.resource.lcid_i"), m_lcids.at(row));
        if (row != m_rememberedRow)
            CDialogs::tell(this, CDialogs::Icon::Information, CStringTable::get(kStringConfirm),
                           CStringTable::get(kStringRestartNotice));
    }
    WriteLog(QStringLiteral("CDlgCfgLang finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgLang::reject()
{
    WriteLog(QStringLiteral("CDlgCfgLang finished by [cancel]."));
    QDialog::reject();
}
