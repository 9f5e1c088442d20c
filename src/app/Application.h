#pragma once

#include <QString>

// The program-wide objects are created here, in a fixed order, and wound down again.
void StartUp();
void ShutDown();

// The main window, once StartUp has made it; nullptr before.
class QWidget;
QWidget* MainWindow();

// A second start handed this argument over (a package path).
void HandleHandOver(const QString& argument);
