// Fault injection: the engine, ports and workflows against a virtual sampler
// whose fault knobs are turned at a chosen moment. Reads give up after 1 s
// instead of 10 s and WaitForReply after 2 s, so that a silent sampler costs
// seconds, not minutes; one test keeps the real 10 s.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "emulator/SamplerFaults.h"
#include "tests/transfer/TransferFixture.h"

enum TFaultKind { fkSilent, fkGarbage, fkWrongInstrument, fkOtherChannel };

inline constexpr TFaultKind AllFaults[] = {fkSilent, fkGarbage, fkWrongInstrument, fkOtherChannel};

TSamplerFaults FaultsOf(TFaultKind kind);
// For test names.
std::string NameOf(TFaultKind kind);

class FaultTest : public TransferTest {
protected:
    // How long a transfer's wait state listens to a silent sampler here.
    static constexpr auto SilenceLimit = std::chrono::milliseconds(300);

    void SetUp() override;

    // Turns the knobs the first time the transfer loop is about to perform
    // state. A state that recurs for every block is taken in the second
    // block, so that the first has been transferred.
    void ArmAt(const int& stateOf, int state, TFaultKind kind);
    bool Armed() const { return Injected; }
    // The sampler behaves again from its next request on, once it has
    // answered (or failed to answer) everything it was sent.
    void Heal();

    // The whole download of wavesample number of instrument (0-based) into
    // file, or upload of file into it, with the browser and file dialog
    // answered at once.
    TTransferReport Download(int instrument, int number, const std::string& file);
    TTransferReport Upload(const std::string& file, int instrument, int number);

    // Runs what and returns how long it took.
    template <typename TAction> static std::chrono::milliseconds Timed(TAction what) {
        const auto start = std::chrono::steady_clock::now();
        what();
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }

private:
    template <typename TWorkflow>
    TTransferReport Run(int instrument, int number, const std::string& file);

    bool Injected = false;
};
