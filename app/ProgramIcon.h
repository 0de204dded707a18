// The program's icon, drawn by the program: a green waveform between the red
// start and end markers on the black of an open wave view.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap ProgramPicture(int size);
QIcon ProgramIcon();
