#include "web/CHttpResponseSock.h"

#include <cstring>

void CHttpResponseSock::Assign(int socket)
{
    m_socket = socket;
    m_nOffset = -1;
    m_nLength = 0;
    m_bSending = false;
}

void CHttpResponseSock::Free()
{
    m_socket = -1;
    m_nOffset = -1;
    m_nLength = 0;
    m_bSending = false;
}

bool CHttpResponseSock::SetResponse(QByteArrayView response)
{
    if (response.size() > static_cast<qsizetype>(m_buffer.size())) {
        m_nLength = 0;
        m_nOffset = -1;
        return false;
    }
    std::memcpy(m_buffer.data(), response.data(), static_cast<size_t>(response.size()));
    m_nLength = static_cast<int>(response.size());
    m_nOffset = 0;
    return true;
}

QByteArrayView CHttpResponseSock::Pending() const
{
    if (m_nOffset < 0 || m_nOffset >= m_nLength)
        return {};
    return QByteArrayView(m_buffer.data() + m_nOffset, m_nLength - m_nOffset);
}

void CHttpResponseSock::Advance(int sent)
{
    if (m_nOffset >= 0)
        m_nOffset += sent;
}
