#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class CConfig;
class QCheckBox;
class QLineEdit;

// The display settings dialog: scrolling, line height, outline, topmost and translucency. Every
// number is checked against the bounds of its settings key before anything is written.
// The controls carry their resource ids as object names ("1052", "1053", "1054", "1084", "1083",
// "1087", "1086", "1085").
class CDlgCfgDisplay final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgCfgDisplay)

public:
    // The settings must outlive the dialog. The controls are filled from them.
    explicit CDlgCfgDisplay(CConfig &config, QWidget *parent = nullptr);

    // Opens the dialog modally; on OK the settings are written and apply() runs (the display
    // takes the new values at once). True on OK.
    static bool Run(CConfig &config, QWidget *owner, const std::function<void()> &apply);

    // The first number out of its key's bounds, in the order scroll period, scroll pixels, line
    // height, outline width, opacity: its settings key; nothing when all are within bounds.
    std::optional<QString> FirstOutOfRange() const;

public slots:
    // Validates; out of range shows string 168 and keeps the dialog open, else writes the eight
    // keys and closes with OK.
    void accept() override;
    void reject() override;

private:
    QLineEdit *addNumber(int id);
    QCheckBox *addCheck(int id, const QString &text);
    void fill();
    void store();

    CConfig &m_config;
    QLineEdit *m_period = nullptr;
    QLineEdit *m_pixels = nullptr;
    QLineEdit *m_lineHeight = nullptr;
    QLineEdit *m_outlineWidth = nullptr;
    QCheckBox *m_outline = nullptr;
    QCheckBox *m_topmost = nullptr;
    QLineEdit *m_opacity = nullptr;
    QCheckBox *m_translucent = nullptr;
};
