#pragma once

#include <QDialog>

class QPlainTextEdit;

// A text shown read-only with an OK button: the about box.
class CDlgMessage final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgMessage)

public:
    // The ANSI code page of this program's shared-protocol texts.
    static constexpr quint32 kCodePage = 932;
    static constexpr quint16 kLangJapanese = 0x0411;

    // text may end its lines with CR LF, as the resource texts do.
    explicit CDlgMessage(const QString &text, QWidget *parent = nullptr);

    // What the edit shows, lines ended by "\n".
    QString Text() const;

    // "product\r\nstring131 version" (string 132 when version is empty), an empty line, then
    // "KeyLayout:%04x Codepage=%u".
    static QString BuildAboutText(const QString &productName, const QString &version, quint16 keyLayout,
                                  quint32 codePage);
    // The about box's text for this run: the product name of the language whose resources are in
    // use (0 when the built-in ones are), the compiled-in version, the keyboard layout's language
    // (the input method's locale as a language identifier, 0 when unknown) and code page 932.
    static QString AboutText(quint16 resourceLanguage = 0);

    // The product name of the version information: Japanese for Japanese resources, else neutral.
    static QString ProductName(quint16 resourceLanguage = 0);
    static QString ProductVersion();

public slots:
    void accept() override;

private:
    QPlainTextEdit *m_pEdit = nullptr;
};
