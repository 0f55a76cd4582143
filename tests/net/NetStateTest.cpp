// Addresses, the layer's states and the reports of its set-up operations,
// the list of this computer's addresses, and the socket outcomes below.

#include "NetTestSupport.h"

#include <algorithm>

using namespace nettest;

using NetState = NetTest;

namespace
{
std::string Dotted(const aeIPAddress& a)
{
    char buffer[16];
    return a.ToString(buffer);
}
}

TEST(NetAddress, BytesTextAndNames)
{
    const aeIPAddress a(192, 168, 0, 1);
    EXPECT_EQ(Dotted(a), "192.168.0.1");
    EXPECT_EQ(a.GetB1(), 192);
    // Held in network byte order: the first number is the first byte in memory.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&a.m_dwAddress);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_EQ(bytes[3], 1);
    EXPECT_EQ(aeIPAddress(a.GetAddress()), a);
    EXPECT_EQ(Dotted(aeIPAddress()), "255.255.255.255");
    EXPECT_FALSE(aeIPAddress().IsValid());
    EXPECT_EQ(aeIPAddress("127.0.0.1"), aeIPAddress(127, 0, 0, 1));
    EXPECT_EQ(aeIPAddress("localhost").GetB1(), 127);
    // Names that cannot be looked up (without asking any name server).
    EXPECT_EQ(Dotted(aeIPAddress("")), "255.255.255.255");
    EXPECT_EQ(Dotted(aeIPAddress(static_cast<const char*>(nullptr))), "255.255.255.255");
    EXPECT_EQ(a.ToString(nullptr), nullptr);
}

TEST(NetStateless, EverythingNeedsInitFirst)
{
    test::LogCapture log("uninit");
    aeMultiplayer::Exit();
    ASSERT_EQ(aeMultiplayer::GetState(), 0);
    EXPECT_EQ(aeMultiplayer::Host(4000), 0);
    EXPECT_EQ(aeMultiplayer::Connect(aeIPAddress(127, 0, 0, 1), 4000), 0);
    EXPECT_EQ(aeMultiplayer::ListAllLocalIPs(), 0);
    EXPECT_EQ(aeHost::Init(4000), 0);
    EXPECT_EQ(aeClient::Init(aeIPAddress(127, 0, 0, 1), 4000), 0);
    EXPECT_EQ(aeMultiplayer::Process(), 1);
    EXPECT_EQ(aeLog::m_iNumErrors, 5);
    for (const char* f : {"aeMultiplayer::Host", "aeMultiplayer::Connect", "aeMultiplayer::ListAllLocalIPs",
                          "aeHost::Init", "aeClient::Init"})
        EXPECT_TRUE(log.Contains(std::string("Funktion: ") + f +
                                 " Beschreibung: Die aeMultiplayer-Klasse muss erst initialisiert werden!"))
            << f;
    EXPECT_TRUE(log.Contains("Datei: Multiplayer.cpp"));
    EXPECT_EQ(aeMultiplayer::GetState(), 0);
    aeMultiplayer::Exit();
}

TEST_F(NetState, StatesFollowInitHostAndExitAndFailuresAreReported)
{
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_TRUE(aeMultiplayer::IsInitialized());
    EXPECT_EQ(aeMultiplayer::Process(), 1);
    ASSERT_EQ(aeMultiplayer::Host(0), 1);
    EXPECT_EQ(aeMultiplayer::GetState(), 2);
    EXPECT_TRUE(aeHost::IsInitialized());
    EXPECT_GE(aeHost::GetPort(), 1024);  // the system's choice
    const WORD port = aeHost::GetPort();
    aeHost::Exit();
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_EQ(aeHost::GetListenSocket(), INVALID_SOCKET);
    aeHost::Exit();  // twice is harmless
    aeClient::Exit();
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    // The same port again at once.
    ASSERT_EQ(aeMultiplayer::Host(port), 1);
    EXPECT_EQ(aeHost::GetPort(), port);
    // Init while running starts afresh, without the callback.
    ASSERT_EQ(aeMultiplayer::Init(nullptr), 1);
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_FALSE(aeHost::IsInitialized());
    EXPECT_EQ(aeMultiplayer::m_pCallback, nullptr);
    aeMultiplayer::DoCallback(AE_MP_NETWORK_FAILED, nullptr);  // no callback: nothing happens
    aeMultiplayer::Exit();
    aeMultiplayer::Exit();
    EXPECT_EQ(aeMultiplayer::GetState(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    // Failures to host on a port someone else listens on, or to connect.
    ASSERT_EQ(aeMultiplayer::Init(&Record), 1);
    RawListener taken;
    EXPECT_EQ(aeMultiplayer::Host(taken.Port()), 0);
    EXPECT_TRUE(Logged("Funktion: aeHost::Init Beschreibung: Fehler beim binden des Listen-Sockets!"));
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_FALSE(aeHost::IsInitialized());
    // Nobody listens on port 1; it is also below the recommended range.
    EXPECT_EQ(aeMultiplayer::Connect(aeIPAddress(127, 0, 0, 1), 1), 0);
    EXPECT_TRUE(Logged("Warnung: Datei: Client.cpp"));
    EXPECT_TRUE(Logged("Funktion: aeClient::Init Beschreibung: Die Portnummer ist außerhalb des empfohlenen Bereichs!"));
    EXPECT_TRUE(Logged("Funktion: aeClient::Init Beschreibung: Die Verbindung zum Host konnte nicht hergestellt werden!"));
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_EQ(aeClient::GetHostSocket(), INVALID_SOCKET);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    EXPECT_EQ(aeLog::m_iNumWarnings, 1);
    // Direct calls on a side that does not run.
    EXPECT_EQ(aeClient::Process(), 0);
    EXPECT_TRUE(Logged("Funktion: aeClient::Process Beschreibung: Fehler beim empfangen der Daten!"));
    EXPECT_EQ(aeHost::Process(), 1);
}

TEST_F(NetState, LocalAddressesAreReportedThroughTheCallback)
{
    ASSERT_EQ(aeMultiplayer::ListAllLocalIPs(), 1);
    std::vector<DWORD> found;
    for (const Event& e : Events())
    {
        EXPECT_EQ(e.iCode, AE_MP_ADDRESS_FOUND);
        found.push_back(e.dwAddress);
    }
    EXPECT_NE(std::find(found.begin(), found.end(), aeIPAddress(127, 0, 0, 1).GetAddress()), found.end());
    std::vector<DWORD> unique = found;
    std::sort(unique.begin(), unique.end());
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
    // This computer's own address is the first one listed.
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(aeMultiplayer::GetOwnIPAddress().GetAddress(), found[0]);
    ASSERT_EQ(aeMultiplayer::Init(nullptr), 1);
    EXPECT_EQ(aeMultiplayer::ListAllLocalIPs(), 0);
    EXPECT_TRUE(Logged("Funktion: aeMultiplayer::ListAllLocalIPs Beschreibung: Um die IP-Adressen enumerieren zu "
                       "können, müssen Sie einen Callback-Handler angeben!"));
}
