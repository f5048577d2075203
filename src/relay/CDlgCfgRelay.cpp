#include "relay/CDlgCfgRelay.h"

#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "relay/CRelay.h"
#include "relay/CRelayRequestFormat.h"
#include "relay/CRelaySecrets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

CDlgCfgRelay::CDlgCfgRelay(CRelay &relay, const QString &defaultLanguage, const QString &secretsPath,
                           QWidget *parent)
    : QDialog(parent), m_relay(relay), m_strDefaultLanguage(defaultLanguage), m_strSecretsPath(secretsPath)
{
    WriteLog(QStringLiteral("CDlgCfgRelay::OnInitDialog() begins."));
    setWindowTitle(tr("字幕の中継 (Zoom・YouTube)"));
    auto *layout = new QVBoxLayout(this);
    auto *notice =
        new QLabel(tr("字幕を中継するのは、チームの中で一人だけにしてください。ほかのメンバーも中継すると、"
                      "同じ字幕が何度も届きます。\n"
                      "URL は合言葉と同じです。設定ファイル (.tvn) には保存されず、あなただけが読める"
                      "ファイルに保存されます。"),
                   this);
    notice->setWordWrap(true);
    layout->addWidget(notice);

    const QList<RelayTargetSettings> current = m_relay.settings();
    for (int i = 0; i < kRelayMaxTargets; ++i) {
        Row &row = m_rows[static_cast<size_t>(i)];
        auto *box = new QGroupBox(tr("中継先 %1").arg(i + 1), this);
        auto *grid = new QGridLayout(box);
        row.enabled = new QCheckBox(tr("送る"), box);
        row.kind = new QComboBox(box);
        row.kind->addItems({CRelayRequestFormat::KindName(RelayKind::Zoom),
                            CRelayRequestFormat::KindName(RelayKind::YouTube)});
        row.url = new QLineEdit(box);
        // Shoulder-surfing a stream key is enough to post into the stream.
        row.url->setEchoMode(QLineEdit::Password);
        row.url->setPlaceholderText(tr("字幕の URL を貼り付けてください"));
        row.url->setMinimumWidth(360);
        row.language = new QLineEdit(box);
        row.language->setMaximumWidth(80);
        row.hold = new QDoubleSpinBox(box);
        row.hold->setRange(0.0, RelayTargetSettings::kMaxHoldMs / 1000.0);
        row.hold->setDecimals(1);
        row.hold->setSingleStep(0.5);
        row.hold->setSuffix(tr(" 秒"));
        row.status = new QLabel(box);
        row.status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(row.enabled, 0, 0);
        grid->addWidget(row.kind, 0, 1);
        grid->addWidget(new QLabel(tr("URL"), box), 0, 2);
        grid->addWidget(row.url, 0, 3, 1, 5);
        grid->addWidget(new QLabel(tr("言語"), box), 1, 2);
        grid->addWidget(row.language, 1, 3);
        grid->addWidget(new QLabel(tr("取り消しを待つ時間"), box), 1, 4);
        grid->addWidget(row.hold, 1, 5);
        grid->addWidget(row.status, 2, 0, 1, 8);
        layout->addWidget(box);

        const RelayTargetSettings target = current.value(i, RelayTargetSettings{});
        row.enabled->setChecked(i < current.size() && target.enabled);
        row.kind->setCurrentIndex(target.kind == RelayKind::Zoom ? 0 : 1);
        row.url->setText(target.url);
        row.language->setText(i < current.size() ? target.language : m_strDefaultLanguage);
        row.hold->setValue(target.holdMs / 1000.0);
        // YouTube takes no language.
        const auto followKind = [&row] { row.language->setEnabled(row.kind->currentIndex() == 0); };
        connect(row.kind, &QComboBox::currentIndexChanged, this, followKind);
        followKind();
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgRelay::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgRelay::reject);
    layout->addWidget(buttons);

    connect(&m_relay, &CRelay::targetsChanged, this, &CDlgCfgRelay::watchTargets);
    watchTargets();
    WriteLog(QStringLiteral("CDlgCfgRelay::OnInitDialog() finished."));
}

CDlgCfgRelay::~CDlgCfgRelay() = default;

QList<RelayTargetSettings> CDlgCfgRelay::targets() const
{
    QList<RelayTargetSettings> result;
    for (const Row &row : m_rows) {
        RelayTargetSettings target;
        target.url = row.url->text().trimmed();
        if (target.url.isEmpty())
            continue;
        target.kind = row.kind->currentIndex() == 0 ? RelayKind::Zoom : RelayKind::YouTube;
        target.language = row.language->text().trimmed();
        if (target.language.isEmpty())
            target.language = m_strDefaultLanguage;
        target.enabled = row.enabled->isChecked();
        target.holdMs = static_cast<int>(std::lround(row.hold->value() * 1000.0));
        result.append(target);
    }
    return result;
}

void CDlgCfgRelay::watchTargets()
{
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
    m_watches.clear();
    for (int i = 0; i < kRelayMaxTargets; ++i) {
        if (CRelayTarget *target = m_relay.target(i))
            m_watches.append(
                connect(target, &CRelayTarget::statusChanged, this, [this, i] { showStatus(i); }));
        showStatus(i);
    }
}

void CDlgCfgRelay::showStatus(int index)
{
    const CRelayTarget *target = m_relay.target(index);
    QLabel *label = m_rows[static_cast<size_t>(index)].status;
    if (!target) {
        label->setText(tr("状態: 未設定"));
        return;
    }
    const QString state = target->state() == RelayState::Sending          ? tr("送信中")
                          : target->state() == RelayState::WaitingToRetry ? tr("再送待ち")
                                                                          : tr("停止");
    const QString delay = target->lastDelayMs() < 0
                              ? QStringLiteral("-")
                              : tr("%1 秒").arg(target->lastDelayMs() / 1000.0, 0, 'f', 1);
    label->setText(
        tr("状態: %1　応答: %2　待ち: %3 行　最後の行の遅れ: %4")
            .arg(state, target->lastAnswer().isEmpty() ? QStringLiteral("-") : target->lastAnswer())
            .arg(target->linesWaiting())
            .arg(delay));
}

void CDlgCfgRelay::accept()
{
    const QList<RelayTargetSettings> wanted = targets();
    for (int i = 0; i < wanted.size(); ++i) {
        if (!CRelayRequestFormat::IsUsableUrl(wanted.at(i).url)) {
            CDialogs::tell(
                this, CDialogs::Icon::Warning, windowTitle(),
                tr("中継先 %1 の URL は http:// または https:// で始まる字幕の URL ではありません。")
                    .arg(i + 1));
            return;
        }
    }
    if (!CRelaySecrets::Save(wanted, m_strSecretsPath))
        CDialogs::tell(this, CDialogs::Icon::Warning, windowTitle(),
                       tr("中継先を保存できませんでした。この実行の間だけ使われます。"));
    m_relay.ApplySettings(wanted);
    WriteLogInt(QStringLiteral("CDlgCfgRelay set targets"), static_cast<int>(wanted.size()));
    WriteLog(QStringLiteral("CDlgCfgRelay finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgRelay::reject()
{
    WriteLog(QStringLiteral("CDlgCfgRelay finished by [cancel]."));
    QDialog::reject();
}
