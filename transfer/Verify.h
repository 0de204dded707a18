// The verification of an upload: the samples the engine's current wavesample
// begins with, read back block by block and compared, sample for sample,
// with the words the upload made of the sound file, decoded the same way
// again. It stops at the first sample that differs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "transfer/BlockReader.h"

class TVerify : public TBlockReader {
public:
    // file: the sound file that was uploaded; frames: how many of its words
    // the wavesample begins with.
    TVerify(TEps& eps, TTransferFrontEnd& frontEnd, const std::string& file, std::uint32_t frames);

    // Before Run: the upload kept the file's rate.
    bool KeepRate = false;

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

    // The words the upload made of the file.
    std::vector<std::int16_t> FileWords;
    std::uint32_t FramesRead = 0;
    std::optional<TDifference> Difference;
};
