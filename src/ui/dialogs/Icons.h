#pragma once

#include <QIcon>

// The program's icon, drawn at run time so the program carries no image files: a small
// meter with a download and an upload bar.
QIcon ProgramIcon();
