// The wave area as the main window has it (the wave box with its ruler and
// amplitude scale, above a horizontal scroll bar) with the wave view on an
// engine that talks to the recorded virtual sampler. The engine's calls back
// reach the view, as they reach the main window in the program. The box is
// 512 pixels wide, so that pixel column c shows display point c.
#pragma once

#include <QImage>
#include <QScrollBar>
#include <QWidget>

#include <memory>
#include <vector>

#include "tests/eps/SamplerFixture.h"
#include "wave/WaveArea.h"
#include "wave/WaveBox.h"
#include "wave/WaveCommands.h"
#include "wave/WaveView.h"
#include "wave/WaveViewState.h"

// The main window's part: command updates are counted, redraws go to the
// view.
class TViewOwner : public TEpsOwner {
public:
    void BeginBusy() override {}
    void EndBusy() override {}
    void UpdateCommands() override { ++CommandUpdates; }
    void UpdateView() override;

    TWaveView* View = nullptr;
    int CommandUpdates = 0;
};

class WaveViewTest : public SamplerTest {
protected:
    static constexpr int BoxWidth = 512;
    static constexpr int AreaHeight = 240;
    static constexpr int Instrument = 2;
    static constexpr int Number = 1;

    void SetUp() override;
    void TearDown() override;
    // A sampler of another kind, with the view on its engine.
    void RestartWithView(const TSamplerOptions& options);

    // Puts the data into the sampler as wavesample 1 of instrument 3 and
    // opens it.
    void Open(const std::vector<std::int16_t>& data);
    // The two halves of Open, for changes to the wavesample in between.
    void Place(const std::vector<std::int16_t>& data);
    void OpenPlaced();
    // The window start..end, read through the engine.
    void ShowWindow(std::int32_t start, std::int32_t end);

    // The picture as the box shows it once pending layout has settled.
    const QImage& Picture();
    // The box's height once pending layout has settled.
    int BoxHeight() { return Picture().height(); }
    // Drags with the left button from column from to column to and lets go.
    void Drag(int from, int to);
    // Presses and releases the left button at column without moving.
    void Click(int column) { Drag(column, column); }
    // Selects the point under column: a drag that strays from it and comes
    // back, as a click alone clears the selection.
    void SelectPoint(int column);

    TViewOwner ViewOwner;
    TWaveViewState State;
    std::unique_ptr<TWaveArea> ScrollBox;
    TWaveBox* Box = nullptr;
    QScrollBar* ScrollBar = nullptr;
    std::unique_ptr<TWaveView> View;
    std::unique_ptr<TWaveCommands> Commands;

private:
    void AttachView();
    void DetachView();
};

// count samples of a saw tooth between 2000 and 11999, never silent.
std::vector<std::int16_t> Saw(std::size_t count);
