// Connections that end: packets that came before an orderly close reach the
// application before the end is reported, on both sides and from a real
// program (netchat); errors of a single incoming connection leave the host
// accepting.

#include "NetTestSupport.h"

#include <cerrno>
#include <cstdlib>

#include "aeLogFile.h"
#include "aeSocket.h"

using namespace nettest;

using NetClose = NetTest;

namespace
{
// Waits until the peer's orderly end has reached the socket.
bool EndArrived(int fd)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    for (tcp_info info = {}; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(std::chrono::microseconds(200)))
    {
        socklen_t length = sizeof(info);
        if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 && info.tcpi_state == TCP_CLOSE_WAIT)
            return true;
    }
    return false;
}
}

TEST_F(NetClose, PacketsBeforeAnOrderlyCloseAreProcessedBeforeTheEndOnBothSides)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 2));
    const int closing = NumberOf(peers[1]);
    ASSERT_TRUE(peers[1].Send(Frame("eins") + Frame("zwei") + Frame("drei")));
    peers[1].Close();
    ASSERT_TRUE(EndArrived(aeHost::GetClient(closing)->m_Socket));
    // Data and end in one receive: the packets come first ...
    ASSERT_EQ(aeMultiplayer::Process(), 1);
    EXPECT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 0);
    aeHostClient* client = aeHost::GetClient(closing);
    ASSERT_NE(client, nullptr);
    ASSERT_EQ(client->GetNumPackets(), 3);
    EXPECT_EQ(Text(client->GetPacket(0)) + Text(client->GetPacket(1)) + Text(client->GetPacket(2)), "einszweidrei");
    client->DeleteData();
    // ... the removal with callback 3 in the next frame.
    aeMultiplayer::Process();
    ASSERT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 1);
    EXPECT_EQ(Events().back().iNumber, closing);
    EXPECT_EQ(aeHost::GetNumClients(), 1);
    // On the client's side the packets are readable before callback 1.
    RawListener listener;
    RawPeer remote = ConnectTo(listener);
    ASSERT_GE(remote.Fd(), 0);
    Events().clear();
    ASSERT_TRUE(remote.Send(Frame("vorletztes") + Frame("letztes")));
    remote.Close();
    ASSERT_TRUE(EndArrived(aeClient::GetHostSocket()));
    ASSERT_EQ(aeMultiplayer::Process(), 1);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(aeMultiplayer::GetState(), 3);
    ASSERT_EQ(aeClient::GetNumPackets(), 2);
    EXPECT_EQ(Text(aeClient::GetPacket(0)), "vorletztes");
    EXPECT_EQ(Text(aeClient::GetPacket(1)), "letztes");
    EXPECT_EQ(aeMultiplayer::Process(), 0);
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].iCode, AE_MP_CONNECTION_LOST);
    EXPECT_EQ(aeMultiplayer::GetState(), 1);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}

// netchat run as its README shows, twice in the folder where this process
// writes netchat.log as a netchat host would: every line typed before /quit
// arrives, and each program keeps its own log.
TEST_F(NetClose, NetchatLinesBeforeQuitArriveAndTheLogsStaySeparate)
{
    const std::string dir = test::ScratchDir("netchat");
    m_pLog.reset();
    ASSERT_EQ(aeLog::Init("Host", (dir + "/netchat").c_str()), 1);
    ASSERT_EQ(aeMultiplayer::Host(0), 1);
    for (int run = 0; run < 3; ++run)
    {
        const std::string line = "Zeile " + std::to_string(run);
        const std::string command = "cd '" + dir + "' && printf '" + line + "\\n/quit\\n' | '" HALVORAN_TOOLS_DIR
                                    "/netchat' --connect 127.0.0.1 " + std::to_string(aeHost::GetPort()) +
                                    " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::string got;
        ASSERT_TRUE(PumpUntil([&] {
            for (int i = 0; i < aeHost::GetNumClients(); ++i)
            {
                for (int k = 0; k < aeHost::GetClient(i)->GetNumPackets(); ++k)
                    got += Text(aeHost::GetClient(i)->GetPacket(k));
                aeHost::GetClient(i)->DeleteData();
            }
            return CountEvents(AE_MP_CLIENT_REMOVED) == run + 1;
        }));
        EXPECT_EQ(got, line);
    }
    aeLog::Exit();
    EXPECT_EQ(test::ReadBinary(dir + "/netchat.log").rfind("--- Logbuch zum Programm \"Host\"", 0), 0u);
    EXPECT_EQ(test::ReadBinary(dir + "/netchat-2.log").rfind("--- Logbuch zum Programm \"netchat\"", 0), 0u);
}

TEST_F(NetClose, ErrorsOfOnePendingConnectionLeaveTheHostAccepting)
{
    ASSERT_EQ(aeMultiplayer::Host(0), 1);
    std::vector<RawPeer> peers;
    for (const int error : {ECONNABORTED, EPROTO, ENETUNREACH, EHOSTUNREACH, ENETDOWN})
    {
        peers.emplace_back();
        ASSERT_TRUE(peers.back().Connect(aeHost::GetPort()));
        const int clients = aeHost::GetNumClients();
        aeSocketInjectAcceptErrors(error, 2);
        ASSERT_TRUE(PumpUntil([&] { return aeHost::GetNumClients() == clients + 1; })) << error;
    }
    EXPECT_EQ(CountEvents(AE_MP_NETWORK_FAILED), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0) << m_pLog->Text();
    EXPECT_EQ(aeMultiplayer::GetState(), 2);
    // An error of the listening socket itself is still one.
    aeSocketInjectAcceptErrors(EMFILE, 1);
    EXPECT_EQ(aeHost::Process(), 0);
    EXPECT_TRUE(Logged("Fehler beim annehmen der Verbindung!"));
    aeSocketInjectAcceptErrors(0, 0);
}
