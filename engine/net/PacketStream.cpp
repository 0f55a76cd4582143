#include "aePacketStream.h"
#include "aeError.h"
#include "aeMultiplayer.h"

#include <cstdlib>
#include <cstring>

namespace
{
int ReadLength(const unsigned char* p)
{
    const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int>(v);
}

void WriteLength(unsigned char* p, int n)
{
    const uint32_t v = static_cast<uint32_t>(n);
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

int Append(VFile& file, const unsigned char* data, int n)
{
    return file.Seek(file.GetSize(), -1) && file.Write(n, data);
}

int AddPacket(DynArrayEx<VFile>& packets, const unsigned char* data, int n)
{
    const int count = packets.GetNumElements();
    packets.Realloc(1);
    if (packets.GetNumElements() != count + 1)
    {
        AE_ERROR("aeReceivePackets", "Es konnte nicht genügend Speicher reserviert werden!");
        return 0;
    }
    if (!packets[count]->Init(data, n))
    {
        packets.Realloc(-1);
        return 0;
    }
    return 1;
}

enum ParseResult
{
    PARSE_OK,
    PARSE_INVALID,
    PARSE_OVERSIZED,
    PARSE_NO_MEMORY
};

ParseResult CheckLength(int n)
{
    if (n <= 0)
        return PARSE_INVALID;
    if (n > AE_MAX_PACKET_SIZE)
        return PARSE_OVERSIZED;
    return PARSE_OK;
}

// Takes the received bytes into frames: complete ones become packets, the
// start of an unfinished one is kept in incomplete.
ParseResult Parse(const unsigned char* p, int left, VFile& incomplete, DynArrayEx<VFile>& packets)
{
    while (left > 0)
    {
        int have = incomplete.GetSize();
        if (have == 0 && left >= 4)
        {
            // The common case: the frame starts in this block.
            const int n = ReadLength(p);
            const ParseResult check = CheckLength(n);
            if (check != PARSE_OK)
                return check;
            if (left - 4 >= n)
            {
                if (!AddPacket(packets, p + 4, n))
                    return PARSE_NO_MEMORY;
                p += 4 + n;
                left -= 4 + n;
                continue;
            }
            if (!Append(incomplete, p, left))
                return PARSE_NO_MEMORY;
            break;
        }
        if (have < 4)
        {
            // A length field cut by the transport.
            const int take = left < 4 - have ? left : 4 - have;
            if (!Append(incomplete, p, take))
                return PARSE_NO_MEMORY;
            p += take;
            left -= take;
            have += take;
            if (have < 4)
                break;
            const ParseResult check = CheckLength(ReadLength(incomplete.GetBuffer()));
            if (check != PARSE_OK)
            {
                incomplete.Close();
                return check;
            }
            if (left == 0)
                break;
        }
        const int n = ReadLength(incomplete.GetBuffer());
        const int need = 4 + n - have;
        const int take = left < need ? left : need;
        if (!Append(incomplete, p, take))
            return PARSE_NO_MEMORY;
        p += take;
        left -= take;
        if (take == need)
        {
            const int ok = AddPacket(packets, incomplete.GetBuffer() + 4, n);
            incomplete.Close();
            if (!ok)
                return PARSE_NO_MEMORY;
        }
    }
    incomplete.Seek(0, -1);
    return PARSE_OK;
}
}

aeReceiveResult aeReceivePackets(SOCKET socket, VFile& incomplete, DynArrayEx<VFile>& packets)
{
    aeReceiveResult result = {AE_SOCKET_WOULD_BLOCK, 0, 0, 0};
    unsigned char block[AE_RECEIVE_BLOCK];
    int total = 0;
    bool discard = false;
    while (total < AE_MAX_RECEIVE_PER_CALL)
    {
        int n = 0;
        const aeSocketResult r = aeSocketReceive(socket, block, AE_RECEIVE_BLOCK, &n);
        if (r != AE_SOCKET_DONE)
        {
            result.eEnd = r;
            break;
        }
        total += n;
        // After an invalid length the rest of this receive is dropped.
        if (discard)
            continue;
        switch (Parse(block, n, incomplete, packets))
        {
        case PARSE_OK:
            break;
        case PARSE_INVALID:
            result.bInvalidPacket = 1;
            incomplete.Close();
            discard = true;
            break;
        case PARSE_OVERSIZED:
            result.bOversizedPacket = 1;
            incomplete.Close();
            return result;
        case PARSE_NO_MEMORY:
            result.bOutOfMemory = 1;
            incomplete.Close();
            return result;
        }
    }
    return result;
}

aeSocketResult aeFlushUnsent(SOCKET socket, VFile& unsent)
{
    const int left = unsent.GetRemaining();
    if (unsent.GetSize() == 0 || left <= 0)
    {
        unsent.Close();
        return AE_SOCKET_DONE;
    }
    int sent = 0;
    const aeSocketResult r = aeSocketSend(socket, unsent.GetBuffer() + unsent.GetCursor(), left, &sent);
    if (r != AE_SOCKET_DONE)
        return r;
    if (sent >= left)
    {
        unsent.Close();
        return AE_SOCKET_DONE;
    }
    unsent.Seek(sent, 0);
    return AE_SOCKET_WOULD_BLOCK;
}

aeSendOutcome aeSendPacket(SOCKET socket, const VFile& packet, VFile& unsent, aeSocketResult* error)
{
    *error = AE_SOCKET_DONE;
    const int size = packet.GetSize();
    if (size <= 0 || !packet.GetBuffer())
        return AE_SEND_EMPTY;
    if (size > AE_MAX_PACKET_SIZE)
        return AE_SEND_TOO_LARGE;

    const aeSocketResult flushed = aeFlushUnsent(socket, unsent);
    if (flushed == AE_SOCKET_WOULD_BLOCK)
        return AE_SEND_DROPPED;
    if (flushed != AE_SOCKET_DONE)
    {
        *error = flushed;
        unsent.Close();
        return AE_SEND_SOCKET_ERROR;
    }

    // One block: the length, then the packet's whole contents whatever its cursor.
    const int total = 4 + size;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(total)));
    if (!block)
    {
        AE_ERROR("aeSendPacket", "Es konnte nicht genügend Speicher reserviert werden!");
        return AE_SEND_NO_MEMORY;
    }
    WriteLength(block, size);
    std::memcpy(block + 4, packet.GetBuffer(), static_cast<size_t>(size));
    int sent = 0;
    const aeSocketResult r = aeSocketSend(socket, block, total, &sent);
    aeSendOutcome outcome = AE_SEND_DONE;
    if (r == AE_SOCKET_WOULD_BLOCK)
        outcome = AE_SEND_DROPPED;
    else if (r != AE_SOCKET_DONE)
    {
        *error = r;
        outcome = AE_SEND_SOCKET_ERROR;
    }
    else if (sent < total && (sent == 0 || !unsent.Init(block + sent, total - sent)))
    {
        // Nothing taken is a dropped packet; a rest that cannot be kept would
        // break the stream.
        outcome = sent == 0 ? AE_SEND_DROPPED : AE_SEND_NO_MEMORY;
    }
    std::free(block);
    return outcome;
}

const char* const g_pcConnectionLost = "Die Netzwerkverbindung wurde unterbrochen!";

int aeSendAndReport(SOCKET socket, VFile& packet, VFile& unsent, const char* file, int line, const char* function)
{
    aeSocketResult error = AE_SOCKET_DONE;
    switch (aeSendPacket(socket, packet, unsent, &error))
    {
    case AE_SEND_DONE:
    case AE_SEND_DROPPED:
        return 1;
    case AE_SEND_EMPTY:
        aeReportInvalidParameter(file, line, function);
        return 0;
    case AE_SEND_TOO_LARGE:
        aeReportError(file, line, function, "Das Packet ist zu groß (%d Bytes, höchstens %d Bytes)!", packet.GetSize(),
                      AE_MAX_PACKET_SIZE);
        return 0;
    case AE_SEND_NO_MEMORY:
        return 0;
    case AE_SEND_SOCKET_ERROR:
        break;
    }
    if (aeIsNetworkFailure(error))
    {
        aeMultiplayer::DoCallback(AE_MP_NETWORK_FAILED, nullptr);
        aeReportError(file, line, function, "%s", g_pcConnectionLost);
    }
    else
        aeReportError(file, line, function, "Fehler beim senden der Daten!");
    return 0;
}

namespace
{
aeConnectionStep ReportFailure(aeSocketResult result, const char* description, const char* file, int line,
                               const char* function)
{
    if (aeIsNetworkFailure(result))
    {
        aeMultiplayer::DoCallback(AE_MP_NETWORK_FAILED, nullptr);
        aeReportError(file, line, function, "%s", g_pcConnectionLost);
    }
    else
        aeReportError(file, line, function, "%s", description);
    return AE_CONNECTION_FAILED;
}
}

aeConnectionStep aeServeConnection(SOCKET socket, VFile& incomplete, DynArrayEx<VFile>& packets, VFile& unsent,
                                   const char* file, int line, const char* function)
{
    const aeReceiveResult r = aeReceivePackets(socket, incomplete, packets);
    if (r.bInvalidPacket || r.bOversizedPacket)
        aeReportError(file, line, function, "Ungültiges Packet empfangen!");
    // A frame above the limit or one that cannot be held ends the connection:
    // the stream cannot be followed past it.
    if (r.bOversizedPacket || r.bOutOfMemory)
        return AE_CONNECTION_ENDED;
    switch (r.eEnd)
    {
    case AE_SOCKET_WOULD_BLOCK:
        break;
    case AE_SOCKET_CLOSED:
        // An orderly end after complete packets: they are delivered first.
        return packets.GetNumElements() > 0 ? AE_CONNECTION_CLOSING : AE_CONNECTION_ENDED;
    case AE_SOCKET_RESET:
        return AE_CONNECTION_ENDED;
    case AE_SOCKET_NETWORK_DOWN:
        return ReportFailure(r.eEnd, "", file, line, function);
    default:
        aeReportError(file, line, function, "Fehler beim empfangen der Daten!");
        return AE_CONNECTION_FAILED;
    }

    // The rest of a frame that did not go out at once.
    const aeSocketResult flushed = aeFlushUnsent(socket, unsent);
    if (flushed == AE_SOCKET_DONE || flushed == AE_SOCKET_WOULD_BLOCK)
        return AE_CONNECTION_GOES_ON;
    unsent.Close();
    if (flushed == AE_SOCKET_RESET)
        return AE_CONNECTION_ENDED;
    return ReportFailure(flushed, "Fehler beim senden der Daten!", file, line, function);
}
