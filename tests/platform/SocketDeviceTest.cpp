// Byte-stream devices: a round trip through a unix: or tcp: device against a
// small peer on a real socket, and a peer that goes away.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/MidiApi.h"
#include "platform/MidiDevices.h"
#include "platform/Socket.h"
#include "platform/SocketAddress.h"
#include "tests/support/DeviceNumbers.h"
#include "tests/support/RequeueingReceiver.h"
#include "tests/support/ServerSockets.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using TBytes = std::vector<std::uint8_t>;

// Accepts one client and answers each received chunk with the same bytes,
// until told to hang up.
class TEchoServer {
public:
    explicit TEchoServer(TServerSocket kind) : Folder(MakeShortTempFolder("tavimor-unix")) {
        std::string error;
        const std::optional<TSocketAddress> address = TSocketAddress::Parse(
            kind == TServerSocket::Unix ? "unix:" + (Folder / "eps.sock").string()
                                        : "tcp:127.0.0.1:0",
            error);
        Listener = TSocket::Listen(*address, error);
        Name = address->IsUnix() ? address->Text() : address->WithPort(Listener.LocalPort()).Text();
        Thread = std::thread([this] { Serve(); });
    }
    ~TEchoServer() {
        HangUp();
        Thread.join();
        Listener.Close();
        std::filesystem::remove_all(Folder);
    }
    void HangUp() {
        const TSocket::THandle client = Client.load();
        if (client != TSocket::None) {
            TSocket::Shutdown(client);
        }
        TSocket::Shutdown(Listener.Get());
    }
    // The device's name: "unix:PATH" or "tcp:127.0.0.1:PORT".
    std::string Name;

private:
    void Serve() {
        const TSocket client = Listener.Accept();
        if (!client.IsOpen()) {
            return;
        }
        Client = client.Get();
        std::uint8_t buffer[4096];
        std::ptrdiff_t got;
        while ((got = TSocket::Receive(client.Get(), buffer, sizeof(buffer))) > 0) {
            TSocket::Send(client.Get(), buffer, static_cast<std::size_t>(got));
        }
    }

    std::filesystem::path Folder;
    TSocket Listener;
    std::atomic<TSocket::THandle> Client{TSocket::None};
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

class SocketDeviceTest : public ::testing::TestWithParam<TServerSocket> {};

INSTANTIATE_TEST_SUITE_P(Sockets, SocketDeviceTest, ::testing::ValuesIn(ServerSockets()),
                         [](const auto& info) { return SocketName(info.param); });

TEST_P(SocketDeviceTest, RoundTripsThroughOneSharedConnectionAndFailsAfterAHangUp) {
    TEchoServer server(GetParam());
    const std::string name = server.Name;
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

TEST_P(SocketDeviceTest, AnAbsentSocketCannotBeOpened) {
    // Port 1 of this computer, where nothing listens.
    const std::string name =
        GetParam() == TServerSocket::Unix ? "unix:/nonexistent/tavimor.sock" : "tcp:127.0.0.1:1";
    ASSERT_TRUE(MidiAddDevice(name));
    HMIDIOUT out = nullptr;
    ASSERT_GE(MidiOutputNumber(name), 0);
    EXPECT_EQ(midiOutOpen(&out, static_cast<UINT>(MidiOutputNumber(name)), 0, 0, CALLBACK_NULL),
              MMSYSERR_ALLOCATED);
}

} // namespace
