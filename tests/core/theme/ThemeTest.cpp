#include "components/ThemeGraph.h"
#include "core/theme/ThemeFixture.h"
#include "raster/Bitmap32.h"

#include <QFile>

using LibraryTest = ThemeTest;
using CompositionTest = ThemeTest;

TEST(ThemeLibrary, InstallsTheDefaultsOnlyIntoAnAbsentLibrary) {
    EnsureGuiApplication();
    TestEnvironment env;
    QDir().mkpath(env.ProgramPath() + QStringLiteral("Defaults/Themes/Plain/pictures"));
    QFile file(env.ProgramPath() + QStringLiteral("Defaults/Themes/Plain/pictures/a.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    TTheme first;
    EXPECT_EQ(env.ReadFile(QStringLiteral("Themes/Plain/pictures/a.png")), QByteArray("x"));
    EXPECT_TRUE(env.messages.messages.empty());
    EXPECT_FALSE(QFileInfo::exists(env.DataPath() + QStringLiteral("Themes.partial")));

    // An existing library, even an empty one, is left alone.
    QDir(env.DataPath() + QStringLiteral("Themes")).removeRecursively();
    QDir().mkpath(env.DataPath() + QStringLiteral("Themes"));
    TTheme second;
    EXPECT_TRUE(second.ListThemes().isEmpty());
}

TEST(ThemeLibrary, ReportsDefaultsThatCannotBeCopied) {
    EnsureGuiApplication();
    TestEnvironment env; // the program folder holds no defaults
    TTheme theme;
    ASSERT_EQ(env.messages.messages.size(), 1u);
    EXPECT_EQ(env.messages.messages[0].caption, QStringLiteral("Could not copy themes"));
    EXPECT_EQ(env.messages.messages[0].text,
              QStringLiteral("Meterlyn was unable to copy a set of default themes into its themes "
                             "directory. The application may not be installed correctly"));
    EXPECT_EQ(env.messages.messages[0].icon, MessageIcon::Warning);
}

TEST_F(LibraryTest, ListsFoldersButNotDotFoldersOrFiles) {
    WriteTheme(QStringLiteral("Beta"), "<theme/>");
    WriteTheme(QStringLiteral("alpha"), "<theme/>");
    QDir().mkpath(env.DataPath() + QStringLiteral("Themes/.hidden"));
    env.WriteFile(QStringLiteral("Themes/file.xml"), "x");
    EXPECT_EQ(theme->ListThemes(), (QStringList{"alpha", "Beta"}));
}

TEST_F(LibraryTest, CreateThemeWritesThreeLinesAndAddsMain) {
    theme->CreateTheme(QStringLiteral("My Theme 2"));
    EXPECT_EQ(env.ReadFile(QStringLiteral("Themes/My Theme 2/repositary.xml")),
              QByteArray("<?xml version=\"1.0\"?>\n<theme>\n</theme>\n"));
    ASSERT_EQ(theme->Elements().Count(), 1);
    EXPECT_EQ(theme->Elements().Item(0).Name(), QStringLiteral("main"));
    EXPECT_EQ(theme->Elements().Item(0).Kind(), QStringLiteral("DISPLAY"));
    EXPECT_EQ(theme->ThemeFolder(), env.DataPath() + QStringLiteral("Themes/My Theme 2/"));
    theme->SaveTheme();
    const auto doc = LoadThemeDocument(ThemeFile(QStringLiteral("My Theme 2")));
    ASSERT_TRUE(doc);
    const pugi::xml_node main = doc->Xml.child("theme").child("element");
    EXPECT_STREQ(main.attribute("name").value(), "main");
    EXPECT_STREQ(main.attribute("kind").value(), "DISPLAY");
    EXPECT_FALSE(main.next_sibling("element"));
    EXPECT_THROW(theme->CreateTheme(QStringLiteral("My Theme 2")), EInOutError);
    EXPECT_THROW(theme->CreateTheme(QStringLiteral("../escape")), EInOutError);
}

TEST_F(LibraryTest, ThemeNameChecks) {
    WriteTheme(QStringLiteral("Taken"), "<theme/>");
    struct Case {
        QString name;
        TThemeNameCheck result;
        const char* caption;
        const char* text;
    } const cases[] = {
        {QString(), TThemeNameCheck::Empty, nullptr, nullptr},
        {QString(49, QLatin1Char('a')), TThemeNameCheck::TooLong, "Name Too Long",
         "Theme names cannot exceed 48 characters in length"},
        {QString(48, QLatin1Char('a')), TThemeNameCheck::Ok, nullptr, nullptr},
        {QStringLiteral("My-Theme"), TThemeNameCheck::InvalidCharacters, "Invalid Name",
         "Theme names cannot contain special characters"},
        {QStringLiteral("../x"), TThemeNameCheck::InvalidCharacters, "Invalid Name", nullptr},
        {QStringLiteral("Taken"), TThemeNameCheck::Exists, "Invalid Name",
         "A theme by this name already exists"},
        {QStringLiteral("My Theme 2"), TThemeNameCheck::Ok, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        env.messages.messages.clear();
        EXPECT_EQ(CheckThemeName(c.name), c.result) << c.name.toStdString();
        EXPECT_EQ(AcceptThemeName(c.name), c.result == TThemeNameCheck::Ok);
        if (!c.caption) {
            EXPECT_TRUE(env.messages.messages.empty());
            continue;
        }
        ASSERT_EQ(env.messages.messages.size(), 1u);
        EXPECT_EQ(env.messages.messages[0].caption, QString::fromUtf8(c.caption));
        if (c.text) {
            EXPECT_EQ(env.messages.messages[0].text, QString::fromUtf8(c.text));
        }
    }
}

TEST_F(LibraryTest, DeleteThemeRemovesOnlyItsFolder) {
    WriteTheme(QStringLiteral("Old"), "<theme/>");
    EXPECT_TRUE(theme->DeleteTheme(QStringLiteral("Old")));
    EXPECT_FALSE(QFileInfo::exists(env.DataPath() + QStringLiteral("Themes/Old")));
    EXPECT_FALSE(theme->DeleteTheme(QStringLiteral("Old")));
    EXPECT_FALSE(theme->DeleteTheme(QString()));
    EXPECT_FALSE(theme->DeleteTheme(QStringLiteral("..")));
    EXPECT_TRUE(QFileInfo::exists(env.DataPath() + QStringLiteral("Themes")));
}

TEST_F(LibraryTest, LoadErrorsKeepThePreviousTheme) {
    LoadElements("<element name=\"main\" kind=\"DISPLAY\"/>", QStringLiteral("Good"));
    const TThemeDocumentPtr good = theme->Document();
    struct Case {
        const char* name;
        QByteArray xml;
        bool build; // EBuildError instead of ELoadError
    } const cases[] = {
        {"NotXml", "this is not xml", false},
        {"Empty", "", false},
        {"CutOff", "<?xml version=\"1.0\"?><theme><element name=\"a\" kind=\"TE", false},
        {"Huge", "<theme>" + QByteArray(kMaxThemeFileSize, ' ') + "</theme>", false},
        {"NoTheme", "<?xml version=\"1.0\"?><themes><element name=\"x\"/></themes>", true},
    };
    for (const Case& c : cases) {
        const QString path = WriteTheme(QString::fromUtf8(c.name), c.xml);
        try {
            theme->LoadTheme(path);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const ELoadError& error) {
            EXPECT_FALSE(c.build) << c.name;
            EXPECT_EQ(error.Message(), QStringLiteral("Theme file at '") + path +
                                           QStringLiteral("' could not be loaded because it is "
                                                          "either missing or contains syntax "
                                                          "errors"));
            EXPECT_EQ(theme->Document(), good);
        } catch (const EBuildError& error) {
            EXPECT_TRUE(c.build) << c.name;
            EXPECT_EQ(error.Message(), QStringLiteral("Theme could not be built because no "
                                                      "<theme> entry point was defined"));
            EXPECT_NE(theme->Document(), good); // the new document is active ...
        }
        EXPECT_EQ(Names(), QStringList{QStringLiteral("main")}); // ... the old elements stay
    }
    EXPECT_EQ(theme->ThemeFolder(), env.DataPath() + QStringLiteral("Themes/NoTheme/"));
    EXPECT_THROW(theme->LoadTheme(env.DataPath() + QStringLiteral("Themes/Missing/repositary.xml")),
                 ELoadError);
    // Deep nesting is well-formed: it loads, holds no element, and saves without recursion.
    const QByteArray deep = "<theme><element name=\"main\" kind=\"DISPLAY\"/>" +
                            QByteArray("<a>").repeated(200000) +
                            QByteArray("</a>").repeated(200000) + "</theme>";
    theme->LoadTheme(WriteTheme(QStringLiteral("Deep"), deep));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("main")});
    theme->SaveTheme();
    EXPECT_GT(env.ReadFile(QStringLiteral("Themes/Deep/repositary.xml")).size(), deep.size());
}

TEST_F(LibraryTest, LoadRemovesAmpersandsAndSavesThePreviousTheme) {
    LoadElements("<element name=\"main\" kind=\"DISPLAY\"/>\n<element name=\"T\" kind=\"TEXT\"/>",
                 QStringLiteral("First"));
    const QString second = WriteTheme(QStringLiteral("Second"), "<theme/>");
    QString withAmpersand = second;
    withAmpersand.insert(withAmpersand.indexOf(QStringLiteral("Second")), QLatin1Char('&'));
    theme->LoadTheme(withAmpersand);
    EXPECT_EQ(theme->FileName(), second);
    EXPECT_TRUE(theme->Elements().Count() == 0);
    // The first theme was written back, with the property nodes its build read; the text it
    // held round-trips unchanged.
    const QString saved = Saved(QStringLiteral("First"));
    EXPECT_TRUE(saved.contains(QStringLiteral("<linespace"))) << saved.toStdString();
    EXPECT_TRUE(saved.startsWith(QStringLiteral("<?xml version=\"1.0\"?>\n<theme>\n<element "
                                                "name=\"main\" kind=\"DISPLAY\"")));
    theme->LoadTheme(QStringLiteral("&&"));
    EXPECT_EQ(theme->FileName(), second);
}

TEST_F(LibraryTest, SaveKeepsContentAndSkipsAVanishedFile) {
    const QByteArray xml =
        "<?xml version=\"1.0\"?>\n<theme>\n  <element name=\"main\" kind=\"DISPLAY\">"
        "<colour>0</colour><hintdata/></element>\n  <element name=\"S\" kind=\"SHAPE\">"
        "<style>0</style><background><colour>1</colour><style>0</style>"
        "</background><border><colour>2</colour><thickness>1</thickness>"
        "<style>0</style></border></element>\n  <!-- keep me -->\n"
        "  <element name=\"T\" kind=\"TEXT\"><value>  two\nlines &amp; "
        "more  </value><linespace>1</linespace><font><name>Tahoma</name><size>8"
        "</size><colour>1</colour><isbold>false</isbold><isitalic>false"
        "</isitalic><isunderline>false</isunderline><justify>0</justify>"
        "</font></element>\n</theme>\n";
    theme->LoadTheme(WriteTheme(QStringLiteral("RoundTrip"), xml));
    theme->SaveTheme();
    EXPECT_EQ(QString::fromUtf8(env.ReadFile(QStringLiteral("Themes/RoundTrip/repositary.xml"))),
              QString::fromUtf8(xml));
    QFile::remove(ThemeFile(QStringLiteral("RoundTrip")));
    theme->SaveTheme();
    EXPECT_FALSE(QFileInfo::exists(ThemeFile(QStringLiteral("RoundTrip"))));
}

TEST_F(CompositionTest, RefreshSetsTheTrayTipFromTheHintElement) {
    FakeDisplay display;
    SetDisplayTarget(&display);
    LoadElements("<element name=\"main\" kind=\"DISPLAY\"><hintdata>Tip</hintdata></element>"
                 "<element name=\"Tip\" kind=\"TEXT\"><value>Theme in %THEME:Path%</value>"
                 "</element>");
    ASSERT_FALSE(display.hints.isEmpty());
    EXPECT_EQ(display.hints.last(), QStringLiteral("Theme in ") + theme->ThemeFolder());

    for (const QByteArray& hint : {QByteArray(""), QByteArray("Nobody"), QByteArray("tip")}) {
        LoadElements("<element name=\"main\" kind=\"DISPLAY\"><hintdata>" + hint +
                         "</hintdata></element><element name=\"Tip\" kind=\"TEXT\"/>",
                     QStringLiteral("H") + QString::fromUtf8(hint));
        EXPECT_EQ(display.hints.last(), QStringLiteral("Meterlyn")) << hint.constData();
    }
}

TEST_F(CompositionTest, PaintDrawsMainThenTheRestOntoEveryCanvas) {
    LoadElements("<element name=\"S\" kind=\"SHAPE\" x=\"2\" y=\"2\" width=\"4\" height=\"4\">"
                 "<background><colour>255</colour></background><border><style>3</style></border>"
                 "</element>"
                 "<element name=\"main\" kind=\"DISPLAY\" width=\"10\" height=\"8\">"
                 "<colour>65280</colour></element>");
    TImageCanvas a, b;
    theme->AddCanvas(&a);
    theme->AddCanvas(&b);
    theme->AddCanvas(&a); // already registered: no second paint
    EXPECT_EQ(a.Paints(), 1);
    theme->Refresh();
    EXPECT_EQ(a.Paints(), 2);
    EXPECT_EQ(b.Paints(), 2);
    ASSERT_EQ(a.Image().size(), QSize(10, 8));
    EXPECT_EQ(a.Image().pixel(0, 0), 0xFF00FF00u); // main's colour, though listed second
    EXPECT_EQ(a.Image().pixel(3, 3), 0xFFFF0000u);
    theme->PaintEnabled = false;
    theme->Refresh();
    EXPECT_EQ(a.Paints(), 2);
    theme->RemoveCanvas(&a);
    theme->Paint();
    EXPECT_EQ(a.Paints(), 2);
    EXPECT_EQ(b.Paints(), 3);
}

TEST_F(CompositionTest, WithoutMainNothingIsPainted) {
    LoadElements("<element name=\"S\" kind=\"SHAPE\"/>");
    TImageCanvas canvas;
    theme->AddCanvas(&canvas);
    theme->Refresh();
    EXPECT_EQ(canvas.Paints(), 0);
}

TEST_F(CompositionTest, GlassColourAndGlassSheet) {
    FakeDisplay display;
    display.glassColour = 0xFF204060u;
    SetDisplayTarget(&display);
    LoadElements("<element name=\"main\" kind=\"DISPLAY\" width=\"4\" height=\"4\">"
                 "<colour>-1</colour></element>");
    TImageCanvas canvas;
    theme->Paint(&canvas);
    EXPECT_EQ(canvas.Image().pixel(1, 1), 0xFF204060u);
    display.glassColour = 0xFF102030u; // a new system colour shows at the next paint
    theme->Paint(&canvas);
    EXPECT_EQ(canvas.Image().pixel(1, 1), 0xFF102030u);
    display.glassOn = true;
    theme->Paint(&canvas);
    EXPECT_EQ(canvas.Image().pixel(1, 1), 0xFF000000u);
    SetDisplayTarget(nullptr);
    theme->Paint(&canvas);
    EXPECT_EQ(canvas.Image().pixel(1, 1), 0xFF000000u); // no window: black
}

TEST_F(CompositionTest, GraphsAdvanceOnEveryRefreshEvenWhenNotPainting) {
    LoadElements("<element name=\"main\" kind=\"DISPLAY\" width=\"10\" height=\"10\"/>"
                 "<element name=\"G\" kind=\"GRAPH\"><buffersize>5</buffersize><plots>"
                 "<plot value=\"4\"/><plot value=\"seven\"/></plots></element>");
    auto* graph = dynamic_cast<TThemeGraph*>(theme->Elements().Item(1).Component());
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Plot(0).ValueAt(0), 4); // the build's own refresh
    EXPECT_EQ(graph->Plot(0).ValueAt(1), 0);
    theme->PaintEnabled = false;
    theme->Refresh();
    EXPECT_EQ(graph->Plot(0).ValueAt(1), 4);
    EXPECT_EQ(graph->Plot(1).ValueAt(0), 0); // a word counts as 0
    EXPECT_EQ(graph->ScaleSize, 5);          // ceil(4 * 1.1)
}

TEST_F(CompositionTest, OversizedAndNegativeSurfacesDoNotFail) {
    LoadElements("<element name=\"main\" kind=\"DISPLAY\" width=\"100000\" height=\"100000\"/>"
                 "<element name=\"G\" kind=\"GRAPH\" width=\"100000\" height=\"50\">"
                 "<buffersize>2000000000</buffersize><plots><plot value=\"1e300\"/></plots>"
                 "</element>"
                 "<element name=\"T\" kind=\"TEXT\" x=\"2147483647\" width=\"2147483647\">"
                 "<value>x</value><font><justify>1</justify><size>2000000000</size></font>"
                 "</element>");
    TImageCanvas canvas;
    theme->Paint(&canvas);
    EXPECT_LE(canvas.Image().width(), TBitmap32::kMaxSide);
    EXPECT_LE(qint64(canvas.Image().width()) * canvas.Image().height(), TBitmap32::kMaxPixels);
    auto* graph = dynamic_cast<TThemeGraph*>(theme->Elements().Item(1).Component());
    EXPECT_EQ(graph->Plot(0).SlotCount(), TGraphPlot::kMaxCapacity);

    LoadElements("<element name=\"main\" kind=\"DISPLAY\" width=\"-5\" height=\"20\"/>"
                 "<element name=\"S\" kind=\"SHAPE\" width=\"-5\"/>",
                 QStringLiteral("Negative"));
    TImageCanvas none;
    theme->Paint(&none);
    EXPECT_EQ(none.Paints(), 0);
}

TEST_F(CompositionTest, DefaultThemesRender) {
    for (const char* name : {"Darvelo", "Darvelo (Vista)"}) {
        const QString source = QStringLiteral(METERLYN_SOURCE_DIR "/defaults/Themes/") +
                               QString::fromUtf8(name) + QStringLiteral("/repositary.xml");
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QString path = WriteTheme(QString::fromUtf8(name), file.readAll());
        theme->LoadTheme(path);
        TThemeElement* main = theme->Elements().Find(QStringLiteral("main"));
        ASSERT_NE(main, nullptr) << name;
        EXPECT_EQ(main->Kind(), QStringLiteral("DISPLAY"));
        TImageCanvas canvas;
        theme->Paint(&canvas);
        ASSERT_EQ(canvas.Image().size(), QSize(main->Width(), main->Height())) << name;
        // The background is the display colour; the title line holds light text.
        const QRgb background = ThemeColourToSurface(main->Property({"colour"}).toInt());
        EXPECT_EQ(canvas.Image().pixel(main->Width() - 3, main->Height() / 2 + 50), background)
            << name;
        int light = 0;
        for (int y = 4; y < 20; ++y)
            for (int x = 8; x < 60; ++x)
                light += qGray(canvas.Image().pixel(x, y)) > 200;
        EXPECT_GT(light, 20) << name;
    }
    // Nothing was added to the documents: every property is written out.
    theme->SaveTheme();
    QFile original(
        QStringLiteral(METERLYN_SOURCE_DIR "/defaults/Themes/Darvelo (Vista)/repositary.xml"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(env.ReadFile(QStringLiteral("Themes/Darvelo (Vista)/repositary.xml")),
              original.readAll());
}

TEST_F(LibraryTest, ManyElementsLoadAndRefreshInReasonableTime) {
    QByteArray elements;
    for (int i = 0; i < 20000; ++i)
        elements += "<element/>";
    LoadElements("<element name=\"main\" kind=\"DISPLAY\" width=\"4\" height=\"4\"/>" + elements);
    EXPECT_EQ(theme->Elements().Count(), 20001);
    TImageCanvas canvas;
    theme->AddCanvas(&canvas);
    theme->Refresh();
    EXPECT_EQ(canvas.Paints(), 2);
}
