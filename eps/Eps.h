// The protocol engine: the only code that talks to the sampler. It owns the
// two MIDI ports, builds every request, parses every reply and keeps what it
// learns: the current instrument and wavesample, their parameter blocks, the
// directory of the sampler, the display points of the view and the block
// buffer of a transfer. Used from the GUI thread only; every exchange blocks
// until the sampler has answered or fallen silent, or the owner cancels it
// from the calls it gets meanwhile to serve its window.
//
// Failures are results, never exceptions, except the ports' own hard
// failures (EMidiError), which leave the engine and reach the program's
// outermost handler; the owner's busy count stays balanced all the same.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "eps/EditHistory.h"
#include "eps/EpsDialogs.h"
#include "eps/EpsOwner.h"
#include "eps/ParameterBlocks.h"
#include "eps/ReplyResult.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"

constexpr int InstrumentCount = 8;
constexpr int ViewPointCount = 512;
constexpr int TransferBufferWords = 10240;
constexpr int MinBlockSize = 256;
constexpr int MaxBlockSize = TransferBufferWords;
constexpr int MaxDelay = 4000;

// OpenWavesample's results.
enum TOpenResult { orFailed = 0, orOpened = 1, orCopy = 2 };
// PutWaveSampleParameters' results: written, refused, or no answer at all.
enum TWriteResult { wrWritten = 1, wrFailed = 2, wrUnanswered = 3 };

class TEps {
public:
    using TViewPoints = std::array<std::int32_t, ViewPointCount>;

    // Both may be null: the engine then works without busy indicator, redraw
    // or dialogs, nothing cancels a wait, and a connection failure counts as
    // Cancel.
    explicit TEps(TEpsOwner* owner = nullptr, TEpsDialogs* dialogs = nullptr);
    ~TEps();
    TEps(const TEps&) = delete;
    TEps& operator=(const TEps&) = delete;

    // The dialogs exist only after the window that creates the engine.
    void SetDialogs(TEpsDialogs* dialogs) { Dialogs = dialogs; }

    // Current instrument 0..7 and wavesample 1..127; every request addresses
    // them.
    int Instrument = 0;
    int WaveSample = 1;
    bool WaveSampleOpen = false;
    // Where the open wavesample is: the browser may set Instrument and
    // WaveSample to another before the open one is closed.
    int OpenInstrument = 0;
    int OpenWaveSample = 1;
    TWaveSampleBlock WaveSampleParameters{};
    // Index of the last sample of the open wavesample.
    std::int32_t LastSample = 0;
    // The undo and redo steps of the open wavesample.
    TEditHistory History{*this};
    TInstrumentBlock InstrumentParameters{};

    // The directory, rebuilt by ReadConfiguration.
    std::array<bool, InstrumentCount> InstrumentPresent{};
    std::array<std::string, InstrumentCount> InstrumentName;
    // Slot j of instrument i holds wavesample j + 1.
    std::array<std::array<bool, InstrumentSlots>, InstrumentCount> WaveSampleUsed{};
    // 0-based; 0 also when no slot is free.
    std::array<int, InstrumentCount> FirstFreeWaveSample{};
    // The instrument the last ReadConfiguration could not read, and the reply
    // that came instead of its parameters; -1 when the scan was complete.
    int UnreadInstrument = -1;
    TReplyResult UnreadReply = rrNothing;

    TViewPoints ViewPoints{};
    // The points of the whole wavesample, kept to spare a request.
    TViewPoints FullViewPoints{};
    bool FullViewStale = true;
    // The view window: first sample, the sample after the last, and samples
    // per display point; a whole number of 512-point pages inside the
    // wavesample.
    std::int32_t ViewStart = 0;
    std::int32_t ViewEnd = 0;
    std::int32_t SamplesPerPoint = 0;
    bool Zoomed = false;

    // The transfer workflows' steps; the parser reads them too.
    int UploadState = 0;
    int DownloadState = 0;
    std::array<std::int32_t, TransferBufferWords> TransferBuffer{};

    std::unique_ptr<TMidiIn> MidiIn;
    std::unique_ptr<TMidiOut> MidiOut;

    // Words per transfer block, kept within 256..10240 so that a block always
    // fits the transfer buffer.
    int BlockSize() const { return BlockSizeValue; }
    void SetBlockSize(int words);
    // Milliseconds before each upload block, kept within 0..4000.
    int Delay() const { return DelayValue; }
    void SetDelay(int milliseconds);

    // The range the sampler announced for the download block on its way.
    std::int32_t DataStart = 0;
    std::int32_t DataEnd = 0;

    // The longest a reply is awaited while the sampler keeps asking to wait,
    // or keeps sending messages that are not for this program: well beyond
    // the slowest edit of a real sampler. A silent sampler is given up on
    // after the input port's byte time-out.
    std::chrono::milliseconds ReplyTimeLimit = std::chrono::minutes(3);

    // Parameter block.
    void ResetWaveSampleParameters();
    // SampleAddressOf, SetSampleAddressOf and PlayKeyOf on WaveSampleParameters.
    std::int32_t GetSampleAddress(int first) const;
    void SetSampleAddress(int first, std::int32_t sample);
    int GetPlayKey() const;

    // Framing and numbers.
    void SendHeader();
    void SendWord12(std::uint32_t value);
    void SendWord16(std::uint32_t value);
    void SendWord24(std::uint32_t value);

    // Requests. Each sends one message and returns; the caller reads the
    // answer with ProcessInput or WaitForReply. Ends of ranges are exclusive.
    void SendAck();
    void SendProbe(int value);
    void GetInstrumentParameters();
    void GetWaveSampleParameters();
    void GetWaveSampleData(std::int32_t start, std::int32_t end);
    void GetWaveSampleOverview(std::int32_t start, std::int32_t end);
    void SendInstrumentParametersHeader();
    void SendInstrumentParameterData();
    void SendWaveSampleParametersHeader();
    void SendWaveSampleParameterData();
    void SendWaveSampleDataHeader(std::int32_t start, std::int32_t end);
    void SendWaveSampleData(std::span<const std::int32_t> words);
    void CreateInstrument();
    void CreateLayer();
    void CreateWaveSample();
    void SendCloseRequest();

    // Edits, carried out by the sampler; all but CopyData make the cached
    // whole view stale. CopyData's to is inclusive.
    void ClearData(std::int32_t start, std::int32_t end);
    void CopyData(std::int32_t from, std::int32_t to, std::int32_t destination);
    void ScaleData(std::int32_t start, std::int32_t end, std::int32_t startLevel,
                   std::int32_t endLevel, int depth);
    void ReverseData(std::int32_t start, std::int32_t end);
    void FadeIn(std::int32_t start, std::int32_t end, int shape);
    void FadeOut(std::int32_t start, std::int32_t end, int shape);
    void NormalizeGain();

    // Channel messages.
    void SelectInstrument();
    void PlayNoteOn();
    void PlayNoteOff();

    // Replies.
    TReplyResult ProcessInput();
    // ProcessInput until something other than silence comes: messages for
    // another program are passed over, but a sampler silent for the byte
    // time-out, a Cancel of the owner or ReplyTimeLimit ends the wait with
    // rrNothing or rrNothingAfterWait.
    TReplyResult WaitForReply();
    // The last busy exchange was given up because the owner cancelled it.
    bool Cancelled() const { return CancelledFlag; }
    // The caller stopped waiting for the answer to its last request, on a
    // Cancel or a time limit of its own: the sampler may still answer it,
    // so the input is settled before the next request.
    void ExchangeGivenUp() { AnswerOwed = true; }
    // After an edit that got no answer: one warning says so and what to
    // check, unless the user gave the edit up himself.
    void ReportUnanswered();
    // The sampler has no room for the copy that would undo an edit: whether
    // the user wants the edit all the same. No without dialogs.
    bool AskEditWithoutUndo();
    bool ExpectHeader();
    bool ReadWord12(std::int32_t& value);
    bool ReadWord16(std::int32_t& value);
    bool ReadWord24(std::int32_t& value);
    bool ExpectWord12(std::int32_t value);

    // Connection and the open wavesample.
    // Opens the ports and probes the sampler, showing the connection dialog
    // on failure and trying again while the user answers Retry.
    bool CheckConnection();
    // One try of the check without the dialog: why the sampler cannot be
    // reached, nothing when it answers.
    std::optional<NoEpsReason> ProbeConnection();
    // With prepare, opens the current wavesample for editing; without it,
    // only reads its parameters.
    TOpenResult OpenWavesample(bool prepare);
    void CloseWavesample();

    // Where a wavesample set aside for a transfer stood.
    struct TAsidePlace {
        int Instrument = 0;
        int WaveSample = 1;
        std::int32_t ViewStart = 0;
        std::int32_t ViewEnd = 0;
    };
    // Closes the open wavesample for a transfer but keeps its view and undo
    // history, so that TakeUpWavesample can open it as it was; nothing when
    // none is open. The history's copies lie in the wavesample's own spare
    // memory, which a transfer of other wavesamples does not touch.
    void SetAsideWavesample();
    const std::optional<TAsidePlace>& Aside() const { return AsidePlace; }
    // Opens the wavesample set aside again: with its view and history when
    // kept; as newly opened when a transfer wrote into it.
    TOpenResult TakeUpWavesample(bool kept);
    // Forgets the wavesample set aside, and its history, without a word to
    // the sampler (which may not be answering).
    void DropAside();
    TWriteResult PutWaveSampleParameters();

    // The view.
    void SetViewStart(std::int32_t sample);
    void SetViewEnd(std::int32_t sample);
    void NormalizeView();
    void SaveFullView();
    void RestoreFullView();
    bool RefreshView();
    // The owner's command states and redraw, after a change the engine made
    // outside an exchange that calls them.
    void UpdateCommands();
    void UpdateView();

    // Directory and names. Only the sampler's own "no such instrument" makes
    // an instrument absent; any other answer stops the scan with false, since
    // a directory with a loaded instrument missing would offer its slots as
    // free and an upload there would overwrite it.
    bool ReadConfiguration();
    bool RenameInstrument(int instrument, std::string_view name);
    // Reads the directory's entry for one instrument that the directory does
    // not know yet, as one made by an upload: for its name, without reading
    // every instrument.
    void LookUpInstrument(int instrument);
    // The parameter block of an instrument into InstrumentParameters:
    // rrInstrumentParameters, or the reply that came instead.
    TReplyResult ReadInstrument(int instrument);
    // InstrumentParameters to an instrument.
    TWriteResult WriteInstrument(int instrument);
    // The parameter block of wavesample waveSample (1..127) of instrument
    // into WaveSampleParameters, for a look at it: rrWaveSampleParameters,
    // or the reply that came instead. The current instrument and wavesample
    // stay.
    TReplyResult ReadWaveSampleBlock(int instrument, int waveSample);

private:
    // BeginBusy for the life of the object, so that a port failure thrown
    // through an exchange does not leave the busy count raised. Only inside
    // one may the owner cancel a wait; the outermost one ends an exchange
    // that was cancelled.
    class TBusy {
    public:
        explicit TBusy(TEps& eps);
        ~TBusy();
        TBusy(const TBusy&) = delete;
        TBusy& operator=(const TBusy&) = delete;

    private:
        TEps& Eps;
    };

    void SendByte(std::uint8_t byte);
    void SendEnd();
    void SendRequest(std::uint8_t code);
    void SendAddressOf(int waveSample);
    void SendAddress();
    void SendRange(std::int32_t start, std::int32_t end);
    void SendAddressRequest(std::uint8_t code);
    void SendCreateRequest(std::uint8_t code);
    // The code, the address and the range, without the end of the message.
    void StartRangeRequest(std::uint8_t code, std::int32_t start, std::int32_t end);
    void SendRangeRequest(std::uint8_t code, std::int32_t start, std::int32_t end);
    void SendFade(std::uint8_t code, std::int32_t start, std::int32_t end, int shape);
    void SendDataMessage(std::span<const std::int32_t> words);

    // How received data words are stored: parameter words as they come,
    // display points as 16-bit samples.
    enum TDataKind { dkParameters, dkView };

    std::optional<TReplyResult> ReadResponse();
    TReplyResult ReadInstrumentParameters();
    TReplyResult ReadWaveSampleParameters();
    TReplyResult ReadWaveSampleData();
    TReplyResult ReadOverview();
    TReplyResult ReadDataHeader();
    bool ReadAddress();
    bool ReadViewHeader();
    bool ReadDataPart(std::span<std::int32_t> destination, TDataKind kind);
    // Asks for the data message of a header just read, of this many words.
    void AcknowledgeData(std::size_t words);
    TReplyResult ReadDownloadData();
    bool AnnouncedBlockFits() const;
    void ShowWarning(std::string_view text, TMessageCaption caption);

    // One pass of CheckConnection; retry tells whether the user asked for
    // another.
    bool CheckConnectionOnce(bool& retry);
    // Lets in and drops what arrives until the input has stayed quiet for
    // `quiet` once the cable has carried what was sent and the data message
    // last asked for, since nothing can be answered or come whole before;
    // at most until `limit` after that.
    void SettleInput(std::chrono::milliseconds quiet, std::chrono::milliseconds limit);
    // For a line that should have nothing more to say.
    // ProbeConnection inside a busy exchange.
    std::optional<NoEpsReason> ProbeSampler();
    void SettleInput();
    TModalResult ShowConnectionFailure(NoEpsReason reason);
    TOpenResult ReadParameters();
    // Closes the open wavesample; its history ends unless it is kept for
    // the wavesample to be taken up again.
    void Close(bool endHistory);
    bool PrepareWorkArea();
    bool FetchView();

    void ReadInstrumentEntry(int instrument);
    bool WriteInstrumentName(std::string_view name);
    // ReadInstrument and WriteInstrument for the current
    // instrument, inside an exchange that is busy already.
    TReplyResult FetchInstrumentParameters();
    TWriteResult SendInstrumentParameters();
    // An exchange about another instrument than the current one, which is
    // current again afterwards.
    template <typename TExchange> auto ForInstrument(int instrument, TExchange exchange) {
        TBusy busy(*this);
        const int current = Instrument;
        Instrument = instrument;
        const auto result = exchange();
        Instrument = current;
        return result;
    }
    // A parameter block written: its header, then its data once the header
    // is acknowledged.
    TWriteResult SendParameterBlock(void (TEps::*header)(), void (TEps::*data)());

    bool OwnerWantsWaiting();
    void EndCancelledExchange();
    // Before a request: once after an exchange that was given up.
    void SettleOwedAnswer();
    // One reply read and classified; ProcessInput also notes what it tells
    // of the line.
    TReplyResult ReadReply();

    TEpsOwner* Owner;
    TEpsDialogs* Dialogs;
    // Nesting of TBusy.
    int BusyDepth = 0;
    bool CancelledFlag = false;
    // An exchange that was given up may still be answered: by a sampler
    // still busy with it, or once the cable has carried its request.
    bool AnswerOwed = false;
    // When the data message last acknowledged will have come whole; past
    // once it has.
    std::chrono::steady_clock::time_point DataDue{};
    // The range of the last data request: a download block must be this one.
    std::int32_t RequestedStart = 0;
    std::int32_t RequestedEnd = 0;
    int BlockSizeValue = MinBlockSize;
    int DelayValue = 0;
    std::optional<TAsidePlace> AsidePlace;
    // While a wavesample set aside is taken up with its view and history.
    std::optional<TAsidePlace> Resuming;
};
