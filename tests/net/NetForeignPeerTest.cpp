// A peer that is not our code: a Python program with its own sockets talks
// to the host, which answers every packet with its bytes reversed.

#include "NetTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace nettest;

using NetForeignPeer = NetTest;

namespace
{
const char* const kScript = R"PY(
import random, socket, struct, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=10)
s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
frame = lambda b: struct.pack("<i", len(b)) + b
payloads = [b"hallo host", bytes(range(256)) * 300, "Gr\u00fc\u00dfe".encode("cp1252"), b"x"]
# One frame in one send, one in uneven pieces, two together.
s.sendall(frame(payloads[0]))
f, rnd, i = frame(payloads[1]), random.Random(7), 0
while i < len(f):
    n = rnd.choice([1, 2, 3, 700, 5000])
    s.sendall(f[i:i + n])
    i += n
    time.sleep(0.0005)
s.sendall(frame(payloads[2]) + frame(payloads[3]))
def exact(n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            sys.exit("connection ended after %d of %d bytes" % (len(data), n))
        data += chunk
    return data
for p in payloads:
    data = exact(struct.unpack("<i", exact(4))[0])
    if data != p[::-1]:
        sys.exit("wrong answer: %d bytes" % len(data))
print("ok")
)PY";

}

TEST_F(NetForeignPeer, PythonPeerExchangesFramesWithTheHost)
{
    ASSERT_EQ(aeMultiplayer::Host(0), 1);
    const std::string dir = test::ScratchDir("python"), script = dir + "/peer.py", out = dir + "/out.txt";
    test::WriteBinary(script, kScript);
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string command =
        "timeout 30 " + python + " " + script + " " + std::to_string(aeHost::GetPort()) + " >" + out + " 2>&1";
    std::atomic<bool> finished{false};
    int status = -1;
    std::thread runner([&] {
        status = std::system(command.c_str());
        finished = true;
    });
    // Answer every packet until the peer has gone.
    std::vector<std::string> received;
    const bool done = PumpUntil(
        [&] {
            for (int i = 0; i < aeHost::GetNumClients(); ++i)
            {
                aeHostClient* c = aeHost::GetClient(i);
                for (int k = 0; k < c->GetNumPackets(); ++k)
                {
                    received.push_back(Text(c->GetPacket(k)));
                    VFile answer = Packet(std::string(received.back().rbegin(), received.back().rend()));
                    c->Send(answer);
                }
                c->DeleteData();
            }
            return finished && CountEvents(AE_MP_CLIENT_REMOVED) == 1;
        },
        40000);
    runner.join();
    const std::string output = test::ReadBinary(out);
    EXPECT_TRUE(done);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    if (WEXITSTATUS(status) == 127)
        GTEST_SKIP() << "python3 is not available: " << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_EQ(output, "ok\n");
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0], "hallo host");
    EXPECT_EQ(received[1].size(), 256u * 300u);
    EXPECT_EQ(received[2], "Grüße");
    EXPECT_EQ(received[3], "x");
    EXPECT_EQ(CountEvents(AE_MP_CLIENT_CONNECTED), 1);
    EXPECT_EQ(aeHost::GetNumClients(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}
