#include "wave/WaveArea.h"

#include <QGridLayout>
#include <QScrollBar>

#include "wave/WaveBox.h"
#include "wave/WaveRuler.h"
#include "wave/WaveView.h"

TWaveArea::TWaveArea(QWidget* parent)
    : QWidget(parent), Box(new TWaveBox(this)), Ruler(new TWaveRuler(Qt::Horizontal, this)),
      AmplitudeScale(new TWaveRuler(Qt::Vertical, this)),
      ScrollBar(new QScrollBar(Qt::Horizontal, this)) {
    setAutoFillBackground(true);
    ScrollBar->setRange(0, TWaveView::ScrollRange);
    ScrollBar->hide();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(Ruler, 0, 1);
    grid->addWidget(AmplitudeScale, 1, 0);
    grid->addWidget(Box, 1, 1);
    grid->addWidget(ScrollBar, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
}
