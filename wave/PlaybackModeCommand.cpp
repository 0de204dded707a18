#include "wave/PlaybackModeCommand.h"

#include "eps/Eps.h"
#include "wave/PBModeForm.h"

bool ChangePlaybackMode(TEps& eps, TEpsOwner& owner, TPBModeForm& form) {
    if (form.Execute(eps.WaveSampleParameters[wpPlaybackMode]) != mrOk) {
        return false;
    }
    eps.WaveSampleParameters[wpPlaybackMode] = form.Mode;
    // A refusal leaves the sampler's block as it was; the next write sends
    // the whole block again.
    if (eps.PutWaveSampleParameters() == wrUnanswered) {
        eps.ReportUnanswered();
    }
    owner.UpdateCommands();
    owner.UpdateView();
    return true;
}
