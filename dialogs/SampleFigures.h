// How many samples and how long, written the same way wherever the program
// shows them: the status bar and the browser's rows.
#pragma once

#include <QString>

#include <cstdint>

// "43,749".
QString SampleNumberText(std::int64_t samples);
// "43,749 samples"; "1 sample".
QString SampleCountText(std::int64_t samples);
// samples played at rate Hz: "0.013 s" under a minute, "1:02.345" from a
// minute on; empty without a rate.
QString DurationText(std::int64_t samples, std::uint32_t rate);
