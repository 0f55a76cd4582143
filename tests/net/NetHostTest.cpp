// The host with its clients: removal and renumbering, clients that leave, and
// a client that learns the host has left and may connect again.

#include "NetTestSupport.h"

using namespace nettest;
using NetHost = NetTest;

namespace
{
// A callback that connects anew on losing the host keeps the new connection.
RawListener* s_pReconnectTo = nullptr;
void Reconnect(int code, void* data)
{
    Record(code, data);
    if (code == AE_MP_CONNECTION_LOST && s_pReconnectTo)
        aeMultiplayer::Connect(aeIPAddress(127, 0, 0, 1), s_pReconnectTo->Port());
}
}

TEST_F(NetHost, RemovalRenumbersTheClientsBehindAndLeavingClientsGoWithoutAReport)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 4));
    RawPeer* byNumber[4] = {};
    for (RawPeer& p : peers)
        byNumber[NumberOf(p)] = &p;
    const uint16_t last = byNumber[3]->LocalPort();
    aeHost::RemoveClient(5);
    aeHost::RemoveClient(-1);
    EXPECT_EQ(aeHost::GetNumClients(), 4);
    EXPECT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 0);
    EXPECT_EQ(aeHost::GetClient(4), nullptr);
    EXPECT_EQ(aeHost::GetClient(-1), nullptr);
    aeHost::RemoveClient(0);
    ASSERT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 1);
    EXPECT_EQ(Events().back().iNumber, 0);
    EXPECT_EQ(Events().back().iClients, 4);
    ASSERT_EQ(aeHost::GetNumClients(), 3);
    EXPECT_EQ(aeHost::GetClient(0)->GetPort(), byNumber[1]->LocalPort());
    EXPECT_EQ(aeHost::GetClient(0)->GetIPAddress(), aeIPAddress(127, 0, 0, 1));
    EXPECT_TRUE(byNumber[0]->SeesEnd());
    // A client that resets goes like one that closes (below).
    byNumber[2]->Reset();
    ASSERT_TRUE(PumpUntil([] { return aeHost::GetNumClients() == 2; }));
    ASSERT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 2);
    EXPECT_EQ(Events().back().iNumber, 1);
    EXPECT_EQ(Events().back().iClients, 3);
    EXPECT_EQ(aeHost::GetClient(1)->GetPort(), last);
    // Number 0 closes while number 1 has a packet waiting: within one call the
    // failed client is removed and the one moving into its number is processed.
    ASSERT_TRUE(byNumber[3]->Send(Frame("nachgerückt")));
    byNumber[1]->Close();
    ASSERT_TRUE(WaitReadable(aeHost::GetClient(0)->m_Socket));
    ASSERT_TRUE(WaitReadable(aeHost::GetClient(1)->m_Socket));
    EXPECT_EQ(aeHost::Process(), 1);
    ASSERT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 3);
    EXPECT_EQ(Events().back().iNumber, 0);
    ASSERT_EQ(aeHost::GetNumClients(), 1);
    EXPECT_EQ(aeHost::GetClient(0)->GetPort(), last);
    ASSERT_EQ(aeHost::GetClient(0)->GetNumPackets(), 1);
    EXPECT_EQ(Text(aeHost::GetClient(0)->GetPacket(0)), "nachgerückt");
    // Both ends stay quiet in the log, and no further callbacks follow.
    for (int i = 0; i < 20; ++i)
        aeMultiplayer::Process();
    EXPECT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 3);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}

TEST_F(NetHost, ClientLearnsWhenTheHostLeavesAndMayReconnect)
{
    RawListener listener;
    {
        RawPeer remote = ConnectTo(listener);
        ASSERT_GE(remote.Fd(), 0);
        ASSERT_TRUE(remote.Send(Frame("letztes")));
        remote.Close();
        // The packet that came before the end is readable before the end is reported.
        ASSERT_TRUE(PumpUntil([] { return aeClient::GetNumPackets() == 1 || aeMultiplayer::GetState() == 1; }));
        ASSERT_EQ(aeClient::GetNumPackets(), 1);
        EXPECT_EQ(Text(aeClient::GetPacket(0)), "letztes");
        ASSERT_TRUE(PumpUntil([] { return aeMultiplayer::GetState() == 1; }));
    }
    // One callback, after which the client part is shut down and its packets are gone.
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].iCode, AE_MP_CONNECTION_LOST);
    EXPECT_EQ(Events()[0].pData, nullptr);
    EXPECT_EQ(Events()[0].iState, 3);
    EXPECT_FALSE(aeClient::IsInitialized());
    EXPECT_EQ(aeClient::GetNumPackets(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    Events().clear();
    ASSERT_EQ(aeMultiplayer::Init(&Reconnect), 1);
    s_pReconnectTo = &listener;
    RawPeer remote = ConnectTo(listener);
    ASSERT_GE(remote.Fd(), 0);
    remote.Close();
    ASSERT_TRUE(PumpUntil([] { return CountEvents(AE_MP_CONNECTION_LOST) == 1; }));
    s_pReconnectTo = nullptr;
    EXPECT_EQ(aeMultiplayer::GetState(), 3);
    RawPeer second = listener.Accept();
    ASSERT_GE(second.Fd(), 0);
    ASSERT_TRUE(second.Send(Frame("neu verbunden")));
    ASSERT_TRUE(PumpUntil([] { return aeClient::GetNumPackets() == 1; }));
    EXPECT_EQ(Text(aeClient::GetPacket(0)), "neu verbunden");
}
