// The time-left figure of a transfer. Each block gives a fresh estimate from
// the average rate so far, which wobbles with the pauses between blocks; the
// figure shown counts down from the last one and moves only part of the way
// towards each fresh estimate, so that it does not climb back while bytes
// flow steadily, yet follows a transfer that has really slowed down.
#pragma once

class TTimeLeft {
public:
    // The figure to show now, given a fresh estimate and the seconds since
    // the last call; the first call takes the estimate as it is.
    float Next(float estimate, float secondsSince);

private:
    // How far the shown figure moves towards each fresh estimate.
    static constexpr float Weight = 0.25f;

    bool Started = false;
    float Shown = 0;
};
