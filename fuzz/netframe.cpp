// Network framing: the bytes arrive on a connected socket in pieces and go
// through aeReceivePackets, the receive path of host and client. The first
// input byte chooses the size of the pieces the transport cuts.

#include "FuzzSupport.h"
#include "aeMultiplayer.h"
#include "aePacketStream.h"

#include <sys/socket.h>

namespace
{
int s_aiPair[2] = {-1, -1};
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzQuietLog();
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, s_aiPair) != 0 || !aeSocketSetNonBlocking(s_aiPair[1]))
    {
        std::perror("socketpair");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const size_t piece = static_cast<size_t>(data[0] % 32) + 1;
    ++data;
    --size;
    VFile incomplete;
    DynArrayEx<VFile> packets;
    size_t fed = 0;
    bool invalid = false, closed = false;
    while (fed < size && !closed)
    {
        const size_t n = size - fed < piece ? size - fed : piece;
        FUZZ_CHECK(send(s_aiPair[0], data + fed, n, 0) == static_cast<ssize_t>(n));
        fed += n;
        const aeReceiveResult r = aeReceivePackets(s_aiPair[1], incomplete, packets);
        FUZZ_CHECK(r.eEnd == AE_SOCKET_WOULD_BLOCK);
        FUZZ_CHECK(!r.bOutOfMemory);
        invalid = invalid || r.bInvalidPacket;
        closed = r.bOversizedPacket;
        FUZZ_CHECK(incomplete.GetCursor() == 0);
    }
    // Drain what a refused frame left in the socket.
    unsigned char rest[4096];
    while (recv(s_aiPair[1], rest, sizeof(rest), MSG_DONTWAIT) > 0)
    {
    }
    size_t framed = 0;
    for (int i = 0; i < packets.GetNumElements(); ++i)
    {
        const int n = packets[i]->GetSize();
        FUZZ_CHECK(n >= 1 && n <= AE_MAX_PACKET_SIZE);
        framed += 4 + static_cast<size_t>(n);
    }
    // Without a refused frame every byte is in a packet or in the unfinished one.
    if (!invalid && !closed)
        FUZZ_CHECK(framed + static_cast<size_t>(incomplete.GetSize()) == size);
    return 0;
}
