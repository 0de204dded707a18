#include "platform/WinMmInput.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

// How long closing waits for the driver to hand back its buffers.
constexpr auto ReturnLimit = std::chrono::seconds(2);

// The open inputs by their callbacks' instance values. A value is never used
// twice, so a report the driver delivers late, after its input is gone (Wine
// delivers from a thread of its own), finds nothing instead of freed memory.
class TOpenInputs {
public:
    DWORD_PTR Add(TWinMmInput* input) {
        std::lock_guard lock(Mutex);
        Inputs[++Last] = input;
        return Last;
    }
    void Remove(DWORD_PTR instance) {
        std::lock_guard lock(Mutex);
        Inputs.erase(instance);
    }
    // The lock is held during the call, so that Remove waits for it.
    template <typename TCall> void With(DWORD_PTR instance, TCall call) {
        std::lock_guard lock(Mutex);
        const auto found = Inputs.find(instance);
        if (found != Inputs.end()) {
            call(*found->second);
        }
    }

private:
    std::mutex Mutex;
    std::map<DWORD_PTR, TWinMmInput*> Inputs;
    DWORD_PTR Last = 0;
};

// Never destroyed: a driver may call back until the process ends.
TOpenInputs& OpenInputs() {
    static auto* inputs = new TOpenInputs;
    return *inputs;
}

} // namespace

std::unique_ptr<TWinMmInput> TWinMmInput::Open(const TWinMm& winMm, UINT device,
                                               TMidiByteSink& sink) {
    std::unique_ptr<TWinMmInput> input(new TWinMmInput(winMm, sink));
    return input->Start(device) ? std::move(input) : nullptr;
}

TWinMmInput::TWinMmInput(const TWinMm& winMm, TMidiByteSink& sink)
    : WinMm(winMm), Sink(sink), Wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      Instance(OpenInputs().Add(this)), Buffers(std::make_unique<TBuffer[]>(BufferCount)),
      Reports(ReportRoom + BufferCount, BufferCount) {}

TWinMmInput::~TWinMmInput() {
    if (Thread.joinable()) {
        Closing = true;
        SetEvent(Wake);
        Thread.join();
    }
    OpenInputs().Remove(Instance);
    if (Wake != nullptr) {
        CloseHandle(Wake);
    }
}

bool TWinMmInput::Start(UINT device) {
    if (Wake == nullptr || WinMm.InOpen(&Handle, device, reinterpret_cast<DWORD_PTR>(&Callback),
                                        Instance, CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        return false;
    }
    for (std::size_t i = 0; i < BufferCount; ++i) {
        MIDIHDR& header = Buffers[i].Header;
        header = MIDIHDR{};
        header.lpData = Buffers[i].Data;
        header.dwBufferLength = BufferSize;
        if (WinMm.InPrepareHeader(Handle, &header, sizeof header) == MMSYSERR_NOERROR) {
            GiveBack(&header);
        }
    }
    Thread = std::thread([this] { Run(); });
    return WinMm.InStart(Handle) == MMSYSERR_NOERROR;
}

void CALLBACK TWinMmInput::Callback(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                    DWORD_PTR) {
    OpenInputs().With(instance, [&](TWinMmInput& input) { input.Report(message, param1); });
}

void TWinMmInput::Report(UINT message, DWORD_PTR param1) {
    switch (message) {
    case MIM_DATA:
    case MIM_MOREDATA:
        Reports.ShortMessage(static_cast<std::uint32_t>(param1));
        break;
    case MIM_LONGDATA:
    case MIM_LONGERROR: {
        auto* header = reinterpret_cast<MIDIHDR*>(param1);
        Reports.BufferDone(header, reinterpret_cast<const std::uint8_t*>(header->lpData),
                           header->dwBytesRecorded, message == MIM_LONGERROR);
        break;
    }
    case MIM_ERROR:
        Reports.Lost();
        break;
    default:
        return; // opening and closing need nothing
    }
    SetEvent(Wake);
}

void TWinMmInput::GiveBack(MIDIHDR* header) {
    header->dwBytesRecorded = 0; // not every driver starts a buffer afresh
    Reports.BufferQueued();
    if (WinMm.InAddBuffer(Handle, header, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        Reports.BufferRefused();
    }
}

void TWinMmInput::Run() {
    while (!Closing) {
        WaitForSingleObject(Wake, INFINITE);
        Deliver();
    }
    Stop();
}

// The buffers go back first: their bytes are copied out, and the driver is
// not to be kept waiting for them while the sink works.
void TWinMmInput::Deliver() {
    Reports.Take(Batch);
    for (void* header : Batch.Buffers) {
        GiveBack(static_cast<MIDIHDR*>(header));
    }
    // The layer has no trace of its own, and the loss explains a failure the
    // user is about to see, so it is told on the error stream.
    if (Batch.Lost) {
        std::fputs("MIDI input overrun: the MIDI driver lost input; the System Exclusive "
                   "message in progress is dropped\n",
                   stderr);
    }
    if (!Batch.Bytes.empty()) {
        Sink.Received(Batch.Bytes.data(), Batch.Bytes.size());
    }
}

// Resetting hands every buffer back; some may reach the callback only after
// the reset has returned. What they hold is no longer delivered.
void TWinMmInput::Stop() {
    WinMm.InReset(Handle);
    const auto deadline = std::chrono::steady_clock::now() + ReturnLimit;
    for (auto now = std::chrono::steady_clock::now();
         Reports.BuffersWithDriver() > 0 && now < deadline;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        WaitForSingleObject(Wake, static_cast<DWORD>(left.count()));
        Reports.Take(Batch);
    }
    if (Reports.BuffersWithDriver() > 0) {
        // The driver may still write into them: they are left to it.
        (void)Buffers.release();
    } else {
        for (std::size_t i = 0; i < BufferCount; ++i) {
            WinMm.InUnprepareHeader(Handle, &Buffers[i].Header, sizeof(MIDIHDR));
        }
    }
    WinMm.InClose(Handle);
}
