#include "theme/ThemeReader.h"

#include "config/SettingsFile.h"
#include "theme/ThemeErrors.h"
#include "usage/DataMine.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <cmath>
#include <sstream>

namespace {
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata |
                                   pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_doctype;

bool ParseReal(const QString& text, double& value) {
    bool ok = false;
    value = QLocale::system().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value);
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}
} // namespace

TThemeDocumentPtr ParseThemeDocument(const QByteArray& text, const QString& fileName) {
    auto document = std::make_shared<TThemeDocument>();
    const pugi::xml_parse_result result =
        document->Xml.load_buffer(text.constData(), size_t(text.size()), kParseOptions);
    if (!result)
        return nullptr;
    document->FileName = fileName;
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    document->Folder = slash >= 0 ? fileName.left(slash + 1) : QString();
    return document;
}

TThemeDocumentPtr LoadThemeDocument(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxThemeFileSize)
        return nullptr;
    const QByteArray text = file.read(kMaxThemeFileSize + 1);
    if (text.size() > kMaxThemeFileSize)
        return nullptr;
    return ParseThemeDocument(text, fileName);
}

QByteArray ThemeDocumentText(const TThemeDocument& document) {
    // Raw output keeps the white space read from the file as the layout. White space between
    // top-level nodes is not kept by the parser, so each of them gets a line of its own.
    std::ostringstream out;
    for (pugi::xml_node node = document.Xml.first_child(); node; node = node.next_sibling()) {
        node.print(out, "\t", pugi::format_raw, pugi::encoding_utf8);
        out << '\n';
    }
    const std::string text = out.str();
    return QByteArray(text.data(), qsizetype(text.size()));
}

bool SaveThemeDocument(const TThemeDocument& document) {
    if (document.FileName.isEmpty() || !QFile::exists(document.FileName))
        return false;
    QSaveFile file(document.FileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(ThemeDocumentText(document));
    return file.commit();
}

int ToInteger(const QString& text) {
    int value = 0;
    if (!ParseSettingInteger(text.trimmed(), value))
        throw EConvertError(Quoted(text) + QStringLiteral(" is not a valid integer value"));
    return value;
}

double ToReal(const QString& text) {
    double value = 0;
    if (!ParseReal(text.trimmed(), value))
        throw EConvertError(Quoted(text) + QStringLiteral(" is not a valid floating point value"));
    return value;
}

bool ToBoolean(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    double value = 0;
    if (!ParseReal(trimmed, value))
        throw EConvertError(Quoted(text) + QStringLiteral(" is not a valid boolean value"));
    return value != 0;
}

double TextToNumber(const QString& text) {
    double value = 0;
    return ParseReal(text.trimmed(), value) ? value : 0.0;
}

QString ExpandDataItems(const QString& text, const QString& themeFolder) {
    QString result = text;
    if (result.contains(QLatin1Char('%')))
        result.replace(QStringLiteral("%THEME:Path%"), themeFolder, Qt::CaseInsensitive);
    return DataMine ? DataMine->Expand(result) : result;
}

QString AsciiUpper(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

namespace ThemeProperty {
pugi::xml_node Node(pugi::xml_node element, Path path) {
    pugi::xml_node node = element;
    for (const char* name : path) {
        pugi::xml_node child = node.child(name);
        if (!child)
            child = node.append_child(name);
        node = child;
    }
    return node;
}

QString Text(pugi::xml_node element, Path path, const QString& def) {
    const char* text = Node(element, path).text().get();
    return *text ? QString::fromUtf8(text) : def;
}

namespace {
// The text of a property with blanks removed, or an empty text for "use the default".
QString Trimmed(pugi::xml_node element, Path path) {
    return Text(element, path).trimmed();
}
} // namespace

int Integer(pugi::xml_node element, Path path, int def) {
    const QString text = Trimmed(element, path);
    return text.isEmpty() ? def : ToInteger(text);
}

double Real(pugi::xml_node element, Path path, double def) {
    const QString text = Trimmed(element, path);
    return text.isEmpty() ? def : ToReal(text);
}

bool Boolean(pugi::xml_node element, Path path, bool def) {
    const QString text = Trimmed(element, path);
    return text.isEmpty() ? def : ToBoolean(text);
}

bool LenientBoolean(pugi::xml_node element, Path path, bool def) {
    const QString text = Trimmed(element, path);
    if (text.isEmpty())
        return def;
    try {
        return ToBoolean(text);
    } catch (const EConvertError&) {
        return false;
    }
}

QString TextAttribute(pugi::xml_node node, const char* name, const QString& def) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute ? QString::fromUtf8(attribute.value()) : def;
}

int IntegerAttribute(pugi::xml_node node, const char* name, int def) {
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute ? ToInteger(QString::fromUtf8(attribute.value())) : def;
}

void SetAttribute(pugi::xml_node node, const char* name, const QString& value) {
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        attribute = node.append_attribute(name);
    attribute.set_value(value.toUtf8().constData());
}
} // namespace ThemeProperty
