// What a peer can send that is not a proper frame, and what the sender
// refuses to put on the wire.

#include "NetTestSupport.h"
#include "aePacketStream.h"

using namespace nettest;

using NetInvalid = NetTest;

namespace
{
const char* const kInvalid = "Funktion: aeHostClient::Process Beschreibung: Ungültiges Packet empfangen!";
}

TEST_F(NetInvalid, ZeroOrNegativeLengthIsReportedAndTheConnectionStays)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 1));
    aeHostClient* c = aeHost::GetClient(0);
    int errors = 0;
    for (int32_t n : {0, -1, INT32_MIN})
    {
        ASSERT_TRUE(peers[0].Send(Length(n)));
        ASSERT_TRUE(PumpUntil([&] { return aeLog::m_iNumErrors == errors + 1; })) << n;
        ++errors;
        EXPECT_EQ(c->m_IncompletelyReceivedData.GetSize(), 0);
        // The connection is kept: the next frame arrives.
        ASSERT_TRUE(peers[0].Send(Frame("weiter")));
        ASSERT_TRUE(PumpUntil([&] { return c->GetNumPackets() == 1; })) << n;
        EXPECT_EQ(Text(c->GetPacket(0)), "weiter");
        c->DeleteData();
    }
    EXPECT_TRUE(Logged(kInvalid));
    EXPECT_EQ(aeHost::GetNumClients(), 1);
    EXPECT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 0);
    // A bad length behind a good frame in the same receive: the good one
    // counts, the rest of that receive is dropped.
    ASSERT_TRUE(peers[0].Send(Frame("gut") + Length(0) + Frame("verworfen")));
    ASSERT_TRUE(PumpUntil([&] { return aeLog::m_iNumErrors == errors + 1; }));
    ASSERT_TRUE(peers[0].Send(Frame("neu")));
    ASSERT_TRUE(PumpUntil([&] { return c->GetNumPackets() == 2; }));
    EXPECT_EQ(Text(c->GetPacket(0)), "gut");
    EXPECT_EQ(Text(c->GetPacket(1)), "neu");
    // The same on the client's side, with a length cut over two receives.
    RawListener listener;
    RawPeer host = ConnectTo(listener);
    ASSERT_GE(host.Fd(), 0);
    ASSERT_TRUE(host.Send(std::string(2, '\0')));
    ASSERT_TRUE(PumpUntil([] { return aeClient::m_IncompletelyReceivedData.GetSize() == 2; }));
    ASSERT_TRUE(host.Send(std::string(2, '\0')));
    ASSERT_TRUE(PumpUntil([&] { return aeLog::m_iNumErrors == errors + 2; }));
    EXPECT_TRUE(Logged("Funktion: aeClient::Process Beschreibung: Ungültiges Packet empfangen!"));
    EXPECT_EQ(aeMultiplayer::GetState(), 3);
    ASSERT_TRUE(host.Send(Frame("noch da")));
    ASSERT_TRUE(PumpUntil([] { return aeClient::GetNumPackets() == 1; }));
    EXPECT_EQ(Text(aeClient::GetPacket(0)), "noch da");
}

TEST_F(NetInvalid, LengthAboveTheLimitClosesTheConnection)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 2));
    const int bad = NumberOf(peers[1]);
    ASSERT_TRUE(peers[1].Send(Frame("vorher") + Length(AE_MAX_PACKET_SIZE + 1) + "xxxx"));
    ASSERT_TRUE(PumpUntil([] { return aeHost::GetNumClients() == 1; }));
    EXPECT_TRUE(Logged(kInvalid));
    ASSERT_EQ(CountEvents(AE_MP_CLIENT_REMOVED), 1);
    const Event& e = Events().back();
    EXPECT_EQ(e.iNumber, bad);
    EXPECT_EQ(e.iClients, 2);   // still there during the callback
    EXPECT_EQ(e.iErrors, 1);    // the report comes first
    EXPECT_TRUE(peers[1].SeesEnd());
    EXPECT_EQ(NumberOf(peers[0]), 0);
    // The client's side: callback 1, then the client part is shut down.
    RawListener listener;
    RawPeer host = ConnectTo(listener);
    ASSERT_GE(host.Fd(), 0);
    ASSERT_TRUE(host.Send(Length(0x7FFFFFFF)));
    ASSERT_TRUE(PumpUntil([] { return aeMultiplayer::GetState() == 1; }));
    EXPECT_EQ(Events().back().iCode, AE_MP_CONNECTION_LOST);
    EXPECT_EQ(Events().back().iState, 3);
    EXPECT_TRUE(host.SeesEnd());
}

// A peer that announces the largest frame and never finishes it makes the
// host hold that one frame and nothing more; the largest frame itself is fine,
// a larger one is not sent.
TEST_F(NetInvalid, UnfinishedFrameHoldsNoMoreThanTheLimitAndNoLargerOneIsSent)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 1));
    aeHostClient* c = aeHost::GetClient(0);
    const std::string payload = Pattern(AE_MAX_PACKET_SIZE, 7);
    const std::string frame = Frame(payload);
    const size_t part = 3 * 1024 * 1024 + 5;
    std::thread writer([&] { peers[0].Send(frame.substr(0, part)); });
    EXPECT_TRUE(PumpUntil([&] { return c->m_IncompletelyReceivedData.GetSize() == static_cast<int>(part); }));
    writer.join();
    EXPECT_EQ(c->GetNumPackets(), 0);
    std::thread rest([&] { peers[0].Send(frame.substr(part)); });
    EXPECT_TRUE(PumpUntil([&] { return c->GetNumPackets() == 1; }));
    rest.join();
    ASSERT_EQ(c->GetNumPackets(), 1);
    EXPECT_EQ(c->GetPacket(0)->GetSize(), AE_MAX_PACKET_SIZE);
    EXPECT_TRUE(Text(c->GetPacket(0)) == payload);
    EXPECT_EQ(c->m_IncompletelyReceivedData.GetSize(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    // The sender refuses empty and oversized packets; nothing of them reaches
    // the wire: the next packet is the first frame.
    VFile empty;
    EXPECT_EQ(c->Send(empty), 0);
    EXPECT_TRUE(Logged("Funktion: aeHostClient::Send Beschreibung: Der Funktion wurden ungültige Parameter übergeben!"));
    VFile huge = Packet(payload + "h");
    EXPECT_EQ(c->Send(huge), 0);
    EXPECT_TRUE(Logged("Funktion: aeHostClient::Send Beschreibung: Das Packet ist zu groß"));
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    VFile ok = Packet("ok");
    EXPECT_EQ(c->Send(ok), 1);
    EXPECT_EQ(peers[0].ReadFrame(), "ok");
    // A client that is not connected cannot send.
    EXPECT_EQ(aeClient::Send(ok), 0);
    EXPECT_TRUE(Logged("Funktion: aeClient::Send Beschreibung: Fehler beim senden der Daten!"));
}

// A peer that sends more than one call takes cannot hold the frame loop:
// each call takes a bounded amount and the rest waits for the next frames.
TEST_F(NetInvalid, OneCallTakesABoundedAmount)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 1));
    aeHostClient* c = aeHost::GetClient(0);
    const std::string frame = Frame(std::string(1000, 'f'));
    std::string stream;
    for (int i = 0; i < 8192; ++i)
        stream += frame;
    // Fill the system's buffers without the host reading.
    size_t sent = 0;
    while (sent < stream.size())
    {
        const ssize_t n = send(peers[0].Fd(), stream.data() + sent, stream.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    if (sent < static_cast<size_t>(2 * AE_MAX_RECEIVE_PER_CALL))
        GTEST_SKIP() << "the system buffers only " << sent << " bytes";
    ASSERT_EQ(aeHost::Process(), 1);
    EXPECT_GT(c->GetNumPackets(), 0);
    EXPECT_LE(c->GetNumPackets() * frame.size(), static_cast<size_t>(AE_MAX_RECEIVE_PER_CALL + AE_RECEIVE_BLOCK));
    // The rest of the last frame, then everything arrives in later calls.
    const size_t whole = (sent + frame.size() - 1) / frame.size();
    ASSERT_TRUE(peers[0].Send(stream.substr(sent, whole * frame.size() - sent)));
    ASSERT_TRUE(PumpUntil([&] { return c->GetNumPackets() == static_cast<int>(whole); }));
    EXPECT_EQ(Text(c->GetPacket(static_cast<int>(whole) - 1)), std::string(1000, 'f'));
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}
