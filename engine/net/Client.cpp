#include "aeClient.h"
#include "aeError.h"
#include "aeMultiplayer.h"
#include "aePacketStream.h"

int aeClient::m_bInitialized = 0;
WORD aeClient::m_wPort = 0;
SOCKET aeClient::m_HostSocket = INVALID_SOCKET;
aeIPAddress aeClient::m_HostIPAddress;
VFile aeClient::m_IncompletelyReceivedData;
DynArrayEx<VFile> aeClient::m_aReceivedData;
VFile aeClient::m_UnsentData;
int aeClient::m_iConnection = 0;
int aeClient::m_bHostClosed = 0;


static void CloseConnection()
{
    aeClient::DeleteData();
    aeClient::m_IncompletelyReceivedData.Close();
    aeClient::m_UnsentData.Close();
    aeSocketClose(aeClient::m_HostSocket);
    aeClient::m_HostSocket = INVALID_SOCKET;
    aeClient::m_bHostClosed = 0;
    aeClient::m_bInitialized = 0;
    aeMultiplayer::m_iState = 1;
}

int aeClient::Init(aeIPAddress host, WORD port)
{
    if (m_bInitialized)
        CloseConnection();
    else if (aeMultiplayer::m_iState == 0)
    {
        AE_ERROR("aeClient::Init", "Die aeMultiplayer-Klasse muss erst initialisiert werden!");
        return 0;
    }
    // One side at a time: hosting ends before a connection is made.
    if (aeHost::m_bInitialized)
        aeHost::Exit();

    if (port < 1024)
        AE_WARNING("aeClient::Init", "Die Portnummer ist außerhalb des empfohlenen Bereichs!");
    m_wPort = port;
    const SOCKET s = aeSocketCreate();
    if (s == INVALID_SOCKET)
    {
        AE_ERROR("aeClient::Init", "Der Host-Socket konnte nicht erstellt werden!");
        return 0;
    }
    if (aeSocketConnect(s, host.GetAddress(), port, AE_CONNECT_TIMEOUT) != AE_SOCKET_DONE ||
        !aeSocketSetNonBlocking(s))
    {
        aeSocketClose(s);
        AE_ERROR("aeClient::Init", "Die Verbindung zum Host konnte nicht hergestellt werden!");
        return 0;
    }
    aeSocketSetNoDelay(s);
    m_HostSocket = s;
    m_HostIPAddress = host;
    m_IncompletelyReceivedData.Close();
    m_UnsentData.Close();
    DeleteData();
    m_bHostClosed = 0;
    ++m_iConnection;
    aeMultiplayer::m_iState = 3;
    m_bInitialized = 1;
    return 1;
}

void aeClient::Exit()
{
    if (m_bInitialized)
        CloseConnection();
}

void aeClient::DeleteData()
{
    m_aReceivedData.Free();
}

VFile* aeClient::GetPacket(int index)
{
    return aePacketAt(m_aReceivedData, index);
}

int aeClient::Send(VFile& packet)
{
    if (!m_bInitialized)
    {
        AE_ERROR("aeClient::Send", "Fehler beim senden der Daten!");
        return 0;
    }
    return AE_SEND_AND_REPORT(m_HostSocket, packet, m_UnsentData, "aeClient::Send");
}

// Callback 1, then the client part is shut down, unless the callback has
// already ended this connection or made a new one.
static void ConnectionLost(int connection)
{
    aeMultiplayer::DoCallback(AE_MP_CONNECTION_LOST, nullptr);
    if (aeClient::m_bInitialized && aeClient::m_iConnection == connection)
        aeClient::Exit();
}

int aeClient::Process()
{
    if (!m_bInitialized)
    {
        AE_ERROR("aeClient::Process", "Fehler beim empfangen der Daten!");
        return 0;
    }
    const int connection = m_iConnection;
    if (m_bHostClosed)
    {
        // The packets that came before the end have been delivered.
        ConnectionLost(connection);
        return 0;
    }
    switch (AE_SERVE_CONNECTION(m_HostSocket, m_IncompletelyReceivedData, m_aReceivedData, m_UnsentData,
                                "aeClient::Process"))
    {
    case AE_CONNECTION_GOES_ON:
        return 1;
    case AE_CONNECTION_CLOSING:
        m_bHostClosed = 1;
        return 1;
    case AE_CONNECTION_ENDED:
        ConnectionLost(connection);
        return 0;
    default:
        return 0;
    }
}
