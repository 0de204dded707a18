// How the wave area looks, chosen in the View menu and kept in the settings:
// whether the ruler counts samples or seconds, and whether the area keeps the
// classic green on black or takes the desktop theme's colours.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/MainForm.h"
#include "app/SettingsKey.h"

namespace {

const QString ViewSection = QStringLiteral("View");
const QString RulerValue = QStringLiteral("Ruler");
const QString ColoursValue = QStringLiteral("Colours");

} // namespace

void TMainForm::CreateLookMenus() {
    AddSeparator(ViewMenu);
    QMenu* ruler = ViewMenu->addMenu("&Ruler");
    ruler->menuAction()->setStatusTip("Choose what the ruler above the wave counts");
    RulerSamplesMenuItem = AddItem(ruler, "&Sample Numbers", "Number the ruler in samples");
    RulerTimeMenuItem = AddItem(ruler, "&Time", "Mark the ruler in seconds");
    QMenu* colours = ViewMenu->addMenu("&Colours");
    colours->menuAction()->setStatusTip("Choose the colours of the wave area");
    ClassicColoursMenuItem =
        AddItem(colours, "Classic", "Green wave on black, red and teal markers");
    ThemeColoursMenuItem = AddItem(colours, "Follow the desktop theme",
                                   "The wave area in the desktop's colours, light or dark");
    for (QAction* item :
         {RulerSamplesMenuItem, RulerTimeMenuItem, ClassicColoursMenuItem, ThemeColoursMenuItem}) {
        item->setCheckable(true);
    }
    auto* units = new QActionGroup(this);
    units->addAction(RulerSamplesMenuItem);
    units->addAction(RulerTimeMenuItem);
    auto* looks = new QActionGroup(this);
    looks->addAction(ClassicColoursMenuItem);
    looks->addAction(ThemeColoursMenuItem);
    connect(RulerSamplesMenuItem, &QAction::triggered, this, [this] { SetRulerUnit(ruSamples); });
    connect(RulerTimeMenuItem, &QAction::triggered, this, [this] { SetRulerUnit(ruTime); });
    connect(ClassicColoursMenuItem, &QAction::triggered, this, [this] { SetLook(wlClassic); });
    connect(ThemeColoursMenuItem, &QAction::triggered, this, [this] { SetLook(wlTheme); });
}

void TMainForm::SetRulerUnit(TRulerUnit unit) {
    RulerUnit = unit;
    (unit == ruTime ? RulerTimeMenuItem : RulerSamplesMenuItem)->setChecked(true);
    UpdateView();
}

void TMainForm::SetLook(TWaveLook look) {
    Look = look;
    (look == wlTheme ? ThemeColoursMenuItem : ClassicColoursMenuItem)->setChecked(true);
    ShowStartLabel(!Eps->WaveSampleOpen);
    UpdateView();
}

// Anything but the number of the other choice gives the default.
void TMainForm::ReadLookSettings(TSettingsKey& key) {
    SetRulerUnit(key.ReadInteger(ViewSection, RulerValue, ruSamples) == ruTime ? ruTime
                                                                               : ruSamples);
    SetLook(key.ReadInteger(ViewSection, ColoursValue, wlClassic) == wlTheme ? wlTheme : wlClassic);
}

void TMainForm::WriteLookSettings(TSettingsKey& key) const {
    key.WriteInteger(ViewSection, RulerValue, RulerUnit);
    key.WriteInteger(ViewSection, ColoursValue, Look);
}
