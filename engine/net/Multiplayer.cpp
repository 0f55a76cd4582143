#include "aeMultiplayer.h"
#include "aeError.h"
#include "aeLog.h"

int aeMultiplayer::m_iState = 0;
aeMultiplayerCallback aeMultiplayer::m_pCallback = nullptr;
aeIPAddress aeMultiplayer::m_OwnIPAddress;

static const char* const s_pcNotInitialized = "Die aeMultiplayer-Klasse muss erst initialisiert werden!";

// As many addresses as a listing reports at most.
static constexpr int s_iMaxAddresses = 64;

void aeMultiplayer::Exit()
{
    if (m_iState == 0)
        return;
    if (m_iState == 2)
        aeHost::Exit();
    else if (m_iState == 3)
        aeClient::Exit();
    m_pCallback = nullptr;
    m_iState = 0;
}

int aeMultiplayer::Init(aeMultiplayerCallback callback)
{
    Exit();
    // The sockets of this system need no start-up. This computer's own
    // address is the first one other computers can reach; loopback only
    // when there is no other.
    DWORD addresses[s_iMaxAddresses];
    const int count = aeListLocalIPv4(addresses, s_iMaxAddresses);
    m_OwnIPAddress = count > 0 ? aeIPAddress(addresses[0]) : aeIPAddress();
    m_pCallback = callback;
    m_iState = 1;
    return 1;
}

int aeMultiplayer::Host(WORD port)
{
    if (m_iState == 0)
    {
        AE_ERROR("aeMultiplayer::Host", "%s", s_pcNotInitialized);
        return 0;
    }
    if (m_iState == 3)
        aeClient::Exit();
    return aeHost::Init(port);
}

int aeMultiplayer::Connect(aeIPAddress host, WORD port)
{
    if (m_iState == 0)
    {
        AE_ERROR("aeMultiplayer::Connect", "%s", s_pcNotInitialized);
        return 0;
    }
    if (m_iState == 2)
        aeHost::Exit();
    return aeClient::Init(host, port);
}

int aeMultiplayer::Process()
{
    if (m_iState == 2)
        return aeHost::Process();
    if (m_iState == 3)
        return aeClient::Process();
    return 1;
}

int aeMultiplayer::ListAllLocalIPs()
{
    if (m_iState == 0)
    {
        AE_ERROR("aeMultiplayer::ListAllLocalIPs", "%s", s_pcNotInitialized);
        return 0;
    }
    if (!m_pCallback)
    {
        AE_ERROR("aeMultiplayer::ListAllLocalIPs",
                 "Um die IP-Adressen enumerieren zu können, müssen Sie einen Callback-Handler angeben!");
        return 0;
    }
    DWORD addresses[s_iMaxAddresses];
    const int count = aeListLocalIPv4(addresses, s_iMaxAddresses);
    if (count < 0)
    {
        AE_ERROR("aeMultiplayer::ListAllLocalIPs", "Fehler beim aufzählen der PCs!");
        return 0;
    }
    for (int i = 0; i < count; ++i)
    {
        DWORD address = addresses[i];
        DoCallback(AE_MP_ADDRESS_FOUND, &address);
    }
    return 1;
}

void aeMultiplayer::DoCallback(int code, void* data)
{
    if (m_pCallback)
        m_pCallback(code, data);
}
