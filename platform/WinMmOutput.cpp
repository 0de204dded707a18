#include "platform/WinMmOutput.h"

#include <thread>

#include "platform/MidiBytes.h"

namespace {

// Beyond its wire time, how long a long buffer may take the driver.
constexpr auto DriverSlack = std::chrono::seconds(5);
// How long the driver has to hand a buffer back after a reset.
constexpr auto ResetLimit = std::chrono::seconds(1);

} // namespace

std::unique_ptr<TWinMmOutput> TWinMmOutput::Open(const TWinMm& winMm, UINT device) {
    std::unique_ptr<TWinMmOutput> output(new TWinMmOutput(winMm));
    if (output->Done == nullptr ||
        winMm.OutOpen(&output->Handle, device, reinterpret_cast<DWORD_PTR>(output->Done), 0,
                      CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        output->Handle = nullptr;
        return nullptr;
    }
    return output;
}

TWinMmOutput::TWinMmOutput(const TWinMm& winMm)
    : WinMm(winMm), Done(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      Long(std::make_unique<TLongMessage>()) {}

TWinMmOutput::~TWinMmOutput() {
    if (Handle != nullptr) {
        WinMm.OutReset(Handle);
        WinMm.OutClose(Handle);
    }
    if (Done != nullptr) {
        CloseHandle(Done);
    }
}

bool TWinMmOutput::Send(const std::uint8_t* data, std::size_t count) {
    bool sent = Long != nullptr;
    Splitter.Split(data, count,
                   [&](const TMidiPieces::TPiece& piece) { sent = sent && Output(piece); });
    // A message not finished in these bytes goes out as far as it came: the
    // caller expects them on their way when Send returns.
    sent = sent && SendLong();
    if (Long) {
        Long->Data.clear();
    }
    return sent;
}

bool TWinMmOutput::Output(const TMidiPieces::TPiece& piece) {
    if (!piece.SysEx) {
        return SendLong() && SendShort(piece.Bytes);
    }
    Long->Data.insert(Long->Data.end(), piece.Bytes.begin(), piece.Bytes.end());
    return piece.Bytes.back() != SysExEnd || SendLong();
}

bool TWinMmOutput::SendShort(std::span<const std::uint8_t> bytes) {
    const auto start = std::chrono::steady_clock::now();
    if (WinMm.OutShortMsg(Handle, PackShortMessage(bytes.data(), bytes.size())) !=
        MMSYSERR_NOERROR) {
        return false;
    }
    Pace(bytes.size(), start);
    return true;
}

bool TWinMmOutput::SendLong() {
    if (Long->Data.empty()) {
        return true;
    }
    const auto start = std::chrono::steady_clock::now();
    MIDIHDR& header = Long->Header;
    header = MIDIHDR{};
    header.lpData = Long->Data.data();
    header.dwBufferLength = static_cast<DWORD>(Long->Data.size());
    if (WinMm.OutPrepareHeader(Handle, &header, sizeof header) != MMSYSERR_NOERROR) {
        return false;
    }
    const auto wireTime = TMidiPieces::PaceDelay(Long->Data.size(), {});
    bool sent = WinMm.OutLongMsg(Handle, &header, sizeof header) == MMSYSERR_NOERROR;
    if (sent && !WaitDone(wireTime + DriverSlack)) {
        sent = false;
        WinMm.OutReset(Handle);
        if (!WaitDone(ResetLimit)) {
            (void)Long.release();
            return false;
        }
    }
    WinMm.OutUnprepareHeader(Handle, &header, sizeof header);
    Long->Data.clear();
    if (sent) {
        Pace(header.dwBufferLength, start);
    }
    return sent;
}

// The driver sets the done flag before it signals, and may signal for other
// reasons (the device opening), so the flag decides.
bool TWinMmOutput::WaitDone(std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while ((Long->Header.dwFlags & MHDR_DONE) == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        WaitForSingleObject(Done, static_cast<DWORD>(left.count()));
    }
    return true;
}

void TWinMmOutput::Pace(std::size_t bytes, std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::this_thread::sleep_for(TMidiPieces::PaceDelay(bytes, elapsed));
}
