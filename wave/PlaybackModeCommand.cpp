#include "wave/PlaybackModeCommand.h"

#include "eps/Eps.h"
#include "wave/PBModeForm.h"

bool ChangePlaybackMode(TEps& eps, TEpsOwner& owner, TPBModeForm& form) {
    if (form.Execute(eps.WaveSampleParameters[wpPlaybackMode]) != mrOk) {
        return false;
    }
    TWaveSampleBlock changed = eps.WaveSampleParameters;
    changed[wpPlaybackMode] = form.Mode;
    eps.History.ChangeParameters("Set Playback Mode", changed);
    owner.UpdateCommands();
    owner.UpdateView();
    return true;
}
