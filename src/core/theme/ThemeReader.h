#pragma once

#include <QString>
#include <initializer_list>
#include <memory>
#include <pugixml.hpp>

// A loaded theme document together with the file it came from and that file's folder (ending
// with "/"), which "%THEME:Path%" names.
struct TThemeDocument {
    pugi::xml_document Xml;
    QString FileName;
    QString Folder;
};
using TThemeDocumentPtr = std::shared_ptr<TThemeDocument>;

// Larger files are refused as if they were not well-formed.
inline constexpr qint64 kMaxThemeFileSize = 16 * 1024 * 1024;

// Parses a theme file with white space kept, so that element and attribute content round-trips.
// Returns nullptr for a missing, unreadable, oversized or malformed file.
TThemeDocumentPtr LoadThemeDocument(const QString& fileName);
// A document made from text, for documents that never lived in a file (nullptr if malformed).
TThemeDocumentPtr ParseThemeDocument(const QByteArray& text, const QString& fileName = {});
// Writes the document back to its file by atomic replace, but only while that file still
// exists. Returns false when nothing was written.
bool SaveThemeDocument(const TThemeDocument& document);
QByteArray ThemeDocumentText(const TThemeDocument& document);

// Conversions of document texts; each raises EConvertError for a text that is not of the type.
// Blanks around a value are ignored; integers may also be written in hexadecimal ("0x", "$").
int ToInteger(const QString& text);
double ToReal(const QString& text);  // the locale's notation, or the C notation
bool ToBoolean(const QString& text); // "true"/"false" in any case, or a number (0 is false)

// The number a data-item text stands for, read in the locale's notation; 0 when it is none.
double TextToNumber(const QString& text);

// Expands "%THEME:Path%" to the theme folder and every other data item through the data mine
// (the text stays as it is while there is none).
QString ExpandDataItems(const QString& text, const QString& themeFolder);

// Letters a to z upper-cased, nothing else touched: how element names and kinds are compared.
QString AsciiUpper(const QString& text);

// Properties are the texts of child elements; reading one that does not exist appends an empty
// node of that name (for a grouped property, the group too), so a saved document holds a node
// for every property that was read. An empty text gives the default.
namespace ThemeProperty {
using Path = std::initializer_list<const char*>;
pugi::xml_node Node(pugi::xml_node element, Path path);
QString Text(pugi::xml_node element, Path path, const QString& def = {});
int Integer(pugi::xml_node element, Path path, int def);
double Real(pugi::xml_node element, Path path, double def);
bool Boolean(pugi::xml_node element, Path path, bool def);
// A text that is not a boolean counts as false (the font style flags).
bool LenientBoolean(pugi::xml_node element, Path path, bool def);

// An absent attribute gives the default; a present one is always converted, even when empty.
QString TextAttribute(pugi::xml_node node, const char* name, const QString& def = {});
int IntegerAttribute(pugi::xml_node node, const char* name, int def);
void SetAttribute(pugi::xml_node node, const char* name, const QString& value);
} // namespace ThemeProperty
