#pragma once

#include "raster/Bitmap32.h"
#include "theme/ThemeComponent.h"

#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <vector>

// The history of one figure of a graph; slot 0 is the newest value.
class TGraphPlot {
public:
    // Histories longer than this are cut: a "buffersize" of two billion must not take memory
    // for two billion slots.
    static constexpr int kMaxCapacity = 100000;

    explicit TGraphPlot(pugi::xml_node node) : node_(node) {}

    int Capacity() const { return capacity_; }
    qsizetype SlotCount() const { return qsizetype(values_.size()); }
    // Appends empty slots up to the capacity; never removes any.
    void SetCapacity(int n);
    // Inserts at slot 0 and drops the oldest slot beyond the capacity.
    void AddValue(double value);
    double ValueAt(qsizetype index) const; // 0 for an empty slot
    double MaxValue() const;               // never below 0
    // The node's "colour" attribute, read at each call (white when absent).
    TThemeColour Colour() const;
    pugi::xml_node Node() const { return node_; }

private:
    std::deque<std::optional<double>> values_;
    int capacity_ = 0;
    pugi::xml_node node_;
};

// Filled areas of recent values, newest at the right edge, with an optional scale and border.
class TThemeGraph : public TThemeComponent {
public:
    TBitmap32 WorkSurface;
    bool Antialias = true;
    bool AutoScale = true;
    TThemeColour BackgroundColour = -1;
    bool BackgroundTransparent = false;
    TThemeColour BorderColour = 0;
    TPenStyle BorderStyle = TPenStyle::Solid;
    int BorderThickness = 1;
    int BufferSize = 60;
    quint8 Opacity = 100;
    TFontDesc Font;
    double ScaleSize = 0;
    bool ShowScale = false;

    void Read(pugi::xml_node element);
    // One plot per child of the node, whatever its name, each sized to BufferSize.
    void BuildPlots(pugi::xml_node plots);
    void SetBufferSize(int n);
    void AddValue(TGraphPlot& plot, double value);
    // ScaleSize = ceil(largest value * 1.1) in extended precision; unchanged while all are 0.
    void Rescale();
    qsizetype PlotCount() const { return qsizetype(plots_.size()); }
    TGraphPlot& Plot(qsizetype index) { return *plots_.at(size_t(index)); }

    void Draw(TBitmap32& surface) override;

    // The outline of a plot as drawn: (Width, Height), one point per slot, the closing point.
    std::vector<QPoint> PlotPoints(const TGraphPlot& plot, int scaleWidth) const;
    // The text measured for the scale's width, and the labels drawn beside it.
    static QString ScaleText(double scaleSize);
    static QString LabelText(long double value);

private:
    std::vector<std::unique_ptr<TGraphPlot>> plots_;
};
