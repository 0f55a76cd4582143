#pragma once
// The network layer's common state: one side runs at a time, either a host
// with its clients (aeHost) or a connection to a host (aeClient). Both exchange
// packets, each the whole contents of a VFile, over TCP. All sockets are
// non-blocking; the frame loop calls Process once per frame.
//
// The application's callback is called with (code, data):
//   0  the network failed (data null); the error report follows
//   1  client: the host closed or reset the connection (data null); the client
//      part is shut down right after the callback
//   2  host: a client connected (data: the new aeHostClient)
//   3  host: a client is about to be removed (data: int* with its number)
//   4  ListAllLocalIPs found an address (data: DWORD* in network byte order)

#include "aeIPAddress.h"

typedef void (*aeMultiplayerCallback)(int code, void* data);

enum
{
    AE_MP_NETWORK_FAILED = 0,
    AE_MP_CONNECTION_LOST = 1,
    AE_MP_CLIENT_CONNECTED = 2,
    AE_MP_CLIENT_REMOVED = 3,
    AE_MP_ADDRESS_FOUND = 4
};

// The largest packet in bytes. A peer that announces a larger frame sends an
// invalid packet and its connection is closed; Send refuses larger packets.
constexpr int AE_MAX_PACKET_SIZE = 16 * 1024 * 1024;

class aeMultiplayer
{
public:
    // 0 not initialised, 1 idle, 2 hosting, 3 connected as client.
    static int m_iState;
    static aeMultiplayerCallback m_pCallback;
    static aeIPAddress m_OwnIPAddress;

    static int Init(aeMultiplayerCallback callback);
    static void Exit();
    // Ends a client connection if any, then hosts on port (0: the system
    // chooses a free port, see aeHost::GetPort).
    static int Host(WORD port);
    // Ends hosting if any, then connects to host:port.
    static int Connect(aeIPAddress host, WORD port);
    static int Process();
    // Reports this computer's IPv4 interface addresses through callback 4.
    static int ListAllLocalIPs();
    static void DoCallback(int code, void* data);

    static int GetState() { return m_iState; }
    static void SetState(int state) { m_iState = state; }
    static int IsInitialized() { return m_iState != 0; }
    static aeIPAddress GetOwnIPAddress() { return m_OwnIPAddress; }
};

#include "aeClient.h"
#include "aeHost.h"
