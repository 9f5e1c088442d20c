#include "components/ThemeGraph.h"
#include "components/ThemeProgress.h"
#include "components/ThemeShape.h"
#include "components/ThemeText.h"
#include "core/theme/ThemeFixture.h"

using DocumentTest = ThemeTest;

TEST_F(DocumentTest, TextElementGetsDefaultsAndItsPropertyNodesOnSave) {
    LoadElements("<element name=\"T\" kind=\"TEXT\"/>\n");
    ASSERT_EQ(theme->Elements().Count(), 1);
    auto* text = dynamic_cast<TThemeText*>(theme->Elements().Item(0).Component());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->X, 0);
    EXPECT_EQ(text->Y, 0);
    EXPECT_EQ(text->Width, 100);
    EXPECT_EQ(text->Height, 100);
    EXPECT_EQ(text->Font.Name, QStringLiteral("Tahoma"));
    EXPECT_EQ(text->Font.Size, 8);
    EXPECT_EQ(text->Font.Colour, 16777215);
    EXPECT_FALSE(text->Font.Bold || text->Font.Italic || text->Font.Underline);
    EXPECT_EQ(text->Justify, 0);
    EXPECT_EQ(text->LineSpace, 1.0);

    theme->SaveTheme();
    const auto doc = ParseThemeDocument(Saved(QStringLiteral("T")).toUtf8());
    ASSERT_TRUE(doc);
    const pugi::xml_node element = doc->Xml.child("theme").child("element");
    for (const char* name : {"value", "linespace", "font"})
        EXPECT_TRUE(element.child(name)) << name;
    for (const char* name :
         {"name", "size", "colour", "isbold", "isitalic", "isunderline", "justify"})
        EXPECT_TRUE(element.child("font").child(name)) << name;
    EXPECT_STREQ(element.child("font").child_value("name"), ""); // appended empty
}

TEST_F(DocumentTest, GraphProgressAndShapeDefaults) {
    LoadElements("<element name=\"G\" kind=\"graph\"/><element name=\"P\" kind=\"Progress\"/>"
                 "<element name=\"S\" kind=\"SHAPE\"/>");
    auto* graph = dynamic_cast<TThemeGraph*>(theme->Elements().Item(0).Component());
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->AutoScale);
    EXPECT_EQ(graph->ScaleSize, 10);
    EXPECT_EQ(graph->BufferSize, 60);
    EXPECT_TRUE(graph->Antialias);
    EXPECT_EQ(graph->Opacity, 100);
    EXPECT_FALSE(graph->ShowScale);
    EXPECT_EQ(graph->BackgroundColour, 16777215);
    EXPECT_FALSE(graph->BackgroundTransparent);
    EXPECT_EQ(graph->BorderColour, 0);
    EXPECT_EQ(graph->BorderThickness, 1);
    EXPECT_EQ(graph->BorderStyle, TPenStyle::Solid);
    EXPECT_EQ(graph->PlotCount(), 0);

    auto* progress = dynamic_cast<TThemeProgress*>(theme->Elements().Item(1).Component());
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->ProgressColour, 16777215);
    EXPECT_FALSE(progress->Vertical);
    EXPECT_FALSE(progress->ShowPercentage);
    EXPECT_EQ(progress->Alignment, TThemeProgress::TAlignment::Centre);
    EXPECT_EQ(progress->BorderThickness, 1);

    auto* shape = dynamic_cast<TThemeShape*>(theme->Elements().Item(2).Component());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Style, 0);
    EXPECT_EQ(shape->BackgroundColour, 16777215);
    EXPECT_EQ(shape->BorderThickness, 1);
}

TEST_F(DocumentTest, ValueEncodings) {
    LoadElements("<element name=\"A\" kind=\"SHAPE\"><border><style>7</style></border>"
                 "<background><style>2</style></background></element>"
                 "<element name=\"B\" kind=\"GRAPH\"><autoscale>FALSE</autoscale>"
                 "<antialias>0</antialias><showscale>2</showscale><opacity>300</opacity>"
                 "<scalesize> 12.5 </scalesize><border><style>1</style></border></element>"
                 "<element name=\"C\" kind=\"TEXT\"><font><isbold>yes</isbold>"
                 "<isitalic>True</isitalic></font></element>"
                 "<element/><element name=\"D\" kind=\"CLOCK\"/>");
    auto* shape = dynamic_cast<TThemeShape*>(theme->Elements().Item(0).Component());
    EXPECT_EQ(shape->BorderStyle, TPenStyle::Solid); // 7 is solid
    EXPECT_FALSE(shape->BackgroundTransparent);      // 2 fills
    auto* graph = dynamic_cast<TThemeGraph*>(theme->Elements().Item(1).Component());
    EXPECT_FALSE(graph->AutoScale);
    EXPECT_FALSE(graph->Antialias);
    EXPECT_TRUE(graph->ShowScale);
    EXPECT_EQ(graph->Opacity, 300 & 0xFF);
    EXPECT_EQ(graph->ScaleSize, 12.5);
    EXPECT_EQ(graph->BorderStyle, TPenStyle::Dash);
    auto* text = dynamic_cast<TThemeText*>(theme->Elements().Item(2).Component());
    EXPECT_FALSE(text->Font.Bold); // lenient
    EXPECT_TRUE(text->Font.Italic);
    // No attributes at all, and an unknown kind: kept, without a component.
    ASSERT_EQ(theme->Elements().Count(), 5);
    EXPECT_EQ(theme->Elements().Item(3).Component(), nullptr);
    EXPECT_EQ(theme->Elements().Item(3).Kind(), QString());
    EXPECT_EQ(theme->Elements().Item(4).Component(), nullptr);
}

TEST_F(DocumentTest, ConversionErrorKeepsTheElementsBeforeIt) {
    struct Case {
        const char* element;
        const char* message;
    } const cases[] = {
        {"<element name=\"Bad\" kind=\"TEXT\" x=\"\"/>", "'' is not a valid integer value"},
        {"<element name=\"Bad\" kind=\"TEXT\" width=\"wide\"/>", "'wide' is not a valid integer"},
        {"<element name=\"Bad\" kind=\"TEXT\"><font><size>big</size></font></element>",
         "'big' is not a valid integer"},
        {"<element name=\"Bad\" kind=\"GRAPH\"><autoscale>maybe</autoscale></element>",
         "'maybe' is not a valid boolean"},
        {"<element name=\"Bad\" kind=\"TEXT\"><linespace>wide</linespace></element>",
         "'wide' is not a valid floating point"},
        {"<element name=\"Bad\" kind=\"GRAPH\"><plots><plot colour=\"red\"/></plots></element>",
         "'red' is not a valid integer"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("C%1").arg(n++);
        const QByteArray xml = QByteArray("<?xml version=\"1.0\"?><theme>"
                                          "<element name=\"First\" kind=\"SHAPE\"/>") +
                               c.element + "<element name=\"Last\" kind=\"SHAPE\"/></theme>";
        try {
            theme->LoadTheme(WriteTheme(name, xml));
            ADD_FAILURE() << "no conversion error for " << c.element;
        } catch (const EConvertError& error) {
            EXPECT_TRUE(error.Message().startsWith(QString::fromUtf8(c.message)))
                << error.Message().toStdString();
        }
        EXPECT_EQ(Names(), QStringList{QStringLiteral("First")}) << c.element;
    }
}

TEST_F(DocumentTest, AddElementNamesByKindAndNumber) {
    LoadElements("");
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(theme->AddElement(QStringLiteral("GRAPH")), nullptr);
    EXPECT_EQ(Names(), (QStringList{"GRAPH1", "GRAPH2", "GRAPH3"}));
    EXPECT_TRUE(theme->DeleteElement(QStringLiteral("graph2")));
    EXPECT_FALSE(theme->DeleteElement(QStringLiteral("GRAPH2")));
    EXPECT_EQ(DocumentNames(), (QStringList{"GRAPH1", "GRAPH3"}));
    TThemeElement* added = theme->AddElement(QStringLiteral("GRAPH"));
    EXPECT_EQ(added->Name(), QStringLiteral("GRAPH2"));
    EXPECT_EQ(added->X(), 0);
    EXPECT_FALSE(added->Node().attribute("width"));
    // The node goes after the elements the list already holds.
    EXPECT_EQ(DocumentNames(), (QStringList{"GRAPH1", "GRAPH3", "GRAPH2"}));
}

TEST_F(DocumentTest, DuplicateElementNamesCopiesAndPlacesTheNodeBeforeTheLast) {
    LoadElements("<element name=\"CPU\" kind=\"SHAPE\" x=\"5\" width=\"30\"/>"
                 "<element name=\"Last\" kind=\"SHAPE\"/>");
    theme->DuplicateElement(QStringLiteral("CPU"));
    theme->DuplicateElement(QStringLiteral("CPU"));
    theme->DuplicateElement(QStringLiteral("Nobody"));
    EXPECT_EQ(Names(), (QStringList{"CPU", "Last", "CPU (Copy 1)", "CPU (Copy 2)"}));
    EXPECT_EQ(DocumentNames(), (QStringList{"CPU", "CPU (Copy 1)", "CPU (Copy 2)", "Last"}));
    TThemeElement& copy = theme->Elements().Item(2);
    EXPECT_EQ(copy.X(), 5);
    EXPECT_EQ(copy.Width(), 30);
    EXPECT_NE(copy.Node(), theme->Elements().Item(0).Node());
}

TEST_F(DocumentTest, MoveElementKeepsMainFirstAndRewritesTheOrder) {
    LoadElements("<element name=\"A\" kind=\"SHAPE\"/>\n<!-- note -->\n"
                 "<element name=\"main\" kind=\"DISPLAY\"/>\n<other/>\n"
                 "<element name=\"B\" kind=\"SHAPE\"/>\n");
    // Offset -1 on the element at index 1 (after main moved to the front): nothing but a repaint.
    theme->MoveElement(QStringLiteral("A"), -1);
    EXPECT_EQ(Names(), (QStringList{"main", "A", "B"}));
    theme->MoveElement(QStringLiteral("B"), -1);
    EXPECT_EQ(Names(), (QStringList{"main", "B", "A"}));
    EXPECT_EQ(DocumentNames(), (QStringList{"main", "B", "A"}));
    const pugi::xml_node root = theme->Document()->Xml.child("theme");
    EXPECT_FALSE(root.child("other"));
    int children = 0;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
        ++children;
    EXPECT_EQ(children, 3);
    theme->MoveElement(QStringLiteral("A"), 5);
    EXPECT_EQ(Names(), (QStringList{"main", "B", "A"}));
    // Elements keep their nodes across the move.
    EXPECT_EQ(theme->Elements().Find(QStringLiteral("A"))->Node().attribute("kind").value(),
              std::string("SHAPE"));
}

TEST_F(DocumentTest, SetNameRefusesNamesInUseIgnoringCase) {
    LoadElements("<element name=\"Clock\" kind=\"TEXT\"/><element name=\"Date\" kind=\"TEXT\"/>");
    TThemeElement& clock = theme->Elements().Item(0);
    EXPECT_TRUE(clock.SetName(QStringLiteral("Clock")));
    EXPECT_FALSE(clock.SetName(QStringLiteral("clock")));
    EXPECT_FALSE(clock.SetName(QStringLiteral("DATE")));
    EXPECT_EQ(clock.Name(), QStringLiteral("Clock"));
    EXPECT_TRUE(clock.SetName(QStringLiteral("Time")));
    EXPECT_EQ(clock.Name(), QStringLiteral("Time"));
    EXPECT_TRUE(theme->Elements().Exists(QStringLiteral("TIME")));
}

TEST_F(DocumentTest, ItemPastTheEndRaises) {
    LoadElements("<element name=\"A\"/>");
    EXPECT_NO_THROW(theme->Elements().Item(0));
    try {
        theme->Elements().Item(1);
        FAIL();
    } catch (const EIndexOutOfBounds& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Element index is out of bounds"));
    }
    EXPECT_THROW(theme->Elements().Item(-1), EIndexOutOfBounds);
}

TEST_F(DocumentTest, PositionAndSizeGoIntoTheNodeAndTheComponent) {
    FakeDisplay display;
    SetDisplayTarget(&display);
    LoadElements("<element name=\"main\" kind=\"DISPLAY\"/><element name=\"S\" kind=\"SHAPE\"/>");
    EXPECT_EQ(display.applied, QStringList{QStringLiteral("main")});
    TThemeElement& shape = theme->Elements().Item(1);
    shape.SetX(7);
    shape.SetWidth(40);
    EXPECT_EQ(shape.Component()->X, 7);
    EXPECT_EQ(shape.Component()->Width, 40);
    EXPECT_STREQ(shape.Node().attribute("width").value(), "40");
    theme->Elements().Item(0).SetHeight(321);
    EXPECT_EQ(display.height, 321);
}

TEST_F(DocumentTest, DisplaySettingsUseTheWindowDefaults) {
    LoadElements("<element name=\"main\" kind=\"DISPLAY\"/>"
                 "<element name=\"other\" kind=\"DISPLAY\" width=\"50\"><colour>-1</colour>"
                 "<dotransparency>true</dotransparency><opacity>40</opacity>"
                 "<usevistaglass>1</usevistaglass><style>0</style></element>");
    const TDisplayElementSettings main = ReadDisplaySettings(theme->Elements().Item(0));
    EXPECT_EQ(main.Width, 200);
    EXPECT_EQ(main.Height, 300);
    EXPECT_EQ(main.Colour, 16777215);
    EXPECT_EQ(main.Opacity, 100);
    EXPECT_FALSE(main.UseVistaGlass);
    EXPECT_FALSE(main.DoTransparency);
    EXPECT_EQ(main.TransparentColour, 16711935);
    EXPECT_EQ(main.Style, 2);
    EXPECT_EQ(theme->Elements().Item(0).Width(), 100); // the element's own accessor: 100
    const TDisplayElementSettings other = ReadDisplaySettings(theme->Elements().Item(1));
    EXPECT_EQ(other.Width, 50);
    EXPECT_EQ(other.Colour, -1);
    EXPECT_EQ(other.Opacity, 40);
    EXPECT_TRUE(other.UseVistaGlass);
    EXPECT_TRUE(other.DoTransparency);
    EXPECT_EQ(other.Style, 0);
}
