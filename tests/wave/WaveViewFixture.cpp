#include "tests/wave/WaveViewFixture.h"

#include <QApplication>
#include <QLayout>
#include <QTest>

#include "wave/WaveRuler.h"

void TViewOwner::UpdateView() {
    if (View != nullptr) {
        View->UpdateView();
    }
}

void WaveViewTest::SetUp() {
    SamplerTest::SetUp();
    AttachView();
}

void WaveViewTest::TearDown() {
    DetachView();
    SamplerTest::TearDown();
}

void WaveViewTest::RestartWithView(const TSamplerOptions& options) {
    DetachView();
    Restart(options);
    AttachView();
}

// The fixture's engine reports to a recorder; this one reports to the view
// and talks to the same sampler.
void WaveViewTest::AttachView() {
    auto engine = std::make_unique<TEps>(&ViewOwner, &Dialogs);
    engine->MidiIn->DeviceID = Eps->MidiIn->DeviceID;
    engine->MidiOut->DeviceID = Eps->MidiOut->DeviceID;
    Eps = std::move(engine);

    ScrollBox = std::make_unique<TWaveArea>();
    ScrollBox->setFixedSize(BoxWidth + ScrollBox->AmplitudeScale->minimumWidth(),
                            AreaHeight + ScrollBox->Ruler->minimumHeight());
    Box = ScrollBox->Box;
    ScrollBar = ScrollBox->ScrollBar;
    Commands = std::make_unique<TWaveCommands>(*Eps, ViewOwner, State);
    View = std::make_unique<TWaveView>(*Eps, ViewOwner, State, *ScrollBox, *Commands);
    ViewOwner.View = View.get();
    View->UpdateView();
    ScrollBox->show();
    QApplication::processEvents();
}

void WaveViewTest::DetachView() {
    ViewOwner.View = nullptr;
    View.reset();
    Commands.reset();
    ScrollBox.reset();
}

void WaveViewTest::Open(const std::vector<std::int16_t>& data) {
    Place(data);
    OpenPlaced();
}

// The wavesample open now writes its parameters back when it closes; it
// must not overwrite the new ones.
void WaveViewTest::Place(const std::vector<std::int16_t>& data) {
    Eps->CloseWavesample();
    PlaceWaveSample(Instrument, Number, data);
}

// As the main window does once a wavesample has opened.
void WaveViewTest::OpenPlaced() {
    OpenWaveSample(Instrument, Number);
    View->UpdateView();
}

void WaveViewTest::ShowWindow(std::int32_t start, std::int32_t end) {
    Eps->SetViewEnd(end);
    Eps->SetViewStart(start);
    Eps->RefreshView();
}

const QImage& WaveViewTest::Picture() {
    QApplication::sendPostedEvents();
    ScrollBox->layout()->activate();
    return Box->Picture();
}

void WaveViewTest::Drag(int from, int to) {
    const int row = Box->height() / 2;
    QTest::mousePress(Box, Qt::LeftButton, {}, QPoint(from, row));
    if (to != from) {
        QTest::mouseMove(Box, QPoint(to, row));
    }
    QTest::mouseRelease(Box, Qt::LeftButton, {}, QPoint(to, row));
}

void WaveViewTest::SelectPoint(int column) {
    const int row = Box->height() / 2;
    const int away = column < BoxWidth / 2 ? column + 10 : column - 10;
    QTest::mousePress(Box, Qt::LeftButton, {}, QPoint(column, row));
    QTest::mouseMove(Box, QPoint(away, row));
    QTest::mouseMove(Box, QPoint(column, row));
    QTest::mouseRelease(Box, Qt::LeftButton, {}, QPoint(column, row));
}

std::vector<std::int16_t> Saw(std::size_t count) {
    std::vector<std::int16_t> data(count);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = static_cast<std::int16_t>(2000 + i % 10000);
    }
    return data;
}
