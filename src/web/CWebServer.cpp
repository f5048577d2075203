#include "web/CWebServer.h"

#include "config/CConfig.h"
#include "web/CHttpPage.h"
#include "web/CHttpPortProbe.h"
#include "web/CLiveEvents.h"

#include <QCoreApplication>

namespace {

QString translate(const char *text)
{
    return QCoreApplication::translate("CWebServer", text);
}

// "80, 8080～8089": runs of consecutive ports joined.
QString portList(const QList<int> &ports)
{
    QStringList parts;
    for (qsizetype i = 0; i < ports.size();) {
        qsizetype j = i;
        while (j + 1 < ports.size() && ports[j + 1] == ports[j] + 1)
            ++j;
        parts.append(j > i + 1 ? QStringLiteral("%1～%2").arg(ports[i]).arg(ports[j])
                               : QString::number(ports[i]));
        if (j == i + 1)
            parts.append(QString::number(ports[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

CWebServer::CWebServer(CConfig &config, const ReceivedMain &captions, CCaptionFeed &feed,
                       CHttpSockOptions options)
    : m_config(config), m_captions(captions), m_feed(feed), m_options(std::move(options))
{
}

CWebServer::~CWebServer()
{
    Stop();
}

void CWebServer::Start()
{
    if (isListening())
        return;
    m_sock.reset();
    m_live = std::make_unique<CLiveEvents>(m_feed, m_captions);
    m_sock = std::make_unique<CHttpSock>(*this, m_options);
    ApplySettings();
}

void CWebServer::Stop()
{
    m_sock.reset();
    m_live.reset();
}

void CWebServer::ApplySettings()
{
    m_nLines = m_config.GetIntOr(QStringLiteral("communication.http.line_i"), m_nLines);
    m_nLetters = m_config.GetIntOr(QStringLiteral("communication.http.letter_i"), m_nLetters);
    if (!m_sock)
        return;
    CHttpPageStyle style = m_sock->style();
    style.textColor = m_config.GetStringOr(QStringLiteral("communication.http.color"), style.textColor);
    style.backgroundColor =
        m_config.GetStringOr(QStringLiteral("communication.http.bgcolor"), style.backgroundColor);
    style.reloadMs = m_config.GetIntOr(QStringLiteral("communication.http.reload_i"), style.reloadMs);
    style.fontSizePercent =
        m_config.GetIntOr(QStringLiteral("communication.http.fontsize_i"), style.fontSizePercent);
    style.lineHeightPercent =
        m_config.GetIntOr(QStringLiteral("communication.http.lineheight_i"), style.lineHeightPercent);
    m_sock->setStyle(style);
}

int CWebServer::port() const
{
    return m_sock ? m_sock->port() : 0;
}

bool CWebServer::isListening() const
{
    return m_sock && m_sock->isListening();
}

int CWebServer::expectedPort() const
{
    return isListening() ? port() : CHttpPortProbe::FirstFreePort(m_options);
}

QString CWebServer::StatusText() const
{
    const QString ports = portList(CHttpPortProbe::PortNumbers(m_options));
    if (isListening())
        return translate("ポート %1 で待ち受けています。").arg(port());
    if (m_sock)
        return translate("待ち受けできませんでした。ポート %1 はどれも使用中か、使う権限がありません。")
            .arg(ports);
    const int next = expectedPort();
    if (next > 0)
        return translate("停止中です。使用するとポート %1 で待ち受けます。").arg(next);
    return translate("停止中です。ポート %1 はどれも使用中か、使う権限がありません。").arg(ports);
}

QString CWebServer::TitleNotice() const
{
    return listenFailed() ? translate("[Webサーバー: 待ち受けできません]") : QString();
}

QString CWebServer::LiveUrl(const QString &address, int port)
{
    if (address.isEmpty() || port <= 0)
        return {};
    const QString portText = port != 80 ? QStringLiteral(":%1").arg(port) : QString();
    return QStringLiteral("http://") + address + portText + QStringLiteral("/live");
}

QString CWebServer::HttpPageText()
{
    return CHttpPage::BuildPageText(m_captions, m_nLines, m_nLetters);
}

QString CWebServer::AccessText(const QStringList &addresses, int port)
{
    const QString portText = (port > 0 && port != 80) ? QStringLiteral(":%1").arg(port) : QString();
    QStringList lines;
    for (const QString &address : addresses)
        lines.append(QStringLiteral("http://") + address + portText + QStringLiteral("/"));
    return lines.join(QStringLiteral("\r\n"));
}
