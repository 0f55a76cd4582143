#pragma once
// The framing both sides share: every packet goes on the TCP stream as a
// 4-byte little-endian length n (1 .. AE_MAX_PACKET_SIZE) and then its n bytes.
// These helpers do the work and tell the caller what happened; the caller
// reports and calls back in its own name.

#include "DynList.h"
#include "VFile.h"
#include "aeSocket.h"

// Bytes one receive call takes from a connection at most, so that a peer that
// keeps sending cannot hold the frame loop; the rest waits for the next frame.
constexpr int AE_MAX_RECEIVE_PER_CALL = 1024 * 1024;
// Bytes asked for with one receive.
constexpr int AE_RECEIVE_BLOCK = 32768;

struct aeReceiveResult
{
    // How receiving ended: AE_SOCKET_WOULD_BLOCK when everything available was
    // taken (or the limit per call was reached), otherwise the failure.
    aeSocketResult eEnd;
    // A frame length of 0 or less came; the rest of this receive was dropped.
    int bInvalidPacket;
    // A frame length above AE_MAX_PACKET_SIZE came; the connection must close.
    int bOversizedPacket;
    // Memory for a packet ran out (already reported); the connection must close.
    int bOutOfMemory;
};

// Receives what the socket has and turns every complete frame into a packet at
// the end of packets. An unfinished frame is kept in incomplete (its length
// field and the payload so far, cursor 0) and completed by later calls.
aeReceiveResult aeReceivePackets(SOCKET socket, VFile& incomplete, DynArrayEx<VFile>& packets);

enum aeSendOutcome
{
    AE_SEND_DONE,          // the frame went out or its rest waits in unsent
    AE_SEND_DROPPED,       // the system takes nothing now; the packet is dropped
    AE_SEND_EMPTY,         // the packet holds no bytes
    AE_SEND_TOO_LARGE,     // the packet is above AE_MAX_PACKET_SIZE
    AE_SEND_NO_MEMORY,     // already reported
    AE_SEND_SOCKET_ERROR   // the socket failed; see *error
};

// Sends one packet as a frame. Whatever is left of an earlier frame goes first;
// if that cannot finish now, the new packet is dropped.
aeSendOutcome aeSendPacket(SOCKET socket, const VFile& packet, VFile& unsent, aeSocketResult* error);

// "Die Netzwerkverbindung wurde unterbrochen!"
extern const char* const g_pcConnectionLost;

// Sends one packet as aeSendPacket does and reports what went wrong in the
// caller's name (file, line, function): an empty or oversized packet, and a
// failed socket, which is a network failure (callback 0) or a send error.
// 1 when the packet went out or was dropped for now.
int aeSendAndReport(SOCKET socket, VFile& packet, VFile& unsent, const char* file, int line, const char* function);
#define AE_SEND_AND_REPORT(socket, packet, unsent, function) \
    aeSendAndReport(socket, packet, unsent, __FILE_NAME__, __LINE__, function)

// One frame's work on a connection: what has arrived becomes packets, then
// the rest of an unsent frame goes out; failures are reported in the caller's
// name (file, line, function), a network failure also with callback 0.
enum aeConnectionStep
{
    AE_CONNECTION_GOES_ON,
    AE_CONNECTION_CLOSING,  // the peer ended in order after complete packets: deliver them, then end
    AE_CONNECTION_ENDED,    // the peer has gone or the stream cannot be followed: end the connection
    AE_CONNECTION_FAILED    // reported; the connection stays as it is
};
aeConnectionStep aeServeConnection(SOCKET socket, VFile& incomplete, DynArrayEx<VFile>& packets, VFile& unsent,
                                   const char* file, int line, const char* function);
#define AE_SERVE_CONNECTION(socket, incomplete, packets, unsent, function) \
    aeServeConnection(socket, incomplete, packets, unsent, __FILE_NAME__, __LINE__, function)

// Sends what is left of a frame. DONE when nothing is left, WOULD_BLOCK while
// some is, otherwise the failure.
aeSocketResult aeFlushUnsent(SOCKET socket, VFile& unsent);

// Network down, unreachable or reset: the cases told to the application with
// callback 0.
inline int aeIsNetworkFailure(aeSocketResult r)
{
    return r == AE_SOCKET_NETWORK_DOWN || r == AE_SOCKET_NETWORK_UNREACHABLE || r == AE_SOCKET_NETWORK_RESET;
}

inline VFile* aePacketAt(const DynArrayEx<VFile>& packets, int index)
{
    return index >= 0 && index < packets.GetNumElements() ? packets[index] : nullptr;
}
