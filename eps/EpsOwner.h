// What the engine asks of the window that owns it.
#pragma once

class TEpsOwner {
public:
    virtual ~TEpsOwner() = default;
    // A counted busy indicator around every exchange with the sampler.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
    // Command enabling and status after the open wavesample changed.
    virtual void UpdateCommands() = 0;
    // Redraw of the wave after new display points came.
    virtual void UpdateView() = 0;
    // Called about every 50 ms while a busy exchange waits for the sampler,
    // so that the window can repaint and take the user's Cancel; false gives
    // the exchange up, which then ends as if the sampler had fallen silent.
    virtual bool ContinueWaiting() { return true; }
};
