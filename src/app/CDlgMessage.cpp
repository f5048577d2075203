#include "app/CDlgMessage.h"

#include "app/CLanguageResources.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgMessage::CDlgMessage(const QString &text, QWidget *parent)
    : QDialog(parent), m_pEdit(new QPlainTextEdit(this))
{
    setWindowTitle(QCoreApplication::translate("CDlgMessage", "メッセージ"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    m_pEdit->setObjectName(QStringLiteral("edit1082"));
    m_pEdit->setReadOnly(true);
    // Wide enough for the product name on one line.
    m_pEdit->setMinimumWidth(m_pEdit->fontMetrics().averageCharWidth() * 52);
    m_pEdit->setPlainText(CStringTable::forDisplay(text));
    layout->addWidget(m_pEdit);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    box->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("CDlgMessage", "OK"));
    connect(box, &QDialogButtonBox::accepted, this, &CDlgMessage::accept);
    layout->addWidget(box);
}

QString CDlgMessage::Text() const
{
    return m_pEdit->toPlainText();
}

void CDlgMessage::accept()
{
    WriteLog(QStringLiteral("CDlgMessage finished by [OK]."));
    QDialog::accept();
}

QString CDlgMessage::BuildAboutText(const QString &productName, const QString &version, quint16 keyLayout,
                                    quint32 codePage)
{
    QString text;
    if (version.isEmpty())
        text = CStringTable::get(132);
    else
        text = productName + QLatin1String("\r\n") + CStringTable::get(131) + u' ' + version;
    text += QLatin1String("\r\n");
    text +=
        QStringLiteral("\r\nKeyLayout:%1 Codepage=%2").arg(keyLayout, 4, 16, QLatin1Char('0')).arg(codePage);
    return text;
}

QString CDlgMessage::AboutText(quint16 resourceLanguage)
{
    return BuildAboutText(ProductName(resourceLanguage), ProductVersion(),
                          CLanguageResources::currentKeyboardLcid(), kCodePage);
}

QString CDlgMessage::ProductName(quint16 resourceLanguage)
{
    if (resourceLanguage == kLangJapanese)
        return QStringLiteral("パソコン要約筆記ソフト tavrin for windows");
    return QStringLiteral("tavrin - subtitling application for windows");
}

QString CDlgMessage::ProductVersion()
{
    return QStringLiteral(TAVRIN_VERSION_STRING);
}
