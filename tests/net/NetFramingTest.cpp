// The frames on the wire: a 4-byte little-endian length and the payload, in
// both directions, however the transport cuts or joins them.

#include "NetTestSupport.h"

#include <atomic>

using namespace nettest;
using NetFraming = NetTest;

namespace
{
// Sends the stream in the given pieces (then byte by byte); after each piece
// the receiver must hold exactly the unfinished frame's bytes, and each
// finished frame as a packet. The packets are returned.
std::vector<std::string> SendInPieces(RawPeer& peer, const std::vector<std::string>& payloads,
                                      const std::vector<size_t>& cuts, const std::function<int()>& packets,
                                      const std::function<int()>& held, const std::function<const VFile*(int)>& packet)
{
    std::string stream;
    std::vector<size_t> ends;
    for (const std::string& p : payloads)
        ends.push_back((stream += Frame(p)).size());
    for (size_t i = 0, at = 0; at < stream.size(); ++i)
    {
        const size_t end = std::min(stream.size(), at + (i < cuts.size() ? cuts[i] : 1));
        EXPECT_TRUE(peer.Send(stream.substr(at, end - at)));
        at = end;
        int complete = 0;
        size_t frameStart = 0;
        for (size_t e : ends)
            if (e <= at)
                ++complete, frameStart = e;
        const int expectedHeld = static_cast<int>(at - frameStart);
        if (!PumpUntil([&] { return packets() == complete && held() == expectedHeld; }))
        {
            ADD_FAILURE() << "after " << at << " bytes: " << packets() << " packets, " << held() << " bytes held";
            return {};
        }
    }
    std::vector<std::string> got;
    for (int i = 0; i < packets(); ++i)
        got.push_back(Text(packet(i)));
    return got;
}
}

TEST_F(NetFraming, FramesSplitOverReceivesAreCarriedOverOnBothSides)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 1));
    aeHostClient* c = aeHost::GetClient(0);
    auto packets = [&] { return c->GetNumPackets(); };
    auto held = [&] { return c->m_IncompletelyReceivedData.GetSize(); };
    auto packet = [&](int i) { return c->GetPacket(i); };
    // A length field cut after 3 bytes, then the payload in two parts, then
    // a piece that ends one frame and starts the next.
    const std::string a = Pattern(100, 2), b = Pattern(40000, 3);
    EXPECT_EQ(SendInPieces(peers[0], {a, b}, {3, 1, 50, 60, 2, 20000, 19999, 3}, packets, held, packet),
              (std::vector<std::string>{a, b}));
    c->DeleteData();
    // Every byte on its own.
    EXPECT_EQ(SendInPieces(peers[0], {"x", "Einzelne Bytes", Pattern(70, 4)}, {}, packets, held, packet),
              (std::vector<std::string>{"x", "Einzelne Bytes", Pattern(70, 4)}));
    RawListener listener;
    RawPeer host = ConnectTo(listener);
    ASSERT_GE(host.Fd(), 0);
    EXPECT_EQ(SendInPieces(host, {"ab", Pattern(33000, 5), "c"}, {2, 3, 1, 16000, 17003},
                           [] { return aeClient::GetNumPackets(); },
                           [] { return aeClient::m_IncompletelyReceivedData.GetSize(); },
                           [](int i) { return aeClient::GetPacket(i); }),
              (std::vector<std::string>{"ab", Pattern(33000, 5), "c"}));
    EXPECT_EQ(aeClient::GetPacket(3), nullptr);
    ASSERT_TRUE(host.Send(Frame("1") + Frame("22")));
    ASSERT_TRUE(PumpUntil([] { return aeClient::GetNumPackets() == 5; }));
    EXPECT_EQ(Text(aeClient::GetPacket(4)), "22");
    aeClient::DeleteData();
    EXPECT_EQ(aeClient::GetNumPackets(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}

// A packet larger than the socket buffers: a sender whose packet the system
// takes only in part finishes it in the following frames, so the stream stays
// whole. (The receiving side: NetInvalid.UnfinishedFrameHoldsNoMoreThanTheLimit.)
TEST_F(NetFraming, LargePacketsLeaveWhole)
{
    std::vector<RawPeer> peers;
    ASSERT_TRUE(HostWithPeers(peers, 1));
    aeHostClient* c = aeHost::GetClient(0);
    const std::string big = Pattern(AE_MAX_PACKET_SIZE, 6);
    // The system's buffers are smaller than the packet: the rest waits.
    VFile p = Packet(big);
    EXPECT_EQ(c->Send(p), 1);
    EXPECT_GT(c->m_UnsentData.GetSize(), 0);
    // Meanwhile a new packet is dropped whole, never sent in part.
    VFile dropped = Packet("verworfen");
    EXPECT_EQ(c->Send(dropped), 1);
    std::atomic<int> frames{0};
    std::string first, second;
    std::thread reader([&] {
        first = peers[0].ReadFrame();
        frames = 1;
        second = peers[0].ReadFrame();
        frames = 2;
    });
    EXPECT_TRUE(PumpUntil([&] { return frames >= 1; }));
    EXPECT_EQ(c->m_UnsentData.GetSize(), 0);
    VFile small = Packet("danach");
    EXPECT_EQ(c->Send(small), 1);
    EXPECT_TRUE(PumpUntil([&] { return frames == 2; }));
    reader.join();
    EXPECT_EQ(first.size(), big.size());
    EXPECT_TRUE(first == big);
    EXPECT_EQ(second, "danach");
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}
