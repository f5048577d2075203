#include "config/CFontColorDialog.h"

#include "config/CPaletteColorDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

CFontColorDialog::CFontColorDialog(const QFont &font, const QColor &color, CCustomPalette *palette,
                                   QWidget *parent, int maxPointSize)
    : QDialog(parent), m_color(color), m_palette(palette), m_nMaxPointSize(maxPointSize)
{
    setWindowTitle(QCoreApplication::translate("CFontColorDialog", "フォント"));
    // The font dialog is used as a panel: its own buttons give way to this dialog's.
    m_fonts = new QFontDialog(font, this);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);

    auto *colorRow = new QHBoxLayout;
    auto *label = new QLabel(QCoreApplication::translate("CFontColorDialog", "色(&C):"), this);
    m_colorButton = new QPushButton(this);
    m_colorButton->setObjectName(QStringLiteral("color"));
    label->setBuddy(m_colorButton);
    colorRow->addWidget(label);
    colorRow->addWidget(m_colorButton);
    colorRow->addStretch();
    connect(m_colorButton, &QPushButton::clicked, this, &CFontColorDialog::chooseColor);
    showColor();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

QFont CFontColorDialog::selectedFont() const
{
    QFont font = m_fonts->currentFont();
    const qreal points = font.pointSizeF();
    if (points > 0)
        font.setPointSizeF(std::clamp<qreal>(points, kMinPointSize, m_nMaxPointSize));
    return font;
}

void CFontColorDialog::chooseColor()
{
    QColor chosen = m_color;
    if (CPaletteColorDialog::Choose(this, chosen, m_palette)) {
        m_color = chosen;
        showColor();
    }
}

void CFontColorDialog::showColor()
{
    m_colorButton->setText(m_color.name());
    m_colorButton->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; }")
                                     .arg(m_color.name(), m_color.lightness() < 128
                                                              ? QStringLiteral("white")
                                                              : QStringLiteral("black")));
}

bool CFontColorDialog::Choose(QWidget *owner, QFont &font, QColor &color, CCustomPalette *palette,
                              int maxPointSize)
{
    CFontColorDialog dialog(font, color, palette, owner, maxPointSize);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.selectedFont();
    color = dialog.selectedColor();
    return true;
}
