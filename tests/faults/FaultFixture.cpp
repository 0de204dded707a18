#include "tests/faults/FaultFixture.h"

#include "transfer/Download.h"
#include "transfer/Upload.h"

namespace {

// The states a download or an upload passes once for every block.
bool RecursPerBlock(int state) {
    return state >= 2 && state <= 8;
}

} // namespace

TSamplerFaults FaultsOf(TFaultKind kind) {
    switch (kind) {
    case fkSilent:
        return {.Silent = true};
    case fkGarbage:
        return {.Garbage = true};
    case fkWrongInstrument:
        return {.WrongInstrument = true};
    case fkOtherChannel:
        return {.ReplyChannel = 9};
    }
    return {};
}

std::string NameOf(TFaultKind kind) {
    switch (kind) {
    case fkSilent:
        return "Silent";
    case fkGarbage:
        return "Garbage";
    case fkWrongInstrument:
        return "WrongInstrument";
    case fkOtherChannel:
        return "OtherChannel";
    }
    return "Unknown";
}

void FaultTest::SetUp() {
    TransferTest::SetUp();
    Eps->MidiIn->ByteTimeout = 1;
    Eps->ReplyTimeLimit = std::chrono::seconds(2);
}

void FaultTest::Heal() {
    ASSERT_TRUE(Sampler().WaitUntilIdle());
    Sampler().SetFaults({});
}

void FaultTest::ArmAt(const int& stateOf, int state, TFaultKind kind) {
    FrontEnd.OnEvents = [this, &stateOf, state, kind] {
        if (Injected || stateOf != state) {
            return;
        }
        if (RecursPerBlock(state) && FrontEnd.Progress.size() != 1) {
            return;
        }
        Injected = true;
        Sampler().SetFaults(FaultsOf(kind));
    };
}

TTransferReport FaultTest::Download(int instrument, int number, const std::string& file) {
    Eps->WaveSampleOpen = false;
    return Run<TDownload>(instrument, number, file);
}

TTransferReport FaultTest::Upload(const std::string& file, int instrument, int number) {
    return Run<TUpload>(instrument, number, file);
}

template <typename TWorkflow>
TTransferReport FaultTest::Run(int instrument, int number, const std::string& file) {
    FrontEnd.Targets = {{instrument, number}};
    FrontEnd.TargetChoices = 0;
    FrontEnd.File = file;
    FrontEnd.Progress.clear();
    TWorkflow workflow(*Eps, FrontEnd, UploadDownloadPath);
    workflow.SilenceLimit = SilenceLimit;
    return workflow.Run();
}
