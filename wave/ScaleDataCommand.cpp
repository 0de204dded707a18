#include "wave/ScaleDataCommand.h"

#include <optional>
#include <vector>

#include "eps/Eps.h"
#include "wave/ScaleDataForm.h"

namespace {

struct TSegment {
    std::int32_t Start;
    std::int32_t End;
    std::int32_t StartLevel;
    std::int32_t EndLevel;
};

// Segment i runs from the sample after the end of segment i - 1 to the
// sample after node i, so the segments join without gap or overlap and the
// last one ends just past the selection.
std::vector<TSegment> Segments(const TScaleDataForm& form) {
    std::vector<TSegment> segments;
    const std::optional<TScaleDataForm::TNodeValue> firstNode = form.GetNode(0);
    std::int32_t previousEnd = firstNode->Position - 1;
    std::int32_t previousLevel = firstNode->Level;
    for (int i = 1; const auto node = form.GetNode(i); ++i) {
        segments.push_back({previousEnd + 1, node->Position + 1, previousLevel, node->Level});
        previousEnd = node->Position;
        previousLevel = node->Level;
    }
    return segments;
}

} // namespace

bool ScaleSelection(TEps& eps, TScaleDataForm& form, std::int32_t first, std::int32_t last) {
    if (form.Execute(first, last) != mrOk) {
        return false;
    }
    // A refused segment shows in the data read back; the others go on.
    // Without any answer the rest is not sent.
    eps.History.Edit("Scale Data", {first, last},
                     [segments = Segments(form), depth = form.Depth()](TEps& engine) {
                         TReplyResult reply = rrAck;
                         for (const TSegment& s : segments) {
                             engine.ScaleData(s.Start, s.End, s.StartLevel, s.EndLevel, depth);
                             reply = engine.WaitForReply();
                             if (IsUnanswered(reply)) {
                                 break;
                             }
                         }
                         return reply;
                     });
    return true;
}
