// Byte-stream devices: a round trip through a unix: device against a small
// peer on a real socket, and a peer that goes away.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/MidiApi.h"
#include "platform/MidiDevices.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/RequeueingReceiver.h"

namespace {

using namespace std::chrono_literals;
using TBytes = std::vector<std::uint8_t>;

// Accepts one client and answers each received chunk with the same bytes,
// until told to hang up.
class TEchoServer {
public:
    TEchoServer() {
        char dir[] = "/tmp/tavimor-unix-XXXXXX";
        Folder = mkdtemp(dir);
        Path = Folder + "/eps.sock";
        Listener = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, Path.c_str());
        bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(Listener, 1);
        Thread = std::thread([this] { Serve(); });
    }
    ~TEchoServer() {
        HangUp();
        Thread.join();
        close(Listener);
        std::filesystem::remove_all(Folder);
    }
    void HangUp() {
        const int client = Client.load();
        if (client >= 0) {
            shutdown(client, SHUT_RDWR);
        }
        shutdown(Listener, SHUT_RDWR);
    }
    std::string Path;

private:
    void Serve() {
        const int client = accept(Listener, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        Client = client;
        std::uint8_t buffer[4096];
        ssize_t got;
        while ((got = recv(client, buffer, sizeof(buffer), 0)) > 0) {
            send(client, buffer, static_cast<std::size_t>(got), MSG_NOSIGNAL);
        }
        close(client);
    }

    std::string Folder;
    int Listener;
    std::atomic<int> Client{-1};
    std::thread Thread;
};

// Reports each finished long message.
std::atomic<int> Done{0};
void OutCallback(TMidiHandleRecord*, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (message == MOM_DONE) {
        ++Done;
    }
}

// Sends one message as a prepared long message and waits until it is done.
void SendLong(HMIDIOUT out, TBytes bytes) {
    MIDIHDR header{};
    header.lpData = reinterpret_cast<char*>(bytes.data());
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    const int before = Done;
    ASSERT_EQ(midiOutPrepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    for (int i = 0; i < 500 && Done == before; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(Done, before + 1);
    EXPECT_EQ(midiOutUnprepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
}

TEST(UnixDeviceTest, RoundTripsThroughOneSharedConnectionAndFailsAfterAHangUp) {
    TEchoServer server;
    const std::string name = "unix:" + server.Path;
    ASSERT_TRUE(MidiAddDevice(name));
    EXPECT_FALSE(MidiAddDevice(name));
    EXPECT_FALSE(MidiAddDevice("tcp:localhost"));
    EXPECT_FALSE(MidiAddDevice("tcp:192.168.1.5:5000"));
    EXPECT_FALSE(MidiAddDevice("tcp:example.com:5000"));

    HMIDIOUT out = nullptr;
    HMIDIIN in = nullptr;
    TRequeueingReceiver receiver;
    ASSERT_GE(MidiOutputNumber(name), 0);
    ASSERT_EQ(midiOutOpen(&out, static_cast<UINT>(MidiOutputNumber(name)),
                          reinterpret_cast<DWORD_PTR>(&OutCallback), 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(midiInOpen(&in, static_cast<UINT>(MidiInputNumber(name)),
                         reinterpret_cast<DWORD_PTR>(&TRequeueingReceiver::Callback),
                         receiver.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<char> b1(32768), b2(32768);
    MIDIHDR h1{}, h2{};
    for (auto [header, buffer] : {std::pair{&h1, &b1}, std::pair{&h2, &b2}}) {
        header->lpData = buffer->data();
        header->dwBufferLength = static_cast<DWORD>(buffer->size());
        midiInPrepareHeader(in, header, sizeof(MIDIHDR));
        midiInAddBuffer(in, header, sizeof(MIDIHDR));
    }
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);

    TBytes message(30725, 0x55);
    message.front() = 0xF0;
    message.back() = 0xF7;
    SendLong(out, message);
    EXPECT_EQ(receiver.WaitFor(message.size()), message);

    // The peer goes away: the next message cannot be sent, so the device
    // has failed and refuses what follows; nothing arrives.
    server.HangUp();
    std::this_thread::sleep_for(50ms);
    SendLong(out, {0xF0, 0x01, 0xF7});
    EXPECT_EQ(midiOutShortMsg(out, 0x403C90), MMSYSERR_ERROR);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(receiver.Received().size(), message.size());

    receiver.Closing = true;
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
}

TEST(UnixDeviceTest, AnAbsentSocketCannotBeOpened) {
    const std::string name = "unix:/nonexistent/tavimor.sock";
    ASSERT_TRUE(MidiAddDevice(name));
    HMIDIOUT out = nullptr;
    ASSERT_GE(MidiOutputNumber(name), 0);
    EXPECT_EQ(midiOutOpen(&out, static_cast<UINT>(MidiOutputNumber(name)), 0, 0, CALLBACK_NULL),
              MMSYSERR_ALLOCATED);
}

} // namespace
