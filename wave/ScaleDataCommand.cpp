#include "wave/ScaleDataCommand.h"

#include "eps/Eps.h"
#include "wave/ScaleDataForm.h"

bool ScaleSelection(TEps& eps, TScaleDataForm& form, std::int32_t first, std::int32_t last) {
    if (form.Execute(first, last) != mrOk) {
        return false;
    }
    const int depth = form.Depth();
    const std::optional<TScaleDataForm::TNodeValue> firstNode = form.GetNode(0);
    // Segment i runs from the sample after the end of segment i - 1 to the
    // sample after node i, so the segments join without gap or overlap and
    // the last one ends just past the selection.
    std::int32_t previousEnd = firstNode->Position - 1;
    std::int32_t previousLevel = firstNode->Level;
    for (int i = 1; const auto node = form.GetNode(i); ++i) {
        eps.ScaleData(previousEnd + 1, node->Position + 1, previousLevel, node->Level, depth);
        // A refused segment shows in the data read back; the others go on.
        // Without any answer the rest is not sent, nor the view read back.
        if (IsUnanswered(eps.WaitForReply())) {
            eps.ReportUnanswered();
            return true;
        }
        previousEnd = node->Position;
        previousLevel = node->Level;
    }
    eps.RefreshView();
    return true;
}
