#include "web/CWebServer.h"

#include "config/CConfig.h"
#include "web/CHttpPage.h"
#include "web/CLiveEvents.h"

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
    if (m_sock)
        return;
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
