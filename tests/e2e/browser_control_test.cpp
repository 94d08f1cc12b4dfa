#include <gtest/gtest.h>

#include <winsock2.h>

#include "e2e/tarnwick_process.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring ClassOf(HWND hWnd)
{
    wchar_t szClass[128] = {};
    ::GetClassNameW(hWnd, szClass, 128);
    return szClass;
}

std::vector<std::wstring> DescendantClasses(HWND hWnd)
{
    std::vector<std::wstring> classes;
    ::EnumChildWindows(
        hWnd,
        [](HWND hChild, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(ClassOf(hChild));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&classes));
    return classes;
}

// A one-shot HTTP listener on a free loopback port: it records the first request line it receives.
class LoopbackListener {
public:
    LoopbackListener()
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
    ~LoopbackListener()
    {
        ::closesocket(m_socket);
        ::WSACleanup();
    }
    int port() const { return m_nPort; }

    // Waits for one connection and returns the first line it sends; empty on time-out.
    std::string FirstRequestLine(int nTimeoutSeconds)
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
        while (received.find("\r\n") == std::string::npos && (n = ::recv(client, buffer, sizeof(buffer), 0)) > 0) {
            received.append(buffer, static_cast<size_t>(n));
        }
        const char kReply[] = "HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n";
        ::send(client, kReply, sizeof(kReply) - 1, 0);
        ::closesocket(client);
        return received.substr(0, received.find("\r\n"));
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_nPort = 0;
};

TEST(BrowserControlEndToEnd, ViewHostsTheControlWhichFetchesTheStartUrl)
{
    LoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/start-page";
    TarnwickProcess tarnwick(url);
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1));
    HWND hFrame = tarnwick.BrowserWindows()[0];

    HWND hView = ::GetDlgItem(hFrame, 0xE900);
    ASSERT_NE(hView, nullptr);
    HWND hControl = ::GetDlgItem(hView, 0xE900);
    ASSERT_NE(hControl, nullptr);
    EXPECT_EQ(ClassOf(hControl), L"Shell Embedding");  // the real control's own window

    // The control fetches the start URL, and opens its document view for it.
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /start-page HTTP/1.1");
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] {
        std::vector<std::wstring> classes = DescendantClasses(hView);
        return std::find(classes.begin(), classes.end(), L"Shell DocObject View") != classes.end();
    }));

    ::PostMessageW(hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(tarnwick.WaitForExit(), 0);
    std::string errors = tarnwick.ErrorOutput();
    for (const char* pszWord : {"fault", "xception", "crash", "backtrace"}) {
        EXPECT_EQ(errors.find(pszWord), std::string::npos) << errors;
    }
}

}  // namespace
