// The Set Playback Mode command of the main window: the user picks a mode and
// it is written into the open wavesample's parameter block in the sampler.
#pragma once

class TEps;
class TEpsOwner;
class TPBModeForm;

// Shows the dialog with the wavesample's mode. On OK, stores the chosen mode
// and sends the whole parameter block (also when the mode did not change) as
// a step of the engine's undo history,
// then has the owner recompute its commands and redraw, since the loop
// markers and loop commands follow the mode. False when the user cancelled
// and nothing was sent.
bool ChangePlaybackMode(TEps& eps, TEpsOwner& owner, TPBModeForm& form);
