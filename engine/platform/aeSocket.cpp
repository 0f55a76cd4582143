#include "aeSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// The cases of errno that the network layer tells apart.
static aeSocketResult FromErrno(int error)
{
    switch (error)
    {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
        return AE_SOCKET_WOULD_BLOCK;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return AE_SOCKET_RESET;
    case ENETDOWN:
        return AE_SOCKET_NETWORK_DOWN;
    case ENETUNREACH:
    case EHOSTUNREACH:
        return AE_SOCKET_NETWORK_UNREACHABLE;
    case ENETRESET:
        return AE_SOCKET_NETWORK_RESET;
    case ECONNREFUSED:
        return AE_SOCKET_REFUSED;
    case ETIMEDOUT:
        return AE_SOCKET_TIMED_OUT;
    default:
        return AE_SOCKET_FAILED;
    }
}

static sockaddr_in MakeAddress(DWORD address, WORD port)
{
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = address;
    a.sin_port = htons(port);
    return a;
}

static int SetBlocking(SOCKET socket, bool blocking)
{
    const int flags = fcntl(socket, F_GETFL, 0);
    if (flags < 0)
        return 0;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(socket, F_SETFL, wanted) == 0;
}

SOCKET aeSocketCreate()
{
    // Close-on-exec: programs started by the process do not inherit connections.
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? INVALID_SOCKET : s;
}

void aeSocketClose(SOCKET socket)
{
    if (socket != INVALID_SOCKET)
        close(socket);
}

void aeSocketAbort(SOCKET socket)
{
    if (socket == INVALID_SOCKET)
        return;
    linger l;
    l.l_onoff = 1;
    l.l_linger = 0;
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
    close(socket);
}

int aeSocketSetNonBlocking(SOCKET socket)
{
    return socket != INVALID_SOCKET && SetBlocking(socket, false);
}

int aeSocketSetNoDelay(SOCKET socket)
{
    const int on = 1;
    return socket != INVALID_SOCKET && setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on)) == 0;
}

aeSocketResult aeSocketBind(SOCKET socket, DWORD address, WORD port)
{
    // A host that is started again on its port must not wait for the old
    // connections to time out.
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    const sockaddr_in a = MakeAddress(address, port);
    if (bind(socket, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) != 0)
        return FromErrno(errno);
    return AE_SOCKET_DONE;
}

aeSocketResult aeSocketListen(SOCKET socket)
{
    if (listen(socket, SOMAXCONN) != 0)
        return FromErrno(errno);
    return AE_SOCKET_DONE;
}

WORD aeSocketGetLocalPort(SOCKET socket)
{
    sockaddr_in a;
    socklen_t length = sizeof(a);
    if (socket == INVALID_SOCKET || getsockname(socket, reinterpret_cast<sockaddr*>(&a), &length) != 0 ||
        a.sin_family != AF_INET)
        return 0;
    return ntohs(a.sin_port);
}

static int s_iInjectedAcceptError = 0;
static int s_iInjectedAcceptErrors = 0;

void aeSocketInjectAcceptErrors(int error, int count)
{
    s_iInjectedAcceptError = error;
    s_iInjectedAcceptErrors = count > 0 ? count : 0;
}

// Errors accept hands over for one incoming connection that failed before it
// was taken (Linux passes pending network errors of the new connection on).
static bool IsErrorOfOneConnection(int error)
{
    switch (error)
    {
    case ECONNABORTED:
    case EPROTO:
    case ENOPROTOOPT:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENONET:
    case EOPNOTSUPP:
        return true;
    default:
        return false;
    }
}

aeSocketResult aeSocketAccept(SOCKET listenSocket, SOCKET* accepted, aeSocketAddress* peer)
{
    *accepted = INVALID_SOCKET;
    sockaddr_in a;
    // However many connections failed, the call ends: the backlog is finite.
    for (int passedOver = 0; passedOver < 4096;)
    {
        socklen_t length = sizeof(a);
        std::memset(&a, 0, sizeof(a));
        int s;
        if (s_iInjectedAcceptErrors > 0)
        {
            --s_iInjectedAcceptErrors;
            errno = s_iInjectedAcceptError;
            s = -1;
        }
        else
            s = accept4(listenSocket, reinterpret_cast<sockaddr*>(&a), &length, SOCK_CLOEXEC);
        if (s >= 0)
        {
            *accepted = s;
            if (peer)
            {
                peer->dwAddress = a.sin_addr.s_addr;
                peer->wPort = ntohs(a.sin_port);
            }
            return AE_SOCKET_DONE;
        }
        if (IsErrorOfOneConnection(errno))
            ++passedOver;
        else if (errno != EINTR)
            return FromErrno(errno);
    }
    return AE_SOCKET_WOULD_BLOCK;
}

aeSocketResult aeSocketConnect(SOCKET socket, DWORD address, WORD port, int timeoutMs)
{
    if (socket == INVALID_SOCKET || !SetBlocking(socket, false))
        return AE_SOCKET_FAILED;
    const sockaddr_in a = MakeAddress(address, port);
    aeSocketResult result = AE_SOCKET_DONE;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) != 0)
    {
        if (errno != EINPROGRESS && errno != EINTR)
            result = FromErrno(errno);
        else
        {
            // Wait for the handshake, across interruptions, within the time-out.
            const DWORD start = timeGetTime();
            result = AE_SOCKET_TIMED_OUT;
            for (;;)
            {
                const int waited = static_cast<int>(timeGetTime() - start);
                if (waited >= timeoutMs)
                    break;
                pollfd p = {socket, POLLOUT, 0};
                const int n = poll(&p, 1, timeoutMs - waited);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                {
                    result = FromErrno(errno);
                    break;
                }
                if (n == 0)
                    break;
                int error = 0;
                socklen_t length = sizeof(error);
                if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
                result = error == 0 ? AE_SOCKET_DONE : FromErrno(error);
                if (result == AE_SOCKET_WOULD_BLOCK)
                    result = AE_SOCKET_FAILED;
                break;
            }
        }
    }
    if (!SetBlocking(socket, true) && result == AE_SOCKET_DONE)
        result = AE_SOCKET_FAILED;
    return result;
}

aeSocketResult aeSocketSend(SOCKET socket, const void* data, int size, int* sent)
{
    *sent = 0;
    if (size <= 0)
        return AE_SOCKET_DONE;
    for (;;)
    {
        const ssize_t n = send(socket, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n >= 0)
        {
            *sent = static_cast<int>(n);
            return AE_SOCKET_DONE;
        }
        if (errno != EINTR)
            return FromErrno(errno);
    }
}

aeSocketResult aeSocketReceive(SOCKET socket, void* buffer, int size, int* received)
{
    *received = 0;
    if (size <= 0)
        return AE_SOCKET_FAILED;
    for (;;)
    {
        const ssize_t n = recv(socket, buffer, static_cast<size_t>(size), 0);
        if (n > 0)
        {
            *received = static_cast<int>(n);
            return AE_SOCKET_DONE;
        }
        if (n == 0)
            return AE_SOCKET_CLOSED;
        if (errno != EINTR)
            return FromErrno(errno);
    }
}

int aeResolveIPv4(const char* name, DWORD* address)
{
    if (!name || !name[0] || !address)
        return 0;
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0 || !list)
        return 0;
    int found = 0;
    for (addrinfo* i = list; i && !found; i = i->ai_next)
        if (i->ai_family == AF_INET && i->ai_addr)
        {
            *address = reinterpret_cast<const sockaddr_in*>(i->ai_addr)->sin_addr.s_addr;
            found = 1;
        }
    freeaddrinfo(list);
    return found;
}

int aeListLocalIPv4(DWORD* addresses, int maxCount)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return -1;
    int count = 0;
    // Two rounds: the addresses other computers can reach first, loopback last.
    for (int loopback = 0; loopback < 2; ++loopback)
        for (ifaddrs* i = list; i; i = i->ifa_next)
        {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP))
                continue;
            if (((i->ifa_flags & IFF_LOOPBACK) != 0) != (loopback != 0))
                continue;
            const DWORD a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr;
            bool known = false;
            for (int k = 0; k < count && !known; ++k)
                known = addresses[k] == a;
            if (!known && count < maxCount)
                addresses[count++] = a;
        }
    freeifaddrs(list);
    return count;
}
