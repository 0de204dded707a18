#include "app/AboutForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "TavimorVersion.h"
#include "app/MainForm.h"
#include "app/ProgramIcon.h"

namespace {
constexpr int IconSize = 32;
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* icon = new QLabel;
    icon->setPixmap(ProgramPicture(IconSize));
    icon->setFixedSize(IconSize, IconSize);
    ProductLabel = new QLabel("Tavimor");
    QFont font = ProductLabel->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.5);
    ProductLabel->setFont(font);
    VersionLabel = new QLabel(VersionLine());
    auto* purpose = new QLabel("Wavesample editor for the Ensoniq EPS, EPS-16 Plus and ASR");
    const QString address = TMainForm::HomepageAddress();
    auto* homepage = new QLabel(QString("<a href=\"%1\">%1</a>").arg(address));
    homepage->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(ProductLabel, 0, 1);
    grid->addWidget(VersionLabel, 1, 1);
    grid->addWidget(purpose, 2, 1);
    grid->addWidget(homepage, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setHorizontalSpacing(12);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutForm::VersionLine() {
    return QStringLiteral("Version " TAVIMOR_VERSION);
}
