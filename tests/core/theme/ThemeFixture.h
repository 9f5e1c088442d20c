#pragma once

#include "core/raster/GuiApp.h"
#include "support/TestSupport.h"
#include "theme/DisplayTarget.h"
#include "theme/Theme.h"

#include <QDir>
#include <gtest/gtest.h>

// Stands in for the display window and records what the theme asks of it.
class FakeDisplay final : public IDisplayTarget {
public:
    void ApplyDisplaySettings(TThemeElement& element) override { applied << element.Name(); }
    void SetDisplayWidth(int w) override { width = w; }
    void SetDisplayHeight(int h) override { height = h; }
    void SetHint(const QString& text) override { hints << text; }
    TSurfaceColour GlassColour() const override { return glassColour; }
    bool GlassSheetOn() const override { return glassOn; }

    QStringList applied;
    QStringList hints;
    int width = -1;
    int height = -1;
    TSurfaceColour glassColour = 0xFF000000u;
    bool glassOn = false;
};

// A test data folder with an (empty) theme library and a theme object on it.
class ThemeTest : public ::testing::Test {
protected:
    ThemeTest() {
        EnsureGuiApplication();
        QDir().mkpath(env.DataPath() + QStringLiteral("Themes"));
        theme = std::make_unique<TTheme>();
    }
    ~ThemeTest() override { SetDisplayTarget(nullptr); }

    // Writes Themes/<name>/repositary.xml and returns its path.
    QString WriteTheme(const QString& name, const QByteArray& xml) {
        env.WriteFile(QStringLiteral("Themes/") + name + QStringLiteral("/repositary.xml"), xml);
        return ThemeFile(name);
    }
    QString Saved(const QString& name) {
        return QString::fromUtf8(
            env.ReadFile(QStringLiteral("Themes/") + name + QStringLiteral("/repositary.xml")));
    }
    // Loads a document made of `elements` inside <theme>.
    void LoadElements(const QByteArray& elements, const QString& name = QStringLiteral("T")) {
        theme->LoadTheme(
            WriteTheme(name, "<?xml version=\"1.0\"?>\n<theme>\n" + elements + "</theme>\n"));
    }
    QStringList Names() {
        QStringList names;
        for (int i = 0; i < theme->Elements().Count(); ++i)
            names << theme->Elements().Item(i).Name();
        return names;
    }
    // Names of the element nodes in document order.
    QStringList DocumentNames() {
        QStringList names;
        for (pugi::xml_node n = theme->Document()->Xml.child("theme").child("element"); n;
             n = n.next_sibling("element"))
            names << QString::fromUtf8(n.attribute("name").value());
        return names;
    }

    TestEnvironment env;
    std::unique_ptr<TTheme> theme;
};
