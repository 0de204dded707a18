// The download: a wavesample of the sampler into a WAVE file. It settles the
// wavesample (the one open for editing, or one chosen in the browser), asks
// for the file, writes the whole header at once and then fetches the sample
// data block by block, writing each block as it arrives.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "transfer/BlockReader.h"

class TDownload : public TBlockReader {
public:
    TDownload(TEps& eps, TTransferFrontEnd& frontEnd, std::string& uploadDownloadPath);

    // The whole command; the report also goes to the front end.
    TTransferReport Run();

    // Saves all the memory the wavesample's addresses reach, from address 0
    // (MemoryRangeOf), in place of the samples it plays; the loop in the
    // file's "smpl" chunk is then counted from address 0 too. A backup
    // keeps so what lies before the start marker and after the end.
    void SaveWholeMemory() { WholeMemory = true; }

private:
    bool Prepare();
    // The browser until a wavesample's parameters could be read.
    bool ChooseWaveSample();
    // Why the wavesample cannot become a WAVE file, if it cannot.
    std::optional<std::string> NothingToSave() const;
    bool CreateFile();
    void Transfer();
    bool TakeBlock(std::span<const std::int32_t> words) override;
    // Closes the file, noticing a write that failed on the way. A file that
    // got every sample ends with the root key and loop for other tools and
    // every parameter word for this program's upload; the header of one that
    // did not is rewritten for the samples it holds, so that players do not
    // read past them.
    bool CloseFile();
    void Settle(bool completed, bool written);

    bool WholeMemory = false;
    // The addresses saved.
    TSampleRange Saved;
    std::uint32_t Rate = 0;
    bool Completed = false;
};
