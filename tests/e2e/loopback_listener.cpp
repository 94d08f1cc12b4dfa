#include "loopback_listener.h"

LoopbackListener::LoopbackListener()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(m_socket, 4);
    int nLength = sizeof(address);
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &nLength);
    m_nPort = ::ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener()
{
    ::closesocket(m_socket);
    ::WSACleanup();
}

std::string LoopbackListener::FirstRequestLine(int nTimeoutSeconds)
{
    std::string request = FirstRequest(nTimeoutSeconds);
    return request.substr(0, request.find("\r\n"));
}

std::string LoopbackListener::FirstRequest(int nTimeoutSeconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval timeout{nTimeoutSeconds, 0};
    if (::select(0, &readable, nullptr, nullptr, &timeout) != 1) return {};
    SOCKET client = ::accept(m_socket, nullptr, nullptr);
    std::string received;
    char buffer[512];
    int n;
    while (received.find("\r\n\r\n") == std::string::npos && (n = ::recv(client, buffer, sizeof(buffer), 0)) > 0) {
        received.append(buffer, static_cast<size_t>(n));
    }
    const char kReply[] = "HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n";
    ::send(client, kReply, sizeof(kReply) - 1, 0);
    ::closesocket(client);
    return received.substr(0, received.find("\r\n\r\n"));
}
