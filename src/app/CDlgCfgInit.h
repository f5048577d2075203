#pragma once

#include <QDialog>

#include <array>

class CConfig;
class QButtonGroup;

// Start-up settings: which settings the next run starts with ("miscellaneous.init.type_i").
// The radio buttons keep their resource ids as ids in the button group and as object names
// ("radio1079" ...), top to bottom in the order of the types 0, 1, 2.
class CDlgCfgInit final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgCfgInit)

public:
    static constexpr int kIdNone = 1079;
    static constexpr int kIdCurrent = 1078;
    static constexpr int kIdLastExit = 1077;
    // Index in this order is the stored start-up type.
    static constexpr std::array<int, 3> kButtonIds = {kIdNone, kIdCurrent, kIdLastExit};

    explicit CDlgCfgInit(CConfig &config, QWidget *parent = nullptr);

    // The type chosen: the index of the first checked button, 0 when none is.
    int Selection() const;

public slots:
    void accept() override;
    void reject() override;

private:
    CConfig &m_config;
    QButtonGroup *m_pButtons = nullptr;
};
