#include "theme/ThemeElements.h"

#include "components/ThemeGraph.h"
#include "components/ThemeImage.h"
#include "components/ThemeProgress.h"
#include "components/ThemeShape.h"
#include "components/ThemeText.h"
#include "raster/Bitmap32.h"
#include "theme/DisplayTarget.h"

namespace {
const QString kDisplay = QStringLiteral("DISPLAY");
} // namespace

TThemeElement::TThemeElement(TThemeDocumentPtr document, pugi::xml_node node)
    : document_(std::move(document)), node_(node) {
    Build(false);
}

void TThemeElement::Build(bool save) {
    if (!node_)
        return;
    if (save && document_)
        SaveThemeDocument(*document_);
    const QString kind = Kind();
    if (kind == kDisplay) {
        component_.reset();
        if (IDisplayTarget* target = DisplayTarget())
            target->ApplyDisplaySettings(*this);
        return;
    }
    std::unique_ptr<TThemeComponent> component;
    if (kind == QLatin1String("TEXT"))
        component = std::make_unique<TThemeText>();
    else if (kind == QLatin1String("IMAGE"))
        component = std::make_unique<TThemeImage>();
    else if (kind == QLatin1String("GRAPH"))
        component = std::make_unique<TThemeGraph>();
    else if (kind == QLatin1String("SHAPE"))
        component = std::make_unique<TThemeShape>();
    else if (kind == QLatin1String("PROGRESS"))
        component = std::make_unique<TThemeProgress>();
    if (!component) {
        component_.reset();
        return;
    }
    component->X = ThemeProperty::IntegerAttribute(node_, "x", 0);
    component->Y = ThemeProperty::IntegerAttribute(node_, "y", 0);
    component->Width = ThemeProperty::IntegerAttribute(node_, "width", 100);
    component->Height = ThemeProperty::IntegerAttribute(node_, "height", 100);
    if (auto* text = dynamic_cast<TThemeText*>(component.get()))
        text->Read(node_);
    else if (auto* image = dynamic_cast<TThemeImage*>(component.get()))
        image->Read(node_, document_ ? document_->Folder : QString());
    else if (auto* graph = dynamic_cast<TThemeGraph*>(component.get()))
        graph->Read(node_);
    else if (auto* shape = dynamic_cast<TThemeShape*>(component.get()))
        shape->Read(node_);
    else if (auto* progress = dynamic_cast<TThemeProgress*>(component.get()))
        progress->Read(node_);
    component_ = std::move(component);
}

QString TThemeElement::Name() const {
    return ThemeProperty::TextAttribute(node_, "name");
}

QString TThemeElement::Kind() const {
    return AsciiUpper(ThemeProperty::TextAttribute(node_, "kind"));
}

int TThemeElement::X() const {
    return ThemeProperty::IntegerAttribute(node_, "x", 0);
}
int TThemeElement::Y() const {
    return ThemeProperty::IntegerAttribute(node_, "y", 0);
}
int TThemeElement::Width() const {
    return ThemeProperty::IntegerAttribute(node_, "width", 100);
}
int TThemeElement::Height() const {
    return ThemeProperty::IntegerAttribute(node_, "height", 100);
}

void TThemeElement::SetX(int value) {
    ThemeProperty::SetAttribute(node_, "x", QString::number(value));
    if (component_)
        component_->X = value;
}

void TThemeElement::SetY(int value) {
    ThemeProperty::SetAttribute(node_, "y", QString::number(value));
    if (component_)
        component_->Y = value;
}

void TThemeElement::SetWidth(int value) {
    ThemeProperty::SetAttribute(node_, "width", QString::number(value));
    if (component_)
        component_->Width = value;
    else if (Kind() == kDisplay && DisplayTarget())
        DisplayTarget()->SetDisplayWidth(value);
}

void TThemeElement::SetHeight(int value) {
    ThemeProperty::SetAttribute(node_, "height", QString::number(value));
    if (component_)
        component_->Height = value;
    else if (Kind() == kDisplay && DisplayTarget())
        DisplayTarget()->SetDisplayHeight(value);
}

bool TThemeElement::SetName(const QString& name) {
    if (name == Name())
        return true;
    const QString wanted = AsciiUpper(name);
    for (pugi::xml_node sibling = node_.parent().child("element"); sibling;
         sibling = sibling.next_sibling("element"))
        if (AsciiUpper(ThemeProperty::TextAttribute(sibling, "name")) == wanted)
            return false;
    ThemeProperty::SetAttribute(node_, "name", name);
    return true;
}

void TThemeElement::Draw(TBitmap32& surface) {
    const QString kind = Kind();
    if (component_ && kind != kDisplay) {
        component_->Draw(surface);
        return;
    }
    IDisplayTarget* target = DisplayTarget();
    if (kind != kDisplay || (target && target->GlassSheetOn()))
        return; // black under glass shows as glass
    const int colour = ThemeProperty::Integer(node_, {"colour"}, 0);
    if (colour == -1)
        surface.Clear(target ? target->GlassColour() : 0xFF000000u);
    else
        surface.Clear(ThemeColourToSurface(colour));
}

void TThemeElement::UpdateData() {
    if (!component_)
        return;
    const QString folder = document_ ? document_->Folder : QString();
    const QString kind = Kind();
    if (kind == QLatin1String("TEXT")) {
        if (auto* text = dynamic_cast<TThemeText*>(component_.get()))
            text->Text = ExpandDataItems(Property({"value"}), folder);
    } else if (kind == QLatin1String("GRAPH")) {
        if (auto* graph = dynamic_cast<TThemeGraph*>(component_.get()))
            for (qsizetype i = 0; i < graph->PlotCount(); ++i) {
                TGraphPlot& plot = graph->Plot(i);
                const QString value = ThemeProperty::TextAttribute(plot.Node(), "value");
                graph->AddValue(plot, TextToNumber(ExpandDataItems(value, folder)));
            }
    } else if (kind == QLatin1String("PROGRESS")) {
        if (auto* progress = dynamic_cast<TThemeProgress*>(component_.get())) {
            progress->Value = TextToNumber(ExpandDataItems(Property({"value"}), folder));
            progress->Maximum = TextToNumber(ExpandDataItems(Property({"maximum"}), folder));
        }
    }
}

QString TThemeElement::Property(ThemeProperty::Path path, const QString& def) const {
    return ThemeProperty::Text(node_, path, def);
}

void TThemeElements::Add(std::unique_ptr<TThemeElement> element) {
    // Ownership passes in, so the element cannot be in the list already; no search needed,
    // which keeps building a theme of many elements linear.
    if (element)
        items_.push_back(std::move(element));
}

TThemeElement* TThemeElements::Find(const QString& name) const {
    const int index = IndexOfName(name);
    return index >= 0 ? items_[size_t(index)].get() : nullptr;
}

int TThemeElements::IndexOfName(const QString& name) const {
    const QString wanted = AsciiUpper(name);
    for (size_t i = 0; i < items_.size(); ++i)
        if (AsciiUpper(items_[i]->Name()) == wanted)
            return int(i);
    return -1;
}

TThemeElement& TThemeElements::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EIndexOutOfBounds();
    return *items_[size_t(index)];
}

bool TThemeElements::Remove(const QString& name) {
    const int index = IndexOfName(name);
    if (index < 0)
        return false;
    items_.erase(items_.begin() + index);
    return true;
}

void TThemeElements::Move(const QString& name, int offset) {
    const int index = IndexOfName(name);
    if (index < 0)
        return;
    const qint64 target = qint64(index) + offset;
    if (target < 0 || target >= Count() || target == index)
        return;
    auto element = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    items_.insert(items_.begin() + target, std::move(element));
}
