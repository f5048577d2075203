#pragma once

#include <QDialog>
#include <QList>

class CConfig;
class CLanguageResources;
class QListWidget;

// The language dialog: lists the language files found at start-up and stores the choice in
// "miscellaneous.resource.lcid_i". The choice applies from the next start.
class CDlgCfgLang final : public QDialog
{
    Q_OBJECT

public:
    // lcids: identifiers of the listed files in list order; chosenLcid: the one loaded at
    // start-up (0 if none).
    CDlgCfgLang(CConfig &config, const QList<quint16> &lcids, quint16 chosenLcid, QWidget *parent = nullptr);
    // The files and the choice of the start-up search.
    CDlgCfgLang(CConfig &config, const CLanguageResources &languages, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(CDlgCfgLang)

    // The list box (control 1091).
    QListWidget *listBox() const { return m_list; }

public slots:
    void accept() override;
    void reject() override;

private:
    CConfig &m_config;
    QList<quint16> m_lcids;
    QListWidget *m_list = nullptr;
    int m_rememberedRow = -1;
};
