// The upload: a sound file into a wavesample of the sampler. It decodes the
// file into the words a wavesample plays at the file's pitch (TSoundFile),
// lets the user choose the target, says what it is about to send and sends
// the words block by block, each announced by a header the sampler must
// acknowledge, then the wavesample's parameters: every word a downloaded file saved, when it holds
// them, else the default block. When the sampler lacks the instrument, its
// layer or the wavesample, the upload creates it and sends the block again;
// when the sampler is not ready for the next block, it waits longer before
// each.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transfer/SoundFile.h"
#include "transfer/Transfer.h"
#include "transfer/WaveFile.h"

class TUpload : public TTransfer {
public:
    TUpload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);

    // Before Run: the file's own rate by the nearest period RateToPeriod
    // gives, never resampled (deeper samples are still rounded to 16 bits).
    bool KeepRate = false;

    // The whole command; the report also goes to the front end.
    TTransferReport Run();

    // Before Run: these words take the place of the file's "tvwp" chunk,
    // which is then not read, for a caller that kept them elsewhere. They
    // are made the upload's own as the chunk's would be.
    void UseWords(const TWaveSampleBlock& words);
    // Before Run: an upload into wavesample 1 leaves the instrument's name.
    void KeepInstrumentName();
    // Before Run: the upload writes into the wavesample chosen or not at
    // all. A refusal it would repair stops it instead, since what it would
    // create may be another slot (the sampler fills the lowest free one).
    void KeepTarget() { FixedTarget = true; }
    // Before Run: the job the user started, which the closing words name
    // ("The restore was cancelled after ..."); the upload by default.
    void NameJob(std::string job) { Job = std::move(job); }
    // The words the file becomes, known once the file is decoded: from the
    // front end's ChooseTarget on.
    std::uint32_t Frames() const { return Report.Total; }

    // Why a file cannot be uploaded, checked and decoded as the upload does
    // at its own rate; the words it becomes otherwise.
    static std::optional<std::string> Inspect(const std::string& file, std::uint32_t& frames);
    // The time words take on a MIDI cable in blocks of blockSize: three
    // bytes a word, and each block's header, data framing and the
    // sampler's two acknowledgements.
    static double CableSeconds(std::uint32_t words, int blockSize);

private:
    bool Prepare();
    bool OpenFile();
    // The sound and the "smpl" chunk of a file, refusing a file that cannot
    // be decoded or that a wavesample cannot hold, and a loop outside its
    // frames; the words otherwise.
    static std::optional<std::string> Examine(std::FILE* stream, const std::string& name,
                                              TSoundFile& sound, std::optional<TWaveLoop>& loop,
                                              std::vector<std::int16_t>& samples);
    // The "tvwp" chunk's words, refusing a damaged chunk.
    bool ReadWords();
    void Transfer();
    int Step(int state) override;
    // The next block's words into the engine's transfer buffer.
    void TakeBlock();
    // The states that create what the sampler said was missing.
    int RepairStep(int state);
    // Goes on to the repair's first step unless this block had that repair
    // already: a sampler that takes the repair and still refuses the block
    // would otherwise have the upload create until its memory is full.
    int Repair(TReplyResult reply, unsigned kind, int step);
    // What a repair creates, for the message when it did not help.
    static const char* RepairText(unsigned kind);
    void SetParameters();
    // Whether the file's "smpl" chunk says something the words do not: a
    // chunk another tool rewrote after the download.
    bool LoopEdited() const;
    // The loop moved with the conversion's ratio onto the words.
    void SetLoop(const TWaveLoop& loop);
    // The file's frame as a word.
    std::int32_t Scaled(std::uint32_t frame) const;
    void SendBlockHeader();
    int AnswerBlockHeader();
    void SendBlock();
    int AcceptBlock();
    int CheckParameters();
    void RaiseDelay();
    // After an upload into wavesample 1 the instrument takes the file's name,
    // unless the caller keeps it.
    void NameInstrument();
    void Settle();
    // What a stopped upload left changed in the sampler, for its message.
    std::string LeftChanged();
    // The samples the target plays after a stopped upload.
    std::optional<TSampleRange> PlayedAfterwards();

    // What the upload creates when the sampler lacks it, as bits.
    enum TRepairKind : unsigned { rkInstrument = 1, rkLayer = 2, rkWaveSample = 4 };

    // The file and the words it became, all decoded before the target is
    // chosen.
    std::unique_ptr<TSoundFile> Sound;
    std::vector<std::int16_t> Samples;
    // The root key and loop the file's "smpl" chunk gives, if it has one.
    std::optional<TWaveLoop> Loop;
    // The parameter words of the file's "tvwp" chunk or of UseWords; empty
    // for the default block.
    std::optional<TWaveSampleBlock> Words;
    bool KeepName = false;
    bool FixedTarget = false;
    // The repairs made for the block on its way, and the one the sampler
    // refused the block after.
    unsigned Repairs = 0;
    unsigned RepairInVain = 0;
    // What the sampler lacked when the target was fixed.
    unsigned Missing = 0;
    // What the closing words call the job: "upload", or the job it serves.
    std::string Job = "upload";
    // Every repair made: what the upload created.
    unsigned Created = 0;
    std::uint32_t FirstFrame = 0;
    std::uint32_t FramesRead = 0;
    bool Completed = false;
    bool ParametersTaken = false;
    // The addresses were written for the samples of a stopped upload.
    bool MadePlayable = false;
    // Whether the instrument took the file's name; empty when it was not to.
    std::optional<bool> Renamed;
};
