#pragma once
// Helpers for the network tests: peers written with plain sockets (so the
// engine's side meets code that is not its own), an event recorder for the
// multiplayer callback, and bounded waits that drive the frame processing.
// All traffic stays on 127.0.0.1.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "VFile.h"
#include "aeLog.h"
#include "aeMultiplayer.h"

namespace nettest
{
constexpr int kWaitMs = 10000;

// A frame as it goes on the wire (a little-endian machine).
inline std::string Length(int32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }
inline std::string Frame(const std::string& payload) { return Length(static_cast<int32_t>(payload.size())) + payload; }
inline VFile Packet(const std::string& bytes) { return VFile(bytes.data(), static_cast<int>(bytes.size())); }

inline std::string Text(const VFile* f)
{
    return f ? std::string(reinterpret_cast<const char*>(f->GetBuffer()), static_cast<size_t>(f->GetSize())) : "<null>";
}

// Bytes that differ from one offset to the next, so a shifted or lost piece shows.
inline std::string Pattern(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : s)
        c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    return s;
}

// Calls aeMultiplayer::Process (one frame each) until done() holds or the
// time runs out; returns whether done() held.
inline bool PumpUntil(const std::function<bool()>& done, int ms = kWaitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        aeMultiplayer::Process();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Waits until the socket has something to read (data or the peer's end).
inline bool WaitReadable(int fd, int ms = kWaitMs)
{
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
}

inline sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

inline uint16_t LocalPort(int fd)
{
    sockaddr_in a = {};
    socklen_t l = sizeof(a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &l);
    return ntohs(a.sin_port);
}

// One end of a TCP connection on 127.0.0.1, blocking with time-outs.
class RawPeer
{
public:
    explicit RawPeer(int fd = -1) : m_Fd(fd)
    {
        timeval t = {kWaitMs / 1000, 0};
        const int on = 1;
        setsockopt(m_Fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof(t));
        setsockopt(m_Fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof(t));
        setsockopt(m_Fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    }
    ~RawPeer() { Close(); }
    RawPeer(RawPeer&& o) noexcept : m_Fd(o.m_Fd) { o.m_Fd = -1; }
    RawPeer& operator=(RawPeer&& o) noexcept { return std::swap(m_Fd, o.m_Fd), *this; }

    bool Connect(uint16_t port)
    {
        *this = RawPeer(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const sockaddr_in a = Loopback(port);
        return m_Fd >= 0 && connect(m_Fd, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) == 0;
    }

    bool Send(const std::string& bytes)
    {
        for (size_t done = 0; done < bytes.size();)
        {
            const ssize_t n = send(m_Fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Exactly n bytes, or fewer if the connection ends or the time runs out.
    std::string Read(size_t n)
    {
        std::string s(n, '\0');
        size_t got = 0;
        for (ssize_t r; got < n && (r = recv(m_Fd, &s[got], n - got, 0)) > 0;)
            got += static_cast<size_t>(r);
        return s.substr(0, got);
    }

    // One frame's payload, or "<none>" when no whole frame comes.
    std::string ReadFrame()
    {
        const std::string h = Read(4);
        int32_t n = 0;
        if (h.size() == 4)
            std::memcpy(&n, h.data(), 4);
        const std::string p = n > 0 ? Read(static_cast<size_t>(n)) : std::string();
        return n > 0 && p.size() == static_cast<size_t>(n) ? p : "<none>";
    }

    // True when the other side has ended the connection (a read of 0 bytes or a reset).
    bool SeesEnd()
    {
        char c;
        return WaitReadable(m_Fd) && recv(m_Fd, &c, 1, 0) <= 0;
    }

    uint16_t LocalPort() const { return nettest::LocalPort(m_Fd); }
    int Fd() const { return m_Fd; }

    void Close()
    {
        if (m_Fd >= 0)
            close(m_Fd);
        m_Fd = -1;
    }

    // Ends the connection with a reset instead of an orderly close.
    void Reset()
    {
        linger l = {1, 0};
        setsockopt(m_Fd, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
        Close();
    }

private:
    int m_Fd = -1;
};

// A listening socket on 127.0.0.1 with a port the system chose, standing in
// for a host that is not ours.
class RawListener
{
public:
    RawListener() : m_Fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        const sockaddr_in a = Loopback(0);
        bind(m_Fd, reinterpret_cast<const sockaddr*>(&a), sizeof(a));
        listen(m_Fd, 16);
    }
    ~RawListener() { close(m_Fd); }

    uint16_t Port() const { return LocalPort(m_Fd); }
    RawPeer Accept() { return RawPeer(WaitReadable(m_Fd) ? accept4(m_Fd, nullptr, nullptr, SOCK_CLOEXEC) : -1); }

private:
    int m_Fd;
};

// What the multiplayer callback was called with, and what held at that moment.
struct Event
{
    int iCode;
    int iNumber;     // code 3: the client's number
    void* pData;
    DWORD dwAddress; // code 4: the address
    int iState;      // aeMultiplayer's state during the callback
    int iClients;    // aeHost's client count during the callback
    int iErrors;     // errors logged before the callback
};

inline std::vector<Event>& Events()
{
    static std::vector<Event> s_Events;
    return s_Events;
}

inline void Record(int code, void* data)
{
    Event e = {code, -1, data, 0, aeMultiplayer::GetState(), aeHost::GetNumClients(), aeLog::m_iNumErrors};
    if (code == AE_MP_CLIENT_REMOVED && data)
        e.iNumber = *static_cast<int*>(data);
    if (code == AE_MP_ADDRESS_FOUND && data)
        e.dwAddress = *static_cast<DWORD*>(data);
    Events().push_back(e);
}

inline int CountEvents(int code)
{
    int n = 0;
    for (const Event& e : Events())
        n += e.iCode == code;
    return n;
}

// Starts the layer with the recorder and ends it after the test.
class NetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pLog = std::make_unique<test::LogCapture>("net");
        Events().clear();
        ASSERT_EQ(aeMultiplayer::Init(&Record), 1);
    }
    void TearDown() override
    {
        aeMultiplayer::Exit();
        Events().clear();
        m_pLog.reset();
    }

    bool Logged(const std::string& text) const { return m_pLog->Contains(text); }

    // Hosts on a free port and connects n plain peers; all are accepted.
    bool HostWithPeers(std::vector<RawPeer>& peers, int n)
    {
        if (!aeMultiplayer::Host(0))
            return false;
        for (int i = 0; i < n; ++i)
            if (!peers.emplace_back().Connect(aeHost::GetPort()))
                return false;
        return PumpUntil([&] { return aeHost::GetNumClients() == n; });
    }

    // The host's number for the peer (matched by the peer's port), or -1.
    static int NumberOf(const RawPeer& peer)
    {
        for (int i = 0; i < aeHost::GetNumClients(); ++i)
            if (aeHost::GetClient(i)->GetPort() == peer.LocalPort())
                return i;
        return -1;
    }

    // Connects the client to a plain listener and returns the accepted end.
    static RawPeer ConnectTo(RawListener& listener)
    {
        return aeMultiplayer::Connect(aeIPAddress(127, 0, 0, 1), listener.Port()) ? listener.Accept() : RawPeer();
    }

    std::unique_ptr<test::LogCapture> m_pLog;
};
}
