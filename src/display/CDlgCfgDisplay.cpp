#include "display/CDlgCfgDisplay.h"

#include "config/CConfig.h"
#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CModalScope.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <array>

namespace {

const QString kPeriod = QStringLiteral("main.scroll.period_i");
const QString kPixels = QStringLiteral("main.scroll.pixel_i");
const QString kLineHeight = QStringLiteral("main.line.height_i");
const QString kOutlineWidth = QStringLiteral("main.font.outline.width_i");
const QString kOutline = QStringLiteral("main.font.outline_i");
const QString kTopmost = QStringLiteral("main.topmost_i");
const QString kOpacity = QStringLiteral("main.translucent.opacity_i");
const QString kTranslucent = QStringLiteral("main.translucent_i");

QString tr127(const char *text)
{
    return QCoreApplication::translate("CDlgCfgDisplay", text);
}

} // namespace

CDlgCfgDisplay::CDlgCfgDisplay(CConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    setObjectName(QStringLiteral("CDlgCfgDisplay"));
    setWindowTitle(tr127("表示設定"));

    auto *grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString &label, QWidget *field, const QString &unit) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel(unit, this), row, 2);
        ++row;
    };
    m_period = addNumber(1052);
    addRow(tr127("スクロール間隔 (&I)"), m_period, tr127("ミリ秒（10以上）"));
    m_pixels = addNumber(1053);
    addRow(tr127("スクロール幅 (&P)"), m_pixels, tr127("ピクセル（1以上）"));
    m_lineHeight = addNumber(1054);
    addRow(tr127("1行の高さ (&H)"), m_lineHeight, tr127("％（70～200）"));
    grid->addWidget(new QLabel(tr127("（文字の高さに対する倍率）"), this), row++, 1, 1, 2);
    m_outlineWidth = addNumber(1084);
    addRow(tr127("文字の縁取り幅 (&W)"), m_outlineWidth, tr127("ピクセル（1～99）"));
    m_outline = addCheck(1083, tr127("縁取りする (&O)"));
    grid->addWidget(m_outline, row++, 1, 1, 2);

    auto *placement = new QGroupBox(tr127("メインウインドウ配置"), this);
    auto *placementLayout = new QVBoxLayout(placement);
    m_topmost = addCheck(1087, tr127("最前面に配置する (&T)"));
    placementLayout->addWidget(m_topmost);
    m_opacity = addNumber(1086);
    auto *opacityRow = new QGridLayout;
    auto *opacityLabel = new QLabel(tr127("背景色の透過 (&B)"), placement);
    opacityLabel->setBuddy(m_opacity);
    opacityRow->addWidget(opacityLabel, 0, 0);
    opacityRow->addWidget(m_opacity, 0, 1);
    opacityRow->addWidget(new QLabel(tr127("％（0（透明）～100（不透明））"), placement), 0, 2);
    placementLayout->addLayout(opacityRow);
    m_translucent = addCheck(1085, tr127("透過処理する (&R)"));
    placementLayout->addWidget(m_translucent);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(tr127("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(tr127("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCfgDisplay::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCfgDisplay::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(placement);
    layout->addWidget(buttons);
    fill();
}

QLineEdit *CDlgCfgDisplay::addNumber(int id)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    // Numbers only, as the platform's numeric edit takes them.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    return edit;
}

QCheckBox *CDlgCfgDisplay::addCheck(int id, const QString &text)
{
    auto *check = new QCheckBox(text, this);
    check->setObjectName(QString::number(id));
    return check;
}

void CDlgCfgDisplay::fill()
{
    m_period->setText(QString::number(m_config.GetIntOr(kPeriod, 30)));
    m_pixels->setText(QString::number(m_config.GetIntOr(kPixels, 4)));
    m_lineHeight->setText(QString::number(m_config.GetIntOr(kLineHeight, 100)));
    m_outlineWidth->setText(QString::number(m_config.GetIntOr(kOutlineWidth, 2)));
    m_outline->setChecked(m_config.GetIntOr(kOutline, 0) != 0);
    m_topmost->setChecked(m_config.GetIntOr(kTopmost, 0) != 0);
    m_opacity->setText(QString::number(m_config.GetIntOr(kOpacity, 70)));
    m_translucent->setChecked(m_config.GetIntOr(kTranslucent, 0) != 0);
}

std::optional<QString> CDlgCfgDisplay::FirstOutOfRange() const
{
    const std::array<std::pair<const QString *, const QLineEdit *>, 5> numbers = {{
        {&kPeriod, m_period},
        {&kPixels, m_pixels},
        {&kLineHeight, m_lineHeight},
        {&kOutlineWidth, m_outlineWidth},
        {&kOpacity, m_opacity},
    }};
    for (const auto &[key, edit] : numbers) {
        bool ok = false;
        const qint64 value = edit->text().trimmed().toLongLong(&ok);
        // An empty field is no number at all, not a zero.
        if (!ok)
            return *key;
        qint32 lower = 0;
        qint32 upper = 0;
        if ((m_config.GetMin(*key, lower) && value < lower) ||
            (m_config.GetMax(*key, upper) && value > upper))
            return *key;
    }
    return std::nullopt;
}

void CDlgCfgDisplay::store()
{
    m_config.SetInt(kPeriod, m_period->text().trimmed().toInt());
    m_config.SetInt(kPixels, m_pixels->text().trimmed().toInt());
    m_config.SetInt(kLineHeight, m_lineHeight->text().trimmed().toInt());
    m_config.SetInt(kOutlineWidth, m_outlineWidth->text().trimmed().toInt());
    m_config.SetInt(kOutline, m_outline->isChecked() ? 1 : 0);
    m_config.SetInt(kTopmost, m_topmost->isChecked() ? 1 : 0);
    m_config.SetInt(kOpacity, m_opacity->text().trimmed().toInt());
    m_config.SetInt(kTranslucent, m_translucent->isChecked() ? 1 : 0);
}

void CDlgCfgDisplay::accept()
{
    if (FirstOutOfRange()) {
        const CModalScope modal;
        CDialogs::tell(this, CDialogs::Icon::Warning, CStringTable::get(116), CStringTable::get(168));
        return;
    }
    store();
    WriteLog(QStringLiteral("CDlgCfgDisplay finished by [OK]."));
    QDialog::accept();
}

void CDlgCfgDisplay::reject()
{
    WriteLog(QStringLiteral("CDlgCfgDisplay finished by [cancel]."));
    QDialog::reject();
}

bool CDlgCfgDisplay::Run(CConfig &config, QWidget *owner, const std::function<void()> &apply)
{
    const CModalScope modal;
    CDlgCfgDisplay dialog(config, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (apply)
        apply();
    return true;
}
