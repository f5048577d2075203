#include "app/CDlgMessage.h"

#include "core/OperationLog.h"
#include "core/StringTable.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct LcidEntry
{
    QLocale::Language language;
    QLocale::Territory territory; // AnyTerritory: the language's primary identifier
    quint16 lcid;
};

// The languages a keyboard layout is likely to name here; specific territories first.
constexpr LcidEntry kLcids[] = {
    {QLocale::Japanese, QLocale::Japan, 0x0411},        {QLocale::English, QLocale::UnitedStates, 0x0409},
    {QLocale::English, QLocale::UnitedKingdom, 0x0809}, {QLocale::English, QLocale::Australia, 0x0c09},
    {QLocale::English, QLocale::Canada, 0x1009},        {QLocale::Chinese, QLocale::China, 0x0804},
    {QLocale::Chinese, QLocale::Taiwan, 0x0404},        {QLocale::Chinese, QLocale::HongKong, 0x0c04},
    {QLocale::Korean, QLocale::SouthKorea, 0x0412},     {QLocale::German, QLocale::Germany, 0x0407},
    {QLocale::French, QLocale::France, 0x040c},         {QLocale::Spanish, QLocale::Spain, 0x0c0a},
    {QLocale::Italian, QLocale::Italy, 0x0410},         {QLocale::Portuguese, QLocale::Brazil, 0x0416},
    {QLocale::Portuguese, QLocale::Portugal, 0x0816},   {QLocale::Russian, QLocale::Russia, 0x0419},
    {QLocale::Dutch, QLocale::Netherlands, 0x0413},     {QLocale::Japanese, QLocale::AnyTerritory, 0x0411},
    {QLocale::English, QLocale::AnyTerritory, 0x0409},  {QLocale::Chinese, QLocale::AnyTerritory, 0x0804},
    {QLocale::Korean, QLocale::AnyTerritory, 0x0412},   {QLocale::German, QLocale::AnyTerritory, 0x0407},
    {QLocale::French, QLocale::AnyTerritory, 0x040c},   {QLocale::Spanish, QLocale::AnyTerritory, 0x0c0a},
    {QLocale::Italian, QLocale::AnyTerritory, 0x0410},  {QLocale::Portuguese, QLocale::AnyTerritory, 0x0416},
    {QLocale::Russian, QLocale::AnyTerritory, 0x0419},  {QLocale::Dutch, QLocale::AnyTerritory, 0x0413},
};

} // namespace

CDlgMessage::CDlgMessage(const QString &text, QWidget *parent)
    : QDialog(parent), m_pEdit(new QPlainTextEdit(this))
{
    setWindowTitle(QCoreApplication::translate("CDlgMessage", "メッセージ"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    m_pEdit->setObjectName(QStringLiteral("edit1082"));
    m_pEdit->setReadOnly(true);
    m_pEdit->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
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
    return BuildAboutText(ProductName(resourceLanguage), ProductVersion(), KeyboardLayoutId(), kCodePage);
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

quint16 CDlgMessage::KeyboardLayoutId()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 0;
    const QInputMethod *inputMethod = QGuiApplication::inputMethod();
    return inputMethod ? LcidFromLocale(inputMethod->locale()) : 0;
}

quint16 CDlgMessage::LcidFromLocale(const QLocale &locale)
{
    for (const LcidEntry &entry : kLcids) {
        if (entry.language == locale.language() &&
            (entry.territory == QLocale::AnyTerritory || entry.territory == locale.territory()))
            return entry.lcid;
    }
    return 0;
}
