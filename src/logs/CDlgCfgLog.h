#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class CConfig;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QUrl;

// The log settings: the display log and the contact log switched on or off, and the folder both
// are written to. Modal; OK stores the three keys.
class CDlgCfgLog final : public QDialog
{
    Q_OBJECT

public:
    // Asks the desktop to open a folder; false when it could not.
    using UrlOpener = std::function<bool(const QUrl &url)>;

    // Windows' shell result for a path that does not exist.
    static constexpr quint32 kErrorFileNotFound = 2;
    // Its result for a folder that no program would open.
    static constexpr quint32 kErrorNoAssociation = 31;

    explicit CDlgCfgLog(CConfig &config, QWidget *parent = nullptr);
    ~CDlgCfgLog() override;

    // The main window's hook: runs the dialog; true on OK, folderChanged when the folder changed.
    static bool Run(QWidget *owner, CConfig &config, bool &folderChanged);

    bool folderChanged() const;

    // "変更...": the folder browser, starting at the folder shown.
    void OnChangeFolder();
    // "フォルダを開く": creates the folder when it is missing and opens it on the desktop. Returns
    // 0 on success, else the error code shown with string 170.
    quint32 OnOpenLogFolder();

    QCheckBox *displayCheck() const { return m_display; }
    QCheckBox *chatCheck() const { return m_chat; }
    QLineEdit *folderEdit() const { return m_folder; }
    QPushButton *changeButton() const { return m_change; }
    QPushButton *openButton() const { return m_open; }

    void setUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }

    void accept() override;
    void reject() override;

private:
    CConfig &m_config;
    QCheckBox *m_display = nullptr;
    QCheckBox *m_chat = nullptr;
    QLineEdit *m_folder = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_open = nullptr;
    QString m_strInitialFolder;
    UrlOpener m_urlOpener;
};
