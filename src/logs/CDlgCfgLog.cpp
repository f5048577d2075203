#include "logs/CDlgCfgLog.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kDisplayKey = QStringLiteral("miscellaneous.log.display_i");
const QString kChatKey = QStringLiteral("miscellaneous.log.chat_i");
const QString kFolderKey = QStringLiteral("miscellaneous.log.folder");

} // namespace

CDlgCfgLog::CDlgCfgLog(CConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    WriteLog(QStringLiteral("CDlgCfgLog::OnInitDialog() begins."));
    setWindowTitle(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "ログ設定")));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "表示部のログ")), this), 0, 0);
    m_display = new QCheckBox(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "保存する (&S)")), this);
    grid->addWidget(m_display, 0, 1);
    grid->addWidget(new QLabel(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "連絡窓のログ")), this), 1, 0);
    m_chat = new QCheckBox(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "保存する (&A)")), this);
    grid->addWidget(m_chat, 1, 1);
    grid->addWidget(new QLabel(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "ログ保存先")), this), 2, 0);
    m_folder = new QLineEdit(this);
    m_folder->setReadOnly(true);
    m_folder->setMinimumWidth(320);
    grid->addWidget(m_folder, 2, 1);

    auto *folderButtons = new QHBoxLayout;
    m_change = new QPushButton(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "変更...")), this);
    m_open = new QPushButton(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "フォルダを開く")), this);
    m_change->setAutoDefault(false);
    m_open->setAutoDefault(false);
    folderButtons->addStretch();
    folderButtons->addWidget(m_change);
    folderButtons->addWidget(m_open);
    connect(m_change, &QPushButton::clicked, this, &CDlgCfgLog::OnChangeFolder);
    connect(m_open, &QPushButton::clicked, this, [this] { OnOpenLogFolder(); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "OK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr(QT_TRANSLATE_NOOP("CDlgCfgLog", "キャンセル")));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgLog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgLog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(folderButtons);
    layout->addWidget(buttons);

    m_display->setChecked(m_config.GetIntOr(kDisplayKey, 0) != 0);
    m_chat->setChecked(m_config.GetIntOr(kChatKey, 0) != 0);
    m_strInitialFolder = m_config.GetStringOr(kFolderKey);
    m_folder->setText(m_strInitialFolder);
    WriteLog(QStringLiteral("CDlgCfgLog::OnInitDialog() finished."));
}

CDlgCfgLog::~CDlgCfgLog() = default;

bool CDlgCfgLog::Run(QWidget *owner, CConfig &config, bool &folderChanged)
{
    CDlgCfgLog dialog(config, owner);
    const bool ok = dialog.exec() == QDialog::Accepted;
    folderChanged = ok && dialog.folderChanged();
    return ok;
}

bool CDlgCfgLog::folderChanged() const
{
    return m_folder->text() != m_strInitialFolder;
}

void CDlgCfgLog::OnChangeFolder()
{
    const QString title = CStringTable::get(135);
    const QString start = m_folder->text();
    const QString chosen = CDialogs::chooseFolder(this, title, start);
    if (!chosen.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(chosen));
}

quint32 CDlgCfgLog::OnOpenLogFolder()
{
    const QString folder = m_folder->text();
    if (!folder.isEmpty() && !QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const bool isFolder = !folder.isEmpty() && QFileInfo(folder).isDir();
    WriteLog(QStringLiteral("OnOpenLogFolder folder=") + folder + QStringLiteral(" : ") +
             (isFolder ? QStringLiteral("OK") : QStringLiteral("NG")));
    // The desktop cannot open what is not a folder: the result is known without asking it.
    quint32 error = kErrorFileNotFound;
    if (isFolder) {
        const QUrl url = QUrl::fromLocalFile(folder);
        const bool opened = m_urlOpener ? m_urlOpener(url) : QDesktopServices::openUrl(url);
        error = opened ? 0 : kErrorNoAssociation;
    }
    if (error == 0)
        return 0;
    QString message = CStringTable::get(170);
    message.replace(QStringLiteral("%1!lu!"), QString::number(error));
    CDialogs::tell(this, CDialogs::Icon::Warning, CStringTable::get(116), message);
    WriteLog(QStringLiteral("ERROR : ") + message);
    return error;
}

void CDlgCfgLog::accept()
{
    const int display = m_display->isChecked() ? 1 : 0;
    const int chat = m_chat->isChecked() ? 1 : 0;
    m_config.SetInt(kDisplayKey, display);
    m_config.SetInt(kChatKey, chat);
    m_config.SetString(kFolderKey, m_folder->text());
    WriteLog(QStringLiteral("CDlgCfgLog set log.display(%1) and log.chat(%2).").arg(display).arg(chat));
    WriteLog(QStringLiteral("CDlgCfgLog finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgLog::reject()
{
    WriteLog(QStringLiteral("CDlgCfgLog finished by [cancel]."));
    QDialog::reject();
}
