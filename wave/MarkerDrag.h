// The wavesample's start, end and loop markers taken with the mouse in the
// wave box by their handles, along the top and bottom edges, so
// that a drag elsewhere still selects from a marker's sample. Over an arm the
// cursor turns into a sideways arrow; pressed there the left button holds
// the marker, which follows the mouse under the
// rules of the marker commands while a label beside it shows its sample.
// Released, the marker is set as the marker command would set it; Escape
// (Cancel) puts it back where it was. While the marker is held only the
// engine's copy of the parameter block moves, and only for the picture: the
// block goes to the sampler once, on release. The owner's commands are
// brought up to date when a marker is taken and when it is let go, so that
// the commands that would talk to the sampler can wait for the drag.
#pragma once

#include <cstdint>
#include <optional>

#include "wave/WavePicture.h"

class QLabel;
class TEps;
class TEpsOwner;
class TWaveBox;
class TWaveCommands;

class TMarkerDrag {
public:
    // A marker within this many pixels of the mouse can be taken: as far
    // as its handles reach.
    static constexpr int Reach = TWavePicture::HandleSize;
    // The height of the bands along the top and bottom edges where the
    // handles are taken.
    static constexpr int ArmBand = TWavePicture::HandleBand;

    TMarkerDrag(TEps& eps, TEpsOwner& owner, TWaveCommands& commands, TWaveBox& box);

    // The left button went down at (x, y): true when it took a marker.
    bool Grab(int x, int y);
    // The mouse moved to (x, y): true while a marker is held.
    bool Follow(int x, int y);
    // The left button came up at column x: true when a marker was held.
    bool Drop(int x);
    // Puts the held marker back; true when one was held.
    bool Cancel();

    // The marker held (its first parameter word), if any.
    std::optional<int> Held() const { return Marker; }
    // Shows the held marker's sample while it is dragged; the box owns it.
    QLabel* const Label;

private:
    // The marker whose arm is nearest to (x, y) within Reach; where
    // markers meet, the one whose handles lie at y.
    std::optional<int> MarkerAt(int x, int y) const;
    std::int32_t SampleAt(int x) const;
    void Release();

    TEps& Eps;
    TEpsOwner& Owner;
    TWaveCommands& Commands;
    TWaveBox& Box;
    std::optional<int> Marker;
    std::int32_t Original = 0;
};
