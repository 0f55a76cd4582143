// netchat: text lines between a host and its clients over the engine's
// network layer, one packet per line.
//
//   netchat --host PORT                 wait for clients on PORT
//   netchat --connect ADDRESS PORT      join a host
//
// Lines typed on the terminal go out as packets. The host shows every line
// it receives and passes it on to all other clients; a client shows what the
// host sends. "/quit" (or the end of input) leaves; on the host "/list" shows
// this computer's addresses and "/kick N" removes client N.

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "Engine.h"
#include "aeLogFile.h"
#include "aeText.h"

namespace
{
bool g_bQuit = false;

std::string Describe(const aeHostClient* c)
{
    char address[16];
    return std::string(c->GetIPAddress().ToString(address)) + ":" + std::to_string(c->GetPort());
}

void OnEvent(int code, void* data)
{
    char address[16];
    switch (code)
    {
    case AE_MP_NETWORK_FAILED:
        std::printf("* Die Netzwerkverbindung wurde unterbrochen.\n");
        break;
    case AE_MP_CONNECTION_LOST:
        std::printf("* Der Host hat die Verbindung beendet.\n");
        g_bQuit = true;
        break;
    case AE_MP_CLIENT_CONNECTED:
        std::printf("* Client %d verbunden: %s\n", aeHost::GetNumClients() - 1,
                    Describe(static_cast<aeHostClient*>(data)).c_str());
        break;
    case AE_MP_CLIENT_REMOVED:
    {
        const int number = *static_cast<int*>(data);
        std::printf("* Client %d getrennt: %s\n", number, Describe(aeHost::GetClient(number)).c_str());
        break;
    }
    case AE_MP_ADDRESS_FOUND:
        std::printf("* Adresse: %s\n", aeIPAddress(*static_cast<DWORD*>(data)).ToString(address));
        break;
    }
    std::fflush(stdout);
}

VFile Line(const std::string& text)
{
    VFile f;
    f.Write(static_cast<int>(text.size()), text.data());
    return f;
}

// The host shows a client's line and passes it on to the others.
void HostReceive()
{
    for (int i = 0; i < aeHost::GetNumClients(); ++i)
    {
        aeHostClient* from = aeHost::GetClient(i);
        for (int k = 0; k < from->GetNumPackets(); ++k)
        {
            const VFile* p = from->GetPacket(k);
            const std::string text = "[" + Describe(from) + "] " +
                                     std::string(reinterpret_cast<const char*>(p->GetBuffer()),
                                                 static_cast<size_t>(p->GetSize()));
            std::printf("%s\n", text.c_str());
            VFile out = Line(text);
            for (int j = 0; j < aeHost::GetNumClients(); ++j)
                if (j != i)
                    aeHost::GetClient(j)->Send(out);
        }
        from->DeleteData();
    }
}

void ClientReceive()
{
    for (int k = 0; k < aeClient::GetNumPackets(); ++k)
    {
        const VFile* p = aeClient::GetPacket(k);
        std::printf("%.*s\n", p->GetSize(), reinterpret_cast<const char*>(p->GetBuffer()));
    }
    aeClient::DeleteData();
}

void HandleLine(const std::string& line, bool host)
{
    if (line == "/quit")
    {
        g_bQuit = true;
        return;
    }
    if (host && line == "/list")
    {
        aeMultiplayer::ListAllLocalIPs();
        return;
    }
    if (host && line.rfind("/kick ", 0) == 0)
    {
        aeHost::RemoveClient(std::atoi(line.c_str() + 6));
        return;
    }
    if (line.empty())
        return;
    VFile out = Line(host ? "[Host] " + line : line);
    if (host)
    {
        for (int j = 0; j < aeHost::GetNumClients(); ++j)
            aeHost::GetClient(j)->Send(out);
    }
    else
        aeClient::Send(out);
}

// Lines from standard input without blocking the frame; false at its end.
bool ReadLines(std::string& pending, bool host)
{
    pollfd p = {0, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0)
        return true;
    char block[4096];
    const ssize_t n = read(0, block, sizeof(block));
    if (n <= 0)
        return false;
    pending.append(block, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos)
    {
        std::string line = pending.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pending.erase(0, end + 1);
        HandleLine(line, host);
    }
    return true;
}

int Usage()
{
    std::fprintf(stderr, "Aufruf: netchat --host PORT\n"
                         "        netchat --connect ADRESSE PORT\n");
    return 2;
}

int ParsePort(const char* text)
{
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    return end && *end == '\0' && port >= 0 && port <= 65535 ? static_cast<int>(port) : -1;
}
}

int main(int argc, char** argv)
{
    bool host;
    int port;
    aeIPAddress address;
    if (argc == 3 && std::strcmp(argv[1], "--host") == 0)
    {
        host = true;
        port = ParsePort(argv[2]);
    }
    else if (argc == 4 && std::strcmp(argv[1], "--connect") == 0)
    {
        host = false;
        address = aeIPAddress(argv[2]);
        port = ParsePort(argv[3]);
        if (!address.IsValid())
        {
            std::fprintf(stderr, "Die Adresse %s ist unbekannt.\n", argv[2]);
            return 1;
        }
    }
    else
        return Usage();
    if (port < 0)
        return Usage();

    // Errors of the layer go to netchat.log in the working directory (or to
    // netchat-2.log and so on while other netchats write the first ones).
    aeLog::Init("netchat", "netchat");
    const std::string log = aeLogFileName();
    aeMultiplayer::Init(&OnEvent);
    char text[16];
    if (host)
    {
        if (!aeMultiplayer::Host(static_cast<WORD>(port)))
        {
            // The program's own texts are Windows-1252; the terminal takes UTF-8.
            std::fprintf(stderr, "%s (siehe %s).\n", aeCp1252ToUtf8("Der Port kann nicht geöffnet werden").c_str(),
                         log.c_str());
            aeMultiplayer::Exit();
            aeLog::Exit();
            return 1;
        }
        std::printf("* Host auf Port %d, eigene Adresse %s. Befehle: /list, /kick N, /quit\n", aeHost::GetPort(),
                    aeMultiplayer::GetOwnIPAddress().ToString(text));
    }
    else
    {
        if (!aeMultiplayer::Connect(address, static_cast<WORD>(port)))
        {
            std::fprintf(stderr, "Keine Verbindung zu %s:%d (siehe %s).\n", address.ToString(text), port, log.c_str());
            aeMultiplayer::Exit();
            aeLog::Exit();
            return 1;
        }
        std::printf("* Verbunden mit %s:%d. /quit beendet.\n", address.ToString(text), port);
    }
    std::fflush(stdout);

    // The frame loop: input, network, about a hundred times a second.
    std::string pending;
    while (!g_bQuit)
    {
        if (!ReadLines(pending, host))
            break;
        aeMultiplayer::Process();
        if (aeMultiplayer::GetState() == 2)
            HostReceive();
        else if (aeMultiplayer::GetState() == 3)
            ClientReceive();
        else
            break;
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    aeMultiplayer::Exit();
    aeLog::Exit();
    return 0;
}
