#pragma once
#include <winsock2.h>
#include <string>

// A one-shot HTTP listener on a free loopback port: it records the first request line it receives.
class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return m_nPort; }
    // Waits for one connection and returns the first line it sends; empty on time-out.
    std::string FirstRequestLine(int nTimeoutSeconds);
    // Waits for one connection and returns its request line and headers; empty on time-out.
    std::string FirstRequest(int nTimeoutSeconds);

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_nPort = 0;
};
