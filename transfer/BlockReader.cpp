#include "transfer/BlockReader.h"

bool TBlockReader::ReadBlocks(const TSampleRange& range) {
    First = range.First;
    // The requests name the sample after the last.
    End = range.End();
    Completed = false;
    Eps.DownloadState = 1;
    RunLoop(Eps.DownloadState, "State :");
    return Completed;
}

int TBlockReader::Step(int state) {
    switch (state) {
    case 1:
        StartClock();
        BlockStart = First;
        return 2;
    case 2:
        return RequestBlock();
    case 3:
        return Await(ResponseBytes, 3, 4);
    case 4:
        return Expect(rrAck, 5);
    // The sampler's answer to a data request: an acknowledgement, a data
    // header and the data message.
    case 5:
        return Await(DataHeaderBytes, 5, 6);
    case 6:
        return Expect(rrDataHeader, 7);
    case 7:
        return Await(3 * static_cast<std::uint32_t>(BlockEnd - BlockStart) + DataFramingBytes, 7,
                     8);
    case 8:
        return ReceiveBlock();
    default:
        return 0;
    }
}

void TBlockReader::UserCancelled() {
    Trace("User pressed Cancel");
}

int TBlockReader::RequestBlock() {
    BlockEnd = BlockStart + Eps.BlockSize();
    if (End < BlockEnd) {
        BlockEnd = End;
    }
    Eps.GetWaveSampleData(BlockStart, BlockEnd);
    Trace("GetWaveSampleData(" + std::to_string(BlockStart) + "," + std::to_string(BlockEnd) + ")");
    return 3;
}

int TBlockReader::ReceiveBlock() {
    const TReplyResult reply = Eps.ProcessInput();
    if (reply != rrData) {
        Trace("No data received");
        return Stop(reply);
    }
    if (!TakeBlock(std::span<const std::int32_t>(
            Eps.TransferBuffer.data(), static_cast<std::size_t>(BlockEnd - BlockStart)))) {
        return 0;
    }
    ShowProgress(static_cast<std::uint32_t>(BlockEnd - First),
                 static_cast<std::uint32_t>(End - First));
    BlockStart = BlockEnd;
    if (BlockEnd != End) {
        return 2;
    }
    Trace("Last block received");
    Completed = true;
    return 0;
}
