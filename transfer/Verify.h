// The verification of an upload: the samples the engine's current wavesample
// begins with, read back block by block and compared, sample for sample,
// with the frames of the WAVE file as the upload converts them. It stops at
// the first sample that differs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "transfer/BlockReader.h"
#include "transfer/WaveFile.h"

class TVerify : public TBlockReader {
public:
    // file: the WAVE file that was uploaded; frames: how many of its frames
    // the wavesample begins with.
    TVerify(TEps& eps, TTransferFrontEnd& frontEnd, const std::string& file, std::uint32_t frames);

    // The whole check; the report also goes to the front end.
    TTransferReport Run();

private:
    // The first sample that differs, as the sample words of the upload.
    struct TDifference {
        std::uint32_t Sample = 0;
        std::int16_t File = 0;
        std::int16_t Sampler = 0;
    };

    bool Prepare();
    void Transfer();
    bool TakeBlock(std::span<const std::int32_t> words) override;
    void Settle(bool completed);

    TWaveFormat Format;
    // The file's frames of the block on hand, converted.
    std::vector<std::int32_t> FileWords;
    std::uint32_t FramesRead = 0;
    std::optional<TDifference> Difference;
};
