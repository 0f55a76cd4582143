#pragma once
// The client side: one connection to a host.

#include "DynList.h"
#include "VFile.h"
#include "aeIPAddress.h"

class aeClient
{
public:
    static int m_bInitialized;
    static WORD m_wPort;
    static SOCKET m_HostSocket;
    static aeIPAddress m_HostIPAddress;
    static VFile m_IncompletelyReceivedData;
    static DynArrayEx<VFile> m_aReceivedData;
    static VFile m_UnsentData;

    // Connects, waiting at most AE_CONNECT_TIMEOUT for the host to answer.
    static int Init(aeIPAddress host, WORD port);
    static void Exit();
    static int Send(VFile& packet);
    // Receives what has arrived; 0 on failure or when the host has gone (then
    // the callback has had code 1 and the client is shut down). Packets that
    // came before the host ended the connection in order are delivered first:
    // that call returns 1, the next one reports the end.
    static int Process();
    static void DeleteData();

    static int IsInitialized() { return m_bInitialized; }
    static SOCKET GetHostSocket() { return m_HostSocket; }
    static aeIPAddress GetHostIPAddress() { return m_HostIPAddress; }
    static WORD GetPort() { return m_wPort; }
    static int GetNumPackets() { return m_aReceivedData.GetNumElements(); }
    // Null outside 0 .. GetNumPackets() - 1.
    static VFile* GetPacket(int index);

    // Counts connections, so that Process notices when its callback has
    // already replaced the connection it was working on.
    static int m_iConnection;
    // The host has ended the connection in order after the packets still held.
    static int m_bHostClosed;

    // Milliseconds a connect may take.
    static constexpr int AE_CONNECT_TIMEOUT = 20000;
};
