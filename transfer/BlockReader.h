// What the download and the verification share: a range of the engine's
// current wavesample fetched block by block. Each block is asked for, its
// acknowledgement, data header and data are awaited, and its words go to the
// class that reads them.
//
// The loop runs on the engine's DownloadState: the reply parser reads the
// data header and the data by it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "transfer/Transfer.h"

class TBlockReader : public TTransfer {
protected:
    using TTransfer::TTransfer;

    // Fetches the samples of range, showing the progress; true when every
    // block was taken.
    bool ReadBlocks(const TSampleRange& range);
    // Each block's words in turn, the first block first; false stops the
    // reading.
    virtual bool TakeBlock(std::span<const std::int32_t> words) = 0;

private:
    int Step(int state) override;
    void UserCancelled() override;
    int RequestBlock();
    int ReceiveBlock();

    std::int32_t First = 0;
    std::int32_t End = 0;
    std::int32_t BlockStart = 0;
    std::int32_t BlockEnd = 0;
    bool Completed = false;
};
