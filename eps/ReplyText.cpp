#include "eps/ReplyText.h"

std::string ReplyText(TReplyResult reply) {
    switch (reply) {
    case rrAck:
        return "an acknowledgement out of turn";
    case rrFailed:
        return "a refusal, or a reply that could not be read";
    case rrNoInstrument:
        return "no such instrument";
    case rrNoLayer:
        return "the instrument has no layer";
    case rrInvalidWaveSample:
        return "no such wavesample";
    case rrRefused23:
        return "refused, code 23";
    case rrNothing:
        return "nothing readable";
    case rrUnknownResponse:
        return "a response the program does not know";
    case rrNothingAfterWait:
        return "\"wait\", then nothing";
    case rrSlowDown:
        return "too fast";
    case rrUnexpectedBlock:
        return "a block other than the one asked for";
    case rrOverview:
    case rrData:
    case rrWaveSampleParameters:
    case rrDataHeader:
    case rrInstrumentParameters:
        break;
    }
    return "data out of turn";
}

std::string UnreadInstrumentText(int instrument, TReplyResult reply) {
    return "instrument " + std::to_string(instrument + 1) + " could not be read (" +
           ReplyText(reply) + ")";
}
