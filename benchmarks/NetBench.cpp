// Packets between a host and ten clients on 127.0.0.1: every client sends a
// window of packets that the host takes in, then the host sends a window back
// to every client. The clients are plain sockets in the same thread; a window
// (64 KiB per client) fits the system's buffers, so nothing waits on the
// other side and nothing is dropped.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "VFile.h"
#include "aeMultiplayer.h"

namespace
{
constexpr int kClients = 10;
constexpr int kWindowBytes = 64 * 1024;

int Connect(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval t = {10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof(t));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof(t));
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0)
    {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const char* p, size_t n)
{
    while (n > 0)
    {
        const ssize_t k = send(fd, p, n, MSG_NOSIGNAL);
        if (k <= 0)
            return false;
        p += k;
        n -= static_cast<size_t>(k);
    }
    return true;
}

bool ReadAll(int fd, char* p, size_t n)
{
    while (n > 0)
    {
        const ssize_t k = recv(fd, p, n, 0);
        if (k <= 0)
            return false;
        p += k;
        n -= static_cast<size_t>(k);
    }
    return true;
}

bool PumpUntilReceived(int total)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;)
    {
        aeMultiplayer::Process();
        int n = 0;
        for (int i = 0; i < aeHost::GetNumClients(); ++i)
            n += aeHost::GetClient(i)->GetNumPackets();
        if (n >= total)
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
    }
}
}

static void BM_NetHostTenClients(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const int window = kWindowBytes / (size + 4) > 0 ? kWindowBytes / (size + 4) : 1;

    aeMultiplayer::Init(nullptr);
    std::vector<int> clients;
    bool ok = aeMultiplayer::Host(0) == 1;
    for (int i = 0; ok && i < kClients; ++i)
    {
        clients.push_back(Connect(aeHost::GetPort()));
        ok = clients.back() >= 0;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ok && aeHost::GetNumClients() < kClients && std::chrono::steady_clock::now() < end)
        aeMultiplayer::Process();
    ok = ok && aeHost::GetNumClients() == kClients;

    // One client's window of frames as it goes on the wire.
    std::string payload(static_cast<size_t>(size), 'p');
    std::string frame(4, '\0');
    const uint32_t n = static_cast<uint32_t>(size);
    std::memcpy(&frame[0], &n, 4);
    frame += payload;
    std::string windowBytes;
    for (int i = 0; i < window; ++i)
        windowBytes += frame;
    VFile packet(payload.data(), size);
    std::string back(windowBytes.size(), '\0');

    for (auto _ : state)
    {
        if (!ok)
        {
            state.SkipWithError("Der Host oder die Clients konnten nicht gestartet werden");
            break;
        }
        for (int fd : clients)
            ok = ok && SendAll(fd, windowBytes.data(), windowBytes.size());
        ok = ok && PumpUntilReceived(kClients * window);
        for (int i = 0; i < aeHost::GetNumClients(); ++i)
            aeHost::GetClient(i)->DeleteData();
        for (int i = 0; ok && i < aeHost::GetNumClients(); ++i)
            for (int k = 0; k < window; ++k)
                aeHost::GetClient(i)->Send(packet);
        for (int fd : clients)
            ok = ok && ReadAll(fd, back.data(), back.size());
        if (!ok)
        {
            state.SkipWithError("Packete sind verloren gegangen");
            break;
        }
    }
    const int64_t packets = static_cast<int64_t>(state.iterations()) * 2 * kClients * window;
    state.SetItemsProcessed(packets);
    state.SetBytesProcessed(packets * size);
    state.counters["packets_per_s"] = benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
    state.counters["MB_per_s"] =
        benchmark::Counter(static_cast<double>(packets) * size / 1e6, benchmark::Counter::kIsRate);

    for (int fd : clients)
        if (fd >= 0)
            close(fd);
    aeMultiplayer::Exit();
}
BENCHMARK(BM_NetHostTenClients)->Arg(64)->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond)->UseRealTime();
