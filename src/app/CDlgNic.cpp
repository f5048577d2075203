#include "app/CDlgNic.h"

#include "config/CConfig.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A stored selection outside the list would otherwise be written back as channel or group 0.
int clampedIndex(qint32 index, int count)
{
    return (index >= 0 && index < count) ? index : 0;
}

} // namespace

CDlgNic::CDlgNic(const QList<AdapterEntry> &adapters, CConfig &config, QWidget *parent)
    : QDialog(parent), m_adapters(adapters), m_config(config), m_pAdapters(new QComboBox(this)),
      m_pName(new QLineEdit(this)), m_pChannels(new QComboBox(this)), m_pGroups(new QComboBox(this))
{
    WriteLog(QStringLiteral("CDlgNic::OnInitDialog() begins."));
    setWindowTitle(QCoreApplication::translate("CDlgNic", "ログイン"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pAdapters->setObjectName(QStringLiteral("adapters"));
    m_pName->setObjectName(QStringLiteral("name"));
    m_pChannels->setObjectName(QStringLiteral("channels"));
    m_pGroups->setObjectName(QStringLiteral("groups"));

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    const auto addRow = [this, form](const char *text, QWidget *field) {
        auto *label = new QLabel(QCoreApplication::translate("CDlgNic", text), this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(QT_TRANSLATE_NOOP("CDlgNic", "LANカード (&L)"), m_pAdapters);
    addRow(QT_TRANSLATE_NOOP("CDlgNic", "名前 (&N)"), m_pName);
    addRow(QT_TRANSLATE_NOOP("CDlgNic", "チャンネル (&C)"), m_pChannels);
    addRow(QT_TRANSLATE_NOOP("CDlgNic", "班 (&G)"), m_pGroups);
    layout->addLayout(form);

    auto *box = new QDialogButtonBox(this);
    box->addButton(QCoreApplication::translate("CDlgNic", "ログイン"), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    box->addButton(QCoreApplication::translate("CDlgNic", "キャンセル"), QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, this, &CDlgNic::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CDlgNic::reject);
    layout->addWidget(box);

    const QString nameKey = QStringLiteral("communication.name");
    qint32 limit = kDefaultNameLimit;
    if (!m_config.GetMax(nameKey, limit) || limit <= 0)
        limit = kDefaultNameLimit;
    m_pName->setMaxLength(limit);

    for (int channel = 1; channel <= kChannels; ++channel)
        m_pChannels->addItem(QString::number(channel));
    for (int group = 0; group < kGroups; ++group)
        m_pGroups->addItem(QString(QChar(u'A' + group)));

    QString name;
    m_config.GetString(nameKey, name);
    m_pName->setText(name);
    qint32 channel = 1;
    m_config.GetInt(QStringLiteral("communication.channel_i"), channel);
    m_pChannels->setCurrentIndex(clampedIndex(channel - 1, kChannels));
    qint32 group = 1;
    m_config.GetInt(QStringLiteral("communication.group_i"), group);
    m_pGroups->setCurrentIndex(clampedIndex(group - 1, kGroups));

    if (m_adapters.isEmpty()) {
        m_pAdapters->addItem(CStringTable::get(115));
    } else {
        QString nicName;
        m_config.GetString(QStringLiteral("communication.nic.name"), nicName);
        int selected = -1;
        for (qsizetype i = 0; i < m_adapters.size(); ++i) {
            const AdapterEntry &adapter = m_adapters.at(i);
            m_pAdapters->addItem(adapter.description + u' ' + adapter.address);
            if (selected < 0 && adapter.description == nicName)
                selected = static_cast<int>(i);
        }
        m_pAdapters->setCurrentIndex(qMax(selected, 0));
    }

    WriteLogInt(QStringLiteral("CDlgNic::OnInitDialog() finished. number of NICs"),
                static_cast<int>(m_adapters.size()));
}

int CDlgNic::DoModal()
{
    return exec() == QDialog::Accepted ? m_nSelected : -1;
}

void CDlgNic::accept()
{
    WriteLog(QStringLiteral("CDlgNic finished by [OK]."));
    m_config.SetString(QStringLiteral("communication.name"), m_pName->text());
    m_config.SetInt(QStringLiteral("communication.channel_i"), m_pChannels->currentIndex() + 1);
    m_config.SetInt(QStringLiteral("communication.group_i"), m_pGroups->currentIndex() + 1);
    m_nSelected = m_pAdapters->currentIndex();
    if (!m_adapters.isEmpty() && m_nSelected >= 0 && m_nSelected < m_adapters.size())
        m_config.SetString(QStringLiteral("communication.nic.name"), m_adapters.at(m_nSelected).description);
    QDialog::accept();
}

void CDlgNic::reject()
{
    WriteLog(QStringLiteral("CDlgNic finished by [cancel]."));
    QDialog::reject();
}
