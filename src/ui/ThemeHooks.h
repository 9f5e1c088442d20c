#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The display window's way to the active theme and the data mine.
namespace ThemeHooks {
QStringList ListThemes();
void LoadTheme(const QString& path);
// Prompts for a new theme's name and checks it; empty when the command ends without one.
QString AskNewThemeName();
void CreateTheme(const QString& name);
void ResizeMain(int width, int height);
void RemoveCanvas(QWidget* window);
void SetPaintEnabled(bool enabled);
void Refresh();
void CycleAdapter();
} // namespace ThemeHooks
