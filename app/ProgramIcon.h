// The program's icon, drawn by the program: a green waveform between the red
// start and end markers on the black of an open wave view. The desktop gets
// the same picture from data/icons/tavimor.svg.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap ProgramPicture(int size);
QIcon ProgramIcon();
