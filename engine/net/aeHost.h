#pragma once
// The hosting side: a listening socket and one aeHostClient per accepted
// connection. A client's number is its index in the list; removing a client
// moves the ones behind it down by one.

#include "DynList.h"
#include "VFile.h"
#include "aeIPAddress.h"

class aeHostClient
{
public:
    SOCKET m_Socket;
    aeIPAddress m_IPAddress;
    // The start of a frame (its length field and the payload so far) whose
    // rest has not arrived yet.
    VFile m_IncompletelyReceivedData;
    // Complete packets in arrival order, until DeleteData.
    DynArrayEx<VFile> m_aReceivedData;
    // The rest of a frame that the system took only in part; it goes out
    // before anything else so the stream stays whole.
    VFile m_UnsentData;

    aeHostClient();
    ~aeHostClient();
    aeHostClient(const aeHostClient&) = delete;
    aeHostClient& operator=(const aeHostClient&) = delete;

    int Init(SOCKET socket, const aeSocketAddress& address);
    int Send(VFile& packet);
    // Receives what has arrived; 0 when the connection is gone or failed.
    // Packets that came before the peer ended the connection in order are
    // delivered first: that call returns 1, the next one 0.
    int Process();
    void DeleteData();
    void Exit();

    aeIPAddress GetIPAddress() const { return m_IPAddress; }
    WORD GetPort() const { return m_wPort; }
    int GetNumPackets() const { return m_aReceivedData.GetNumElements(); }
    // Null outside 0 .. GetNumPackets() - 1.
    VFile* GetPacket(int index) const;

private:
    WORD m_wPort;
    // The peer has ended the connection in order after the packets held.
    int m_bPeerClosed;
};

class aeHost
{
public:
    static int m_bInitialized;
    static WORD m_wPort;
    static SOCKET m_ListenSocket;
    static int m_bAcceptConnections;
    static DynList<aeHostClient> m_aClients;

    static int Init(WORD port);
    static void Exit();
    static int Process();
    static void RemoveClient(int number);
    // 0 leaves new connections waiting in the system's backlog.
    static void AcceptConnections(int on) { m_bAcceptConnections = on ? 1 : 0; }

    static int IsAcceptingConnections() { return m_bAcceptConnections; }
    static int IsInitialized() { return m_bInitialized; }
    static SOCKET GetListenSocket() { return m_ListenSocket; }
    // The port the host listens on (the one the system chose for port 0).
    static WORD GetPort() { return m_wPort; }
    static int GetNumClients() { return m_aClients.GetNumElements(); }
    // Null outside 0 .. GetNumClients() - 1.
    static aeHostClient* GetClient(int number);
};
