#include "ui/ThemeHooks.h"

#include "config/DataFolder.h"
#include "ui/dialogs/Prompt.h"

#include <QDir>

namespace ThemeHooks {
QStringList ListThemes() {
    QStringList names;
    const QDir library(DataFolder() + QStringLiteral("Themes"));
    for (const QString& name : library.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        if (!name.startsWith(QLatin1Char('.')))
            names.append(name);
    return names;
}
void LoadTheme(const QString&) {}
QString AskNewThemeName() {
    return PromptForText(QStringLiteral("Enter a name for the new theme"),
                         QStringLiteral("Theme Name"), QStringLiteral("Untitled Theme"));
}
void CreateTheme(const QString&) {}
void ResizeMain(int, int) {}
void RemoveCanvas(QWidget*) {}
void SetPaintEnabled(bool) {}
void Refresh() {}
void CycleAdapter() {}
} // namespace ThemeHooks
