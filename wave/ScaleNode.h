// One node of the scale-data envelope: a point of the drawn line, linked to
// its neighbours left and right. Each node owns the one to its right, so the
// first node owns the whole chain.
#pragma once

#include <memory>

struct TScaleNode {
    TScaleNode(int x, int y) : X(x), Y(y) {}

    std::unique_ptr<TScaleNode> Next;
    TScaleNode* Prev = nullptr;
    // Pixel column and row in the envelope box.
    int X;
    int Y;
};
