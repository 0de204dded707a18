// The Scale Data command of the main window: the user draws an envelope over
// the selection and the sampler scales the samples along it, one segment
// after the other.
#pragma once

#include <cstdint>

class TEps;
class TScaleDataForm;

// Shows the envelope for the selection first..last (both included). On OK,
// has the sampler keep the selection for undo, sends one scale request per
// segment between neighbouring nodes, each after the sampler has answered
// the one before, then reads the view back; a segment without any answer
// ends the command with a warning. False when the user cancelled the dialog
// and nothing was sent.
bool ScaleSelection(TEps& eps, TScaleDataForm& form, std::int32_t first, std::int32_t last);
