// The connection, the open wavesample and its view.
#include <algorithm>
#include <thread>

#include "debug/DebugDevice.h"
#include "eps/Eps.h"

namespace {

// The value the connection test sends; any sampler answers it.
constexpr int ProbeValue = 35;
// The sampler needs a moment after the program changes before it serves
// data of the instrument they select.
constexpr auto ViewFetchPause = std::chrono::milliseconds(100);
// An overview request covers twice the window it fills.
constexpr int OverviewSpan = 2 * ViewPointCount;
// How long the input must stay quiet before the probe goes out, and the
// longest the connection check waits for that.
constexpr auto QuietTime = std::chrono::milliseconds(20);
constexpr auto SettleLimit = std::chrono::seconds(1);

} // namespace

bool TEps::CheckConnection() {
    for (;;) {
        bool retry = false;
        const bool connected = CheckConnectionOnce(retry);
        if (!retry) {
            return connected;
        }
    }
}

// The dialog is answered inside the busy span, where a Cancel of the probe is
// still known: the user who gave up is not told of a failure.
bool TEps::CheckConnectionOnce(bool& retry) {
    TBusy busy(*this);
    const std::optional<NoEpsReason> failure = ProbeSampler();
    if (!failure) {
        return true;
    }
    const TModalResult answer = ShowConnectionFailure(*failure);
    // Only the sampler's failures are worth another try as they stand.
    retry = (*failure == neNoAnswer || *failure == neSystemDisk) && answer == mrRetry;
    return false;
}

std::optional<NoEpsReason> TEps::ProbeConnection() {
    TBusy busy(*this);
    return ProbeSampler();
}

std::optional<NoEpsReason> TEps::ProbeSampler() {
    if (!MidiIn->Open()) {
        return neMidiIn;
    }
    if (!MidiOut->Open()) {
        return neMidiOut;
    }
    SettleInput();
    SendProbe(ProbeValue);
    switch (ProcessInput()) {
    case rrNothing:
        // A line that went dead (a connection that dropped) stays dead while
        // the ports are open: the next try opens them afresh.
        MidiIn->Close();
        MidiOut->Close();
        return neNoAnswer;
    case rrNothingAfterWait:
        return neSystemDisk;
    default:
        // Any answer, even a refusal, shows that a sampler listens.
        return std::nullopt;
    }
}

void TEps::SettleInput(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) {
    using TClock = std::chrono::steady_clock;
    const TClock::time_point carried = std::max({TClock::now(), MidiOut->CarriedBy(), DataDue});
    const TClock::time_point giveUp = carried + limit;
    const auto quietSpell = [&] {
        return std::max(
            quiet, std::chrono::ceil<std::chrono::milliseconds>(carried - TClock::now()) + quiet);
    };
    MidiIn->ClearInput();
    while (MidiIn->WaitForInput(1, quietSpell()) && TClock::now() < giveUp) {
        MidiIn->ClearInput();
    }
    MidiIn->ClearInput();
}

void TEps::SettleInput() {
    SettleInput(QuietTime, SettleLimit);
}

// After a Cancel the user knows why there is no connection.
TModalResult TEps::ShowConnectionFailure(NoEpsReason reason) {
    if (Dialogs == nullptr || MidiIn->Interrupted()) {
        return mrCancel;
    }
    return Dialogs->ShowConnectionFailure(reason);
}

TOpenResult TEps::OpenWavesample(bool prepare) {
    TBusy busy(*this);
    MidiIn->ClearInput();
    CloseWavesample();
    DebugWriteLn(DebugDevice, "## OPEN WS ##");
    SelectInstrument();
    GetWaveSampleParameters();
    TOpenResult result = ReadParameters();
    if (result == orOpened && prepare && !PrepareWorkArea()) {
        result = orFailed;
    }
    if (prepare && result == orOpened) {
        RefreshView();
        WaveSampleOpen = true;
        OpenInstrument = Instrument;
        OpenWaveSample = WaveSample;
    } else {
        WaveSampleOpen = false;
    }
    UpdateCommands();
    return result;
}

TOpenResult TEps::ReadParameters() {
    if (ProcessInput() != rrAck) {
        return orFailed;
    }
    if (ProcessInput() != rrWaveSampleParameters) {
        DebugWriteLn(DebugDevice, "Error getting Parameters");
        return orFailed;
    }
    return HighByte(WaveSampleParameters[wpCopyOf]) != 0 ? orCopy : orOpened;
}

// Edits need room behind the data: the wavesample's own data is copied
// behind itself, doubling the area each pass, until it reaches past twice
// the data, and that stretch is then cleared. The end parameter stays as it
// was. Each copy lands on the first position not yet covered, so the
// wavesample's last sample is never overwritten and a one-sample wavesample
// still grows.
bool TEps::PrepareWorkArea() {
    LastSample = GetSampleAddress(wpSampleEnd);
    const std::int32_t target = (LastSample & ~0x1FF) * 2 + 1024;
    std::int32_t pos = LastSample + 1;
    while (pos <= target) {
        const std::int32_t n = std::min(target + 1 - pos, pos);
        CopyData(0, n - 1, pos);
        if (ProcessInput() != rrAck) {
            return false;
        }
        pos += n;
    }
    ClearData(LastSample + 1, target + 1);
    if (ProcessInput() != rrAck) {
        return false;
    }
    if (Resuming) {
        ViewStart = Resuming->ViewStart;
        ViewEnd = Resuming->ViewEnd;
        History.Resume(target + 1);
    } else {
        ViewStart = 0;
        ViewEnd = LastSample + 1;
        History.Start(target + 1);
    }
    return true;
}

void TEps::CloseWavesample() {
    Close(true);
}

void TEps::SetAsideWavesample() {
    if (WaveSampleOpen) {
        AsidePlace = TAsidePlace{OpenInstrument, OpenWaveSample, ViewStart, ViewEnd};
        Close(false);
    }
}

TOpenResult TEps::TakeUpWavesample(bool kept) {
    const TAsidePlace place = AsidePlace.value_or(TAsidePlace{Instrument, WaveSample});
    AsidePlace.reset();
    if (!kept) {
        History.Abandon();
    }
    Instrument = place.Instrument;
    WaveSample = place.WaveSample;
    Resuming = kept ? std::optional(place) : std::nullopt;
    const TOpenResult result = OpenWavesample(true);
    Resuming.reset();
    return result;
}

void TEps::DropAside() {
    AsidePlace.reset();
    History.Abandon();
}

void TEps::Close(bool endHistory) {
    if (WaveSampleOpen) {
        TBusy busy(*this);
        // Its parameters go back to where they came from, whatever the
        // current wavesample is now.
        struct TAddressed {
            TEps& Eps;
            const int Instrument = Eps.Instrument;
            const int WaveSample = Eps.WaveSample;
            ~TAddressed() {
                Eps.Instrument = Instrument;
                Eps.WaveSample = WaveSample;
            }
        } current{*this};
        Instrument = OpenInstrument;
        WaveSample = OpenWaveSample;
        DebugWriteLn(DebugDevice, "## CLOSE WS ##");
        if (endHistory) {
            History.End();
        }
        // A failed write is sent again whole by the next one. A sampler that
        // did not answer it is told to close all the same, but not waited
        // for a second time.
        const bool answered = PutWaveSampleParameters() != wrUnanswered;
        SendCloseRequest();
        if (answered) {
            ProcessInput();
        }
        WaveSampleOpen = false;
        UpdateCommands();
        // The owner's picture of it goes too, also when a transfer sets it
        // aside and paints nothing else until it ends.
        UpdateView();
    }
    FullViewStale = true;
}

TWriteResult TEps::PutWaveSampleParameters() {
    TBusy busy(*this);
    return SendParameterBlock(&TEps::SendWaveSampleParametersHeader,
                              &TEps::SendWaveSampleParameterData);
}

TWriteResult TEps::SendParameterBlock(void (TEps::*header)(), void (TEps::*data)()) {
    (this->*header)();
    TReplyResult reply = ProcessInput();
    if (reply == rrAck) {
        (this->*data)();
        reply = ProcessInput();
    }
    if (reply == rrAck) {
        return wrWritten;
    }
    return IsUnanswered(reply) ? wrUnanswered : wrFailed;
}

void TEps::SetViewStart(std::int32_t sample) {
    ViewStart = std::min(sample, LastSample - (ViewPointCount - 1));
    ViewStart = std::max(ViewStart, 0);
}

void TEps::SetViewEnd(std::int32_t sample) {
    ViewEnd = std::min(sample, LastSample + 1);
    ViewEnd = std::max(ViewEnd, ViewPointCount);
}

// Makes the window a whole number of pages wide, keeping its start where it
// can and moving it back where the wavesample ends.
void TEps::NormalizeView() {
    // At least one sample per point, even for a window given backwards.
    SamplesPerPoint = std::max((ViewEnd - ViewStart - 1) / ViewPointCount + 1, 1);
    SetViewEnd(ViewStart + ViewPointCount * SamplesPerPoint);
    SetViewStart(ViewEnd - ViewPointCount * SamplesPerPoint);
}

void TEps::SaveFullView() {
    FullViewPoints = ViewPoints;
    FullViewStale = false;
}

void TEps::RestoreFullView() {
    ViewPoints = FullViewPoints;
    FullViewStale = false;
}

bool TEps::RefreshView() {
    bool fetched = true;
    {
        TBusy busy(*this);
        NormalizeView();
        Zoomed = !(ViewStart == 0 && ViewEnd == LastSample + 1);
        if (!Zoomed && !FullViewStale) {
            RestoreFullView();
        } else {
            fetched = FetchView();
        }
        UpdateCommands();
    }
    UpdateView();
    return fetched;
}

bool TEps::FetchView() {
    MidiIn->ClearInput();
    SelectInstrument();
    std::this_thread::sleep_for(ViewFetchPause);
    if (SamplesPerPoint > 1) {
        GetWaveSampleOverview(ViewStart, ViewStart + SamplesPerPoint * OverviewSpan);
        // Over a long window the sampler may ask to wait before it answers.
        const bool fetched = WaitForReply() == rrAck && ProcessInput() == rrOverview;
        if (fetched && !Zoomed) {
            SaveFullView();
        }
        return fetched;
    }
    GetWaveSampleData(ViewStart, ViewStart + ViewPointCount);
    return ProcessInput() == rrAck && ProcessInput() == rrData;
}
