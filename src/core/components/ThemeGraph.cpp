#include "components/ThemeGraph.h"

#include "raster/Polygon32.h"
#include "theme/ThemeReader.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {
int ToCoord(long double value) {
    if (std::isnan(value))
        return 0;
    return ClampCoord(static_cast<TCoord>(std::clamp(value, -1.0e9L, 1.0e9L)));
}

TSurfaceColour WithAlpha(TThemeColour colour, int alpha) {
    return (ThemeColourToSurface(colour) & 0x00FFFFFFu) | (quint32(alpha) << 24);
}

QString WithLocalePoint(QString text) {
    const QString point = QLocale::system().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

// Fixed notation with `digits` decimals after rounding to `precision` significant digits;
// values with more integer digits than the precision fall back to exponent notation.
QString FixedText(long double value, int precision, int digits) {
    if (!std::isfinite(value))
        return QString::number(static_cast<double>(value));
    if (value != 0 && std::fabs(value) >= std::pow(10.0L, precision))
        return WithLocalePoint(QString::number(static_cast<double>(value), 'E', precision - 1));
    const double rounded = QString::number(static_cast<double>(value), 'g', precision).toDouble();
    return WithLocalePoint(QString::number(rounded, 'f', digits));
}
} // namespace

void TGraphPlot::SetCapacity(int n) {
    capacity_ = std::clamp(n, 0, kMaxCapacity);
    while (values_.size() < size_t(capacity_))
        values_.emplace_back();
}

void TGraphPlot::AddValue(double value) {
    values_.emplace_front(value);
    if (values_.size() > size_t(capacity_))
        values_.pop_back();
}

double TGraphPlot::ValueAt(qsizetype index) const {
    if (index < 0 || size_t(index) >= values_.size() || !values_[size_t(index)])
        return 0;
    return *values_[size_t(index)];
}

double TGraphPlot::MaxValue() const {
    double result = 0;
    for (const std::optional<double>& value : values_)
        if (value && *value > result)
            result = *value;
    return result;
}

TThemeColour TGraphPlot::Colour() const {
    // Read while drawing: a bad value (already refused when the graph was built, or edited
    // since) must not stop the whole display from painting.
    try {
        return ThemeProperty::IntegerAttribute(node_, "colour", 16777215);
    } catch (const std::exception&) {
        return 16777215;
    }
}

void TThemeGraph::Read(pugi::xml_node element) {
    using namespace ThemeProperty;
    AutoScale = Boolean(element, {"autoscale"}, true);
    ScaleSize = Real(element, {"scalesize"}, 10);
    BufferSize = Integer(element, {"buffersize"}, 60);
    Antialias = Boolean(element, {"antialias"}, true);
    BackgroundColour = Integer(element, {"background", "colour"}, 16777215);
    BorderColour = Integer(element, {"border", "colour"}, 0);
    BorderThickness = Integer(element, {"border", "thickness"}, 1);
    BorderStyle = PenStyleFromTheme(Integer(element, {"border", "style"}, 0));
    BackgroundTransparent = Integer(element, {"background", "style"}, 0) == 1;
    Opacity = static_cast<quint8>(Integer(element, {"opacity"}, 100) & 0xFF);
    ShowScale = Boolean(element, {"showscale"}, false);
    Font.Name = Text(element, {"font", "name"}, QStringLiteral("Tahoma"));
    Font.Size = Integer(element, {"font", "size"}, 8);
    Font.Colour = Integer(element, {"font", "colour"}, 16777215);
    BuildPlots(Node(element, {"plots"}));
}

void TThemeGraph::BuildPlots(pugi::xml_node plots) {
    plots_.clear();
    for (pugi::xml_node child = plots.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        // A colour that is not a number is refused here, like every other value of the build.
        ThemeProperty::IntegerAttribute(child, "colour", 16777215);
        auto plot = std::make_unique<TGraphPlot>(child);
        plot->SetCapacity(BufferSize);
        plots_.push_back(std::move(plot));
    }
}

void TThemeGraph::SetBufferSize(int n) {
    BufferSize = n;
    for (auto& plot : plots_)
        plot->SetCapacity(n);
}

void TThemeGraph::AddValue(TGraphPlot& plot, double value) {
    plot.AddValue(value);
    if (AutoScale)
        Rescale();
}

void TThemeGraph::Rescale() {
    double largest = 0;
    for (const auto& plot : plots_)
        largest = std::max(largest, plot->MaxValue());
    // Extended precision: 10 gives 11 and 20 gives 22, where doubles would give 12 and 23.
    if (largest > 0)
        ScaleSize = static_cast<double>(std::ceil(static_cast<long double>(largest) * 1.1L));
}

QString TThemeGraph::ScaleText(double scaleSize) {
    return FixedText(scaleSize, 4, 2);
}

QString TThemeGraph::LabelText(long double value) {
    return FixedText(value, 14, 2);
}

std::vector<QPoint> TThemeGraph::PlotPoints(const TGraphPlot& plot, int scaleWidth) const {
    // A history shorter than two values has no step; everything then sits at the right edge.
    const double dx = BufferSize >= 2 ? double(qint64(Width) - scaleWidth) / (BufferSize - 1) : 0.0;
    const double k = ScaleSize > 0 ? Height / ScaleSize : 1.0;
    const long double width = Width;
    const long double height = Height;
    std::vector<QPoint> points;
    const qsizetype slots = plot.SlotCount();
    points.reserve(size_t(slots) + 2);
    points.emplace_back(ToCoord(width), ToCoord(height));
    for (qsizetype g = 0; g < slots; ++g)
        points.emplace_back(
            ToCoord(std::ceil(width - static_cast<long double>(g) * dx)),
            ToCoord(std::ceil(height - static_cast<long double>(plot.ValueAt(g)) * k)));
    points.emplace_back(ToCoord(std::ceil(width - static_cast<long double>(slots - 1) * dx)),
                        ToCoord(height));
    return points;
}

void TThemeGraph::Draw(TBitmap32& surface) {
    const int alpha = std::min(255, (Opacity * 255 + 99) / 100);
    WorkSurface.SetSize(Width, Height);
    const int w = WorkSurface.Width();
    const int h = WorkSurface.Height();
    if (w <= 0 || h <= 0)
        return;
    TPolygon32 polygon;
    polygon.Antialiased = Antialias;
    const int left = ClampCoord(X);
    const int top = ClampCoord(Y);
    WorkSurface.Canvas().CopyRect(QRect(0, 0, w, h), surface.Canvas(), QRect(left, top, w, h));

    int scaleWidth = 0;
    if (ShowScale) {
        WorkSurface.Font = Font;
        scaleWidth = WorkSurface.TextWidth(ScaleText(ScaleSize)) + 7;
    }
    if (!BackgroundTransparent) {
        polygon.Add(0, -1);
        polygon.Add(Width, -1);
        polygon.Add(Width, Height);
        polygon.Add(0, Height);
        polygon.Fill(WorkSurface, WithAlpha(BackgroundColour, alpha));
    }
    for (const auto& plot : plots_) {
        polygon.Clear();
        for (const QPoint& point : PlotPoints(*plot, scaleWidth))
            polygon.Add(point.x(), point.y());
        polygon.Fill(WorkSurface, WithAlpha(plot->Colour(), alpha));
    }
    if (ShowScale) {
        const int f = Font.Size + 10;
        const auto n = f > 0 ? static_cast<quint8>(int(std::floor(double(Height) / f))) : quint8(0);
        if (n > 0) {
            const auto step = static_cast<qint64>(std::floor(double(Height) / n));
            WorkSurface.Font = Font;
            for (int i = 0; i <= n; ++i) {
                const long double value = static_cast<long double>(ScaleSize) / n * i;
                WorkSurface.RenderText(2, qint64(Height) - i * step, LabelText(value),
                                       WithAlpha(Font.Colour, alpha));
            }
        }
    }
    if (BorderStyle != TPenStyle::Clear) {
        TCanvas& canvas = WorkSurface.Canvas();
        canvas.Pen = {ThemeColourToSurface(BorderColour), BorderThickness, BorderStyle};
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Rectangle(scaleWidth, 0, Width, Height);
    }
    surface.Canvas().CopyRect(QRect(left, top, w, h), WorkSurface.Canvas(), QRect(0, 0, w, h));
}
