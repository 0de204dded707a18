// The upload: a WAVE file into a wavesample of the sampler. It reads the
// file's header, lets the user choose the target and sends the frames block
// by block, each announced by a header the sampler must acknowledge, then the
// wavesample's parameters. When the sampler lacks the instrument, its layer
// or the wavesample, the upload creates it and sends the block again; when
// the sampler is not ready for the next block, it waits longer before each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transfer/Transfer.h"
#include "transfer/WaveFile.h"

class TUpload : public TTransfer {
public:
    TUpload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);

    // The whole command; the report also goes to the front end.
    TTransferReport Run();

    // The parameter words the wavesample gets, in place of the file's.
    void UseWords(const TWaveSampleBlock& words) { Words = words; }
    // After an upload into wavesample 1 the instrument keeps its name.
    void KeepInstrumentName() { NameAfterFile = false; }

    // Why a file cannot be uploaded, checked as the upload checks it; its
    // frames otherwise.
    static std::optional<std::string> Inspect(const std::string& file, std::uint32_t& frames);

private:
    bool Prepare();
    bool OpenFile();
    static std::optional<std::string> Examine(std::FILE* stream, const std::string& name,
                                              TWaveFormat& format, std::optional<TWaveLoop>& loop);
    void Transfer();
    int Step(int state) override;
    // The states that create what the sampler said was missing.
    int RepairStep(int state);
    // Goes on to the repair's first step unless this block had that repair
    // already: a sampler that takes the repair and still refuses the block
    // would otherwise have the upload create until its memory is full.
    int Repair(TReplyResult reply, unsigned kind, int step);
    // What a repair creates, for the message when it did not help.
    static const char* RepairText(unsigned kind);
    void SetParameters();
    void SetLoop(const TWaveLoop& loop);
    void SendBlockHeader();
    int AnswerBlockHeader();
    void SendBlock();
    int AcceptBlock();
    int CheckParameters();
    void RaiseDelay();
    // After an upload into wavesample 1 the instrument takes the file's name.
    void NameInstrument();
    void Settle();
    // What a stopped upload left changed in the sampler, for its message.
    std::string LeftChanged() const;

    // What the upload creates when the sampler lacks it, as bits.
    enum TRepairKind : unsigned { rkInstrument = 1, rkLayer = 2, rkWaveSample = 4 };

    TWaveFormat Format;
    // The root key and loop the file's "smpl" chunk gives, if it has one.
    std::optional<TWaveLoop> Loop;
    // The repairs made for the block on its way, and the one the sampler
    // refused the block after.
    unsigned Repairs = 0;
    unsigned RepairInVain = 0;
    // Every repair made: what the upload created.
    unsigned Created = 0;
    std::uint32_t FirstFrame = 0;
    std::uint32_t FramesRead = 0;
    bool Completed = false;
    bool ParametersTaken = false;
    std::optional<TWaveSampleBlock> Words;
    bool NameAfterFile = true;
    // Whether the instrument took the file's name; empty when it was not to.
    std::optional<bool> Renamed;
};
