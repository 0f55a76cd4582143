// Connections that end: lines a real program (netchat) sends before it quits
// reach the application before the end is reported; errors of a single incoming connection leave the host
// accepting.

#include "NetTestSupport.h"

#include <cerrno>
#include <cstdlib>

#include "aeLogFile.h"
#include "aeSocket.h"

using namespace nettest;

using NetClose = NetTest;

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
