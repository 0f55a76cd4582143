#include "aeHost.h"
#include "aeError.h"
#include "aeMultiplayer.h"
#include "aePacketStream.h"

int aeHost::m_bInitialized = 0;
WORD aeHost::m_wPort = 0;
SOCKET aeHost::m_ListenSocket = INVALID_SOCKET;
int aeHost::m_bAcceptConnections = 1;
DynList<aeHostClient> aeHost::m_aClients;


// ---------------------------------------------------------------------------
// aeHostClient

aeHostClient::aeHostClient() : m_Socket(INVALID_SOCKET), m_wPort(0), m_bPeerClosed(0) {}

aeHostClient::~aeHostClient()
{
    Exit();
    m_IncompletelyReceivedData.Close();
}

int aeHostClient::Init(SOCKET socket, const aeSocketAddress& address)
{
    if (m_Socket != INVALID_SOCKET && m_Socket != socket)
        aeSocketClose(m_Socket);
    m_Socket = socket;
    m_IPAddress = aeIPAddress(address.dwAddress);
    m_wPort = address.wPort;
    m_bPeerClosed = 0;
    // A new connection starts a new stream.
    m_IncompletelyReceivedData.Close();
    m_UnsentData.Close();
    DeleteData();
    return 1;
}

void aeHostClient::DeleteData()
{
    m_aReceivedData.Free();
}

void aeHostClient::Exit()
{
    DeleteData();
    m_UnsentData.Close();
    aeSocketClose(m_Socket);
    m_Socket = INVALID_SOCKET;
}

VFile* aeHostClient::GetPacket(int index) const
{
    return aePacketAt(m_aReceivedData, index);
}

int aeHostClient::Send(VFile& packet)
{
    return AE_SEND_AND_REPORT(m_Socket, packet, m_UnsentData, "aeHostClient::Send");
}

int aeHostClient::Process()
{
    if (m_bPeerClosed)
    {
        // The packets that came before the end have been delivered; they stay
        // readable until the host removes the client.
        m_UnsentData.Close();
        aeSocketClose(m_Socket);
        m_Socket = INVALID_SOCKET;
        return 0;
    }
    switch (AE_SERVE_CONNECTION(m_Socket, m_IncompletelyReceivedData, m_aReceivedData, m_UnsentData,
                                "aeHostClient::Process"))
    {
    case AE_CONNECTION_GOES_ON:
        return 1;
    case AE_CONNECTION_CLOSING:
        m_bPeerClosed = 1;
        return 1;
    case AE_CONNECTION_ENDED:
        // The peer has gone: the host removes the client.
        Exit();
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// aeHost

static void CloseHost()
{
    aeHost::m_aClients.Clear();
    aeSocketClose(aeHost::m_ListenSocket);
    aeHost::m_ListenSocket = INVALID_SOCKET;
    aeHost::m_bInitialized = 0;
    aeMultiplayer::m_iState = 1;
}

int aeHost::Init(WORD port)
{
    if (m_bInitialized)
        CloseHost();
    else if (aeMultiplayer::m_iState == 0)
    {
        AE_ERROR("aeHost::Init", "Die aeMultiplayer-Klasse muss erst initialisiert werden!");
        return 0;
    }
    // One side at a time: a client connection ends before hosting starts.
    if (aeClient::m_bInitialized)
        aeClient::Exit();

    // Port 0 asks the system for a free port.
    if (port != 0 && port < 1024)
        AE_WARNING("aeHost::Init", "Die Portnummer ist außerhalb des empfohlenen Bereichs!");
    m_wPort = port;
    const SOCKET s = aeSocketCreate();
    if (s == INVALID_SOCKET)
    {
        AE_ERROR("aeHost::Init", "Fehler beim erzeugen des Listen-Sockets!");
        return 0;
    }
    aeSocketSetNonBlocking(s);
    if (aeSocketBind(s, 0, port) != AE_SOCKET_DONE)
    {
        aeSocketClose(s);
        AE_ERROR("aeHost::Init", "Fehler beim binden des Listen-Sockets!");
        return 0;
    }
    if (aeSocketListen(s) != AE_SOCKET_DONE)
    {
        aeSocketClose(s);
        AE_ERROR("aeHost::Init", "Fehler beim listen des Listen-Sockets!");
        return 0;
    }
    m_ListenSocket = s;
    m_wPort = aeSocketGetLocalPort(s);
    aeMultiplayer::m_iState = 2;
    m_bAcceptConnections = 1;
    m_bInitialized = 1;
    return 1;
}

void aeHost::Exit()
{
    if (m_bInitialized)
        CloseHost();
}

aeHostClient* aeHost::GetClient(int number)
{
    return number >= 0 && number < m_aClients.GetNumElements() ? m_aClients[number] : nullptr;
}

// Callback 3 for the client, then its removal. The callback may itself have
// removed clients or ended hosting; the client is found again by its address.
// Returns the number at which the next client now stands.
static int Remove(aeHostClient* client, int number)
{
    aeMultiplayer::DoCallback(AE_MP_CLIENT_REMOVED, &number);
    const int at = aeHost::m_aClients.Find(client);
    if (at < 0)
        return number < aeHost::m_aClients.GetNumElements() ? number : aeHost::m_aClients.GetNumElements();
    aeHost::m_aClients.Remove(at);
    return at;
}

void aeHost::RemoveClient(int number)
{
    if (number < 0 || number >= m_aClients.GetNumElements())
        return;
    Remove(m_aClients[number], number);
}

int aeHost::Process()
{
    if (!m_bInitialized)
        return 1;
    // A removed client's place is taken by the next one, which is processed
    // in the same pass.
    for (int i = 0; m_bInitialized && i < m_aClients.GetNumElements();)
    {
        aeHostClient* client = m_aClients[i];
        if (client->Process())
            ++i;
        else
            i = Remove(client, i);
    }
    if (!m_bInitialized || !m_bAcceptConnections)
        return 1;

    SOCKET s;
    aeSocketAddress peer;
    const aeSocketResult r = aeSocketAccept(m_ListenSocket, &s, &peer);
    if (r == AE_SOCKET_WOULD_BLOCK)
        return 1;
    if (r == AE_SOCKET_NETWORK_DOWN || r == AE_SOCKET_NETWORK_UNREACHABLE)
    {
        aeMultiplayer::DoCallback(AE_MP_NETWORK_FAILED, nullptr);
        AE_ERROR("aeHost::Process", "%s", g_pcConnectionLost);
        return 0;
    }
    if (r != AE_SOCKET_DONE || !aeSocketSetNonBlocking(s))
    {
        aeSocketClose(s);
        AE_ERROR("aeHost::Process", "Fehler beim annehmen der Verbindung!");
        return 0;
    }
    aeSocketSetNoDelay(s);
    aeHostClient* client = m_aClients.Insert();
    if (!client)
    {
        aeSocketClose(s);
        AE_ERROR("aeHost::Process", "Es konnte nicht genügend Speicher reserviert werden!");
        return 0;
    }
    client->Init(s, peer);
    aeMultiplayer::DoCallback(AE_MP_CLIENT_CONNECTED, client);
    return 1;
}
