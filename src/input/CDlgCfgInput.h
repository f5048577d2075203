#pragma once

#include <QDialog>

class CConfig;
class QLineEdit;

// The input settings: the two pairs of marks that F8 and Shift+F8 put around the line. The
// input window reads them at every press, so nobody else needs telling.
class CDlgCfgInput final : public QDialog
{
    Q_OBJECT

public:
    explicit CDlgCfgInput(CConfig &config, QWidget *parent = nullptr);

    // 0 pair 1 begin, 1 pair 1 end, 2 pair 2 begin, 3 pair 2 end.
    QLineEdit *mark(int index) const;
    static QString markKey(int index);

    void accept() override;
    void reject() override;

private:
    CConfig &m_config;
    QLineEdit *m_marks[4] = {};
};
