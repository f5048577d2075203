#pragma once

#include <QByteArrayView>

#include <array>

// One connection slot of the web server: the socket it answers and the whole response, which
// may take several write readinesses to leave.
class CHttpResponseSock final
{
public:
    // The response as the classic page has always been limited.
    static constexpr int kBufferSize = 3000;
    // Room for the headers added since, which must not make a page too large that fitted before.
    static constexpr int kHeadRoom = 64;

    bool isFree() const { return m_socket < 0; }
    int socket() const { return m_socket; }
    // Taken for a socket that asked for the page: nothing pending yet.
    void Assign(int socket);
    void Free();

    // Copies the response in; false (and nothing pending) when it does not fit the buffer with
    // its head room.
    bool SetResponse(QByteArrayView response);
    // What is still to be sent.
    QByteArrayView Pending() const;
    void Advance(int sent);
    bool isSending() const { return m_bSending; }
    void setSending(bool sending) { m_bSending = sending; }
    bool isDone() const { return m_nOffset >= m_nLength; }

private:
    int m_socket = -1;
    std::array<char, kBufferSize + kHeadRoom> m_buffer = {};
    int m_nLength = 0;
    int m_nOffset = -1; // -1: nothing pending
    bool m_bSending = false;
};
