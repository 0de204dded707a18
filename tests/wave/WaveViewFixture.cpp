#include "tests/wave/WaveViewFixture.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

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

    ScrollBox = std::make_unique<QWidget>();
    ScrollBox->setFixedSize(BoxWidth, AreaHeight);
    ScrollBox->setAutoFillBackground(true);
    Box = new TWaveBox(ScrollBox.get());
    ScrollBar = new QScrollBar(Qt::Horizontal, ScrollBox.get());
    ScrollBar->setRange(0, TWaveView::ScrollRange);
    ScrollBar->hide();
    auto* column = new QVBoxLayout(ScrollBox.get());
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Box, 1);
    column->addWidget(ScrollBar);
    Commands = std::make_unique<TWaveCommands>(*Eps, ViewOwner, State);
    View = std::make_unique<TWaveView>(*Eps, ViewOwner, State, *ScrollBox, *Box, *ScrollBar,
                                       *Commands);
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
