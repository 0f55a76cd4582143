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

#include "VFile.h"
#include "aeLog.h"
#include "aeMultiplayer.h"
#include "TestSupport.h"

namespace nettest
{
constexpr int kWaitMs = 10000;

// A frame as it goes on the wire.
inline std::string Length(int32_t n)
{
    return std::string(reinterpret_cast<const char*>(&n), 4);  // little-endian machine
}

inline std::string Frame(const std::string& payload)
{
    return Length(static_cast<int32_t>(payload.size())) + payload;
}

inline std::string Text(const VFile* f)
{
    return f ? std::string(reinterpret_cast<const char*>(f->GetBuffer()), static_cast<size_t>(f->GetSize()))
             : std::string("<null>");
}

inline VFile Packet(const std::string& bytes)
{
    return VFile(bytes.data(), static_cast<int>(bytes.size()));
}

// Bytes that differ from one offset to the next, so a shifted or lost piece shows.
inline std::string Pattern(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i)
    {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
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

// One end of a TCP connection on 127.0.0.1, blocking with time-outs.
class RawPeer
{
public:
    RawPeer() = default;
    explicit RawPeer(int fd) : m_Fd(fd) { SetTimeouts(); }
    ~RawPeer() { Close(); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;
    RawPeer(RawPeer&& o) noexcept : m_Fd(o.m_Fd) { o.m_Fd = -1; }

    bool Connect(uint16_t port)
    {
        Close();
        m_Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_Fd < 0)
            return false;
        SetTimeouts();
        sockaddr_in a = Loopback(port);
        return connect(m_Fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    }

    bool Send(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size())
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
        std::string s;
        char block[65536];
        while (s.size() < n)
        {
            const size_t want = n - s.size() < sizeof(block) ? n - s.size() : sizeof(block);
            const ssize_t got = recv(m_Fd, block, want, 0);
            if (got <= 0)
                break;
            s.append(block, static_cast<size_t>(got));
        }
        return s;
    }

    // One frame's payload, or "<none>" when no whole frame comes.
    std::string ReadFrame()
    {
        const std::string h = Read(4);
        if (h.size() != 4)
            return "<none>";
        int32_t n;
        std::memcpy(&n, h.data(), 4);
        if (n <= 0)
            return "<bad length>";
        std::string p = Read(static_cast<size_t>(n));
        return p.size() == static_cast<size_t>(n) ? p : std::string("<none>");
    }

    // True when the other side has ended the connection (a read of 0 bytes or a reset).
    bool SeesEnd()
    {
        char c;
        if (!WaitReadable(m_Fd))
            return false;
        return recv(m_Fd, &c, 1, 0) <= 0;
    }

    uint16_t LocalPort() const
    {
        sockaddr_in a;
        socklen_t l = sizeof(a);
        getsockname(m_Fd, reinterpret_cast<sockaddr*>(&a), &l);
        return ntohs(a.sin_port);
    }

    void Close()
    {
        if (m_Fd >= 0)
            close(m_Fd);
        m_Fd = -1;
    }

    // Ends the connection with a reset instead of an orderly close.
    void Reset()
    {
        if (m_Fd < 0)
            return;
        linger l = {1, 0};
        setsockopt(m_Fd, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
        Close();
    }

    int Fd() const { return m_Fd; }

    static sockaddr_in Loopback(uint16_t port)
    {
        sockaddr_in a;
        std::memset(&a, 0, sizeof(a));
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

private:
    void SetTimeouts()
    {
        timeval t = {kWaitMs / 1000, 0};
        setsockopt(m_Fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof(t));
        setsockopt(m_Fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof(t));
        const int on = 1;
        setsockopt(m_Fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    }

    int m_Fd = -1;
};

// A listening socket on 127.0.0.1 with a port the system chose, standing in
// for a host that is not ours.
class RawListener
{
public:
    RawListener()
    {
        m_Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = RawPeer::Loopback(0);
        bind(m_Fd, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        listen(m_Fd, 16);
        socklen_t l = sizeof(a);
        getsockname(m_Fd, reinterpret_cast<sockaddr*>(&a), &l);
        m_wPort = ntohs(a.sin_port);
    }
    ~RawListener()
    {
        if (m_Fd >= 0)
            close(m_Fd);
    }
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    uint16_t Port() const { return m_wPort; }

    RawPeer Accept()
    {
        if (!WaitReadable(m_Fd))
            return RawPeer();
        return RawPeer(accept4(m_Fd, nullptr, nullptr, SOCK_CLOEXEC));
    }

private:
    int m_Fd = -1;
    uint16_t m_wPort = 0;
};

// What the multiplayer callback was called with, and what held at that moment.
struct Event
{
    int iCode;
    int iNumber;          // code 3: the client's number
    void* pData;
    DWORD dwAddress;      // code 4: the address
    int iState;           // aeMultiplayer's state during the callback
    int iClients;         // aeHost's client count during the callback
    int iErrors;          // errors logged before the callback
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
    std::string LogText() const { return m_pLog->Text(); }

    std::unique_ptr<test::LogCapture> m_pLog;

    // Hosts on a free port and connects n plain peers; all are accepted.
    bool HostWithPeers(std::vector<RawPeer>& peers, int n)
    {
        if (!aeMultiplayer::Host(0))
            return false;
        for (int i = 0; i < n; ++i)
        {
            peers.emplace_back();
            if (!peers.back().Connect(aeHost::GetPort()))
                return false;
        }
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
        if (!aeMultiplayer::Connect(aeIPAddress(127, 0, 0, 1), listener.Port()))
            return RawPeer();
        return listener.Accept();
    }
};
}
