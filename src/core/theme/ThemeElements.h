#pragma once

#include "theme/ThemeComponent.h"
#include "theme/ThemeErrors.h"
#include "theme/ThemeReader.h"

#include <QString>
#include <memory>
#include <pugixml.hpp>
#include <vector>

class TBitmap32;

// One "element" node of the loaded document and the component built from it. Every change of
// position, size or name goes into the node at once.
class TThemeElement {
public:
    // Builds at once (without saving); a conversion error propagates and no element results.
    TThemeElement(TThemeDocumentPtr document, pugi::xml_node node);
    TThemeElement(const TThemeElement&) = delete;
    TThemeElement& operator=(const TThemeElement&) = delete;

    // Re-reads the node into a new component; with `save` the document is written to its file
    // first (a failure to write is ignored). "DISPLAY" elements go to the display window.
    void Build(bool save);

    QString Name() const;
    QString Kind() const; // upper case
    // The attributes with defaults 0, 0, 100, 100 (not the window's defaults for "DISPLAY").
    int X() const;
    int Y() const;
    int Width() const;
    int Height() const;
    void SetX(int value);
    void SetY(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    // False, with nothing changed, when another element bears the name ignoring letter case;
    // so a change of letter case alone is refused.
    bool SetName(const QString& name);

    void Draw(TBitmap32& surface);
    // Expands the data items of the node into the component, once per refresh.
    void UpdateData();

    TThemeComponent* Component() const { return component_.get(); }
    pugi::xml_node Node() const { return node_; }
    const TThemeDocumentPtr& Document() const { return document_; }
    // A property of the node by the reading rule (an absent one is appended empty).
    QString Property(ThemeProperty::Path path, const QString& def = {}) const;

private:
    TThemeDocumentPtr document_; // keeps the node alive
    pugi::xml_node node_;
    std::unique_ptr<TThemeComponent> component_;
};

// The elements of the active theme in drawing order (index 0 first). Names are compared with
// letters a to z upper-cased.
class TThemeElements {
public:
    // Appends; the list owns the element from now on.
    void Add(std::unique_ptr<TThemeElement> element);
    void Clear() { items_.clear(); }
    int Count() const { return int(items_.size()); }
    bool Exists(const QString& name) const { return IndexOfName(name) >= 0; }
    TThemeElement* Find(const QString& name) const;
    int IndexOfName(const QString& name) const;
    // Raises EIndexOutOfBounds past the end.
    TThemeElement& Item(int index) const;
    bool Remove(const QString& name);
    // To index + offset when that lies in the list; otherwise nothing.
    void Move(const QString& name, int offset);

private:
    std::vector<std::unique_ptr<TThemeElement>> items_;
};
