#pragma once

#include <QString>

// The program-wide objects are created here, in a fixed order, and wound down again.
// Headless start-ups (snapshots) make no window and no single-instance listener.
void StartUp(bool headless = false);
void ShutDown();

// The main window, once StartUp has made it; nullptr before.
class QWidget;
QWidget* MainWindow();

// Whether start-up ended with a theme loaded.
bool StartThemeLoaded();

// A second start handed this argument over (a package path).
void HandleHandOver(const QString& argument);
