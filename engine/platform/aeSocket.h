#pragma once
// TCP over IPv4 for the network layer: stream sockets, their operations with
// the outcome reduced to a few cases, name lookup and this computer's
// interface addresses. Addresses are 32-bit values in network byte order (the
// first byte is the first number of the dotted form); ports are in host order.

#include <cstdint>

#include "aeClock.h"

typedef uint8_t BYTE;
typedef uint16_t WORD;

// A socket handle; INVALID_SOCKET (all bits set) means none.
typedef int SOCKET;
constexpr SOCKET INVALID_SOCKET = -1;

// The peer of an accepted connection.
struct aeSocketAddress
{
    DWORD dwAddress;  // network byte order
    WORD wPort;       // host byte order
};

// What a socket operation came to.
enum aeSocketResult
{
    AE_SOCKET_DONE = 0,         // the operation did what was asked (possibly in part)
    AE_SOCKET_WOULD_BLOCK,      // nothing can be done now without waiting
    AE_SOCKET_CLOSED,           // the peer ended the connection in order (a receive of 0 bytes)
    AE_SOCKET_RESET,            // the connection was reset or aborted (also a send after the peer left)
    AE_SOCKET_NETWORK_DOWN,     // the network is down
    AE_SOCKET_NETWORK_UNREACHABLE,
    AE_SOCKET_NETWORK_RESET,    // the connection broke because the network dropped it
    AE_SOCKET_REFUSED,          // nobody listens at the address
    AE_SOCKET_TIMED_OUT,
    AE_SOCKET_FAILED            // anything else
};

// A blocking TCP/IPv4 socket, or INVALID_SOCKET.
SOCKET aeSocketCreate();
// Closes the socket; INVALID_SOCKET is passed over.
void aeSocketClose(SOCKET socket);
// Closes the socket so that the peer sees a reset rather than an orderly end.
void aeSocketAbort(SOCKET socket);
int aeSocketSetNonBlocking(SOCKET socket);
// Sends small writes at once instead of gathering them (no Nagle delay).
int aeSocketSetNoDelay(SOCKET socket);

// Binds to address:port (address 0 is any local address, port 0 lets the
// system choose); the listening port is then found with aeSocketGetLocalPort.
aeSocketResult aeSocketBind(SOCKET socket, DWORD address, WORD port);
// Listens with the system's largest backlog.
aeSocketResult aeSocketListen(SOCKET socket);
// 0 when the socket has no local address.
WORD aeSocketGetLocalPort(SOCKET socket);

// One pending connection; the new socket keeps the system's default (blocking).
// Errors that belong to a single incoming connection (it was aborted, or its
// network or host became unreachable before it was taken) are not the
// listening socket's: that connection is passed over and the next one taken.
aeSocketResult aeSocketAccept(SOCKET listenSocket, SOCKET* accepted, aeSocketAddress* peer);
// For tests: the next count accept calls fail with error (an errno value) as
// if the system had reported it.
void aeSocketInjectAcceptErrors(int error, int count);

// Connects and waits for the result at most timeoutMs milliseconds; the socket
// is blocking again afterwards.
aeSocketResult aeSocketConnect(SOCKET socket, DWORD address, WORD port, int timeoutMs);

// One send call; *sent is the number of bytes the system took (0 unless DONE).
// Never raises a signal when the peer has gone.
aeSocketResult aeSocketSend(SOCKET socket, const void* data, int size, int* sent);
// One receive call of at most size bytes; *received is the count (0 unless DONE).
aeSocketResult aeSocketReceive(SOCKET socket, void* buffer, int size, int* received);

// The first IPv4 address of a host name or dotted address; 0 if it cannot be
// resolved.
int aeResolveIPv4(const char* name, DWORD* address);

// The IPv4 addresses of this computer's interfaces that are up, in the
// system's order and without repeats, at most maxCount of them; loopback
// addresses come last. -1 if the interfaces cannot be listed.
int aeListLocalIPv4(DWORD* addresses, int maxCount);
