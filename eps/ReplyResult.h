// How the reply parser classifies one reply of the sampler.
#pragma once

enum TReplyResult {
    rrAck = 1,                   // response 0
    rrFailed = 2,                // malformed, cut short, refused (10, 17) or not understood
    rrNoInstrument = 3,          // response 5
    rrNoLayer = 4,               // response 6
    rrInvalidWaveSample = 5,     // response 8
    rrRefused23 = 6,             // response 23
    rrNothing = 7,               // no message came
    rrUnknownResponse = 8,       // any other response code
    rrOverview = 10,             // the 512 overview points came
    rrData = 11,                 // the 512 view points, or a download block, came
    rrWaveSampleParameters = 12, // the 139 wavesample words came
    rrNothingAfterWait = 13,     // the sampler said "wait" and then fell silent
    rrDataHeader = 14,           // a download block was announced and acknowledged
    rrSlowDown = 15,             // response 20: an upload block came too fast
    rrInstrumentParameters = 16, // the 323 instrument words came
    rrUnexpectedBlock = 17,      // a download block of another range than asked for
};

// No answer came at all, as opposed to one that refused.
inline bool IsUnanswered(TReplyResult result) {
    return result == rrNothing || result == rrNothingAfterWait;
}
