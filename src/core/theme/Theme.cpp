#include "theme/Theme.h"

#include "config/DataFolder.h"
#include "raster/Bitmap32.h"
#include "seams/Messages.h"
#include "theme/DisplayTarget.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <set>

std::unique_ptr<TTheme> Theme;
QString PendingStartUpTheme;

namespace {
const QString kMain = QStringLiteral("main");

// Copies a folder tree; false at the first failure.
bool CopyTree(const QString& source, const QString& target) {
    if (!QDir().mkpath(target))
        return false;
    const QDir dir(source);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString to = target + QLatin1Char('/') + entry.fileName();
        if (entry.isSymLink())
            continue; // nothing outside the default themes is copied in
        if (entry.isDir()) {
            if (!CopyTree(entry.absoluteFilePath(), to))
                return false;
        } else if (!QFile::copy(entry.absoluteFilePath(), to)) {
            return false;
        }
    }
    return true;
}

// Where the default themes were installed: beside the program, or under the install prefix.
QString DefaultThemesSource() {
    QStringList candidates{ProgramFolder() + QStringLiteral("Defaults/Themes")};
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        candidates << dir + QStringLiteral("/Defaults/Themes")
                   << dir + QStringLiteral("/../share/meterlyn/Defaults/Themes");
    }
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    return {};
}

// A theme name must stay one folder inside the library.
bool IsPlainFolderName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// The element child of `parent` with that position among its "element" children, if any.
pugi::xml_node ElementChildAt(pugi::xml_node parent, int index) {
    int i = 0;
    for (pugi::xml_node child = parent.child("element"); child;
         child = child.next_sibling("element"))
        if (i++ == index)
            return child;
    return {};
}
} // namespace

QString ThemesFolder() {
    return DataFolder() + QStringLiteral("Themes/");
}

QString ThemeFile(const QString& name) {
    return ThemesFolder() + name + QStringLiteral("/repositary.xml");
}

TThemeNameCheck CheckThemeName(const QString& name) {
    if (name.isEmpty())
        return TThemeNameCheck::Empty;
    if (name.size() > 48)
        return TThemeNameCheck::TooLong;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool allowed = u == u' ' || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') ||
                             (u >= u'a' && u <= u'z');
        if (!allowed)
            return TThemeNameCheck::InvalidCharacters;
    }
    if (QFileInfo::exists(ThemesFolder() + name))
        return TThemeNameCheck::Exists;
    return TThemeNameCheck::Ok;
}

bool AcceptThemeName(const QString& name) {
    switch (CheckThemeName(name)) {
    case TThemeNameCheck::Ok:
        return true;
    case TThemeNameCheck::Empty:
        return false;
    case TThemeNameCheck::TooLong:
        Messages().Show(QStringLiteral("Name Too Long"),
                        QStringLiteral("Theme names cannot exceed 48 characters in length"),
                        MessageIcon::Warning);
        return false;
    case TThemeNameCheck::InvalidCharacters:
        Messages().Show(QStringLiteral("Invalid Name"),
                        QStringLiteral("Theme names cannot contain special characters"),
                        MessageIcon::Warning);
        return false;
    case TThemeNameCheck::Exists:
        Messages().Show(QStringLiteral("Invalid Name"),
                        QStringLiteral("A theme by this name already exists"),
                        MessageIcon::Warning);
        return false;
    }
    return false;
}

TTheme::TTheme() {
    timer_.setSingleShot(true);
    timer_.callOnTimeout([this] {
        // A failing refresh is reported once and tried again next second, so one bad value in
        // a theme does not freeze the display for the rest of the run.
        static QString lastError;
        try {
            Refresh();
            lastError.clear();
        } catch (const std::exception& error) {
            const QString message = QString::fromUtf8(error.what());
            if (message != lastError)
                qWarning().noquote() << "Theme refresh failed:" << message;
            lastError = message;
        }
        timer_.start(1000);
    });
    InstallDefaultThemes();
}

void TTheme::InstallDefaultThemes() {
    const QString library = DataFolder() + QStringLiteral("Themes");
    if (QFileInfo::exists(library))
        return;
    // Copied beside the library first and renamed, so an interrupted copy cannot leave a
    // half-filled library that is never filled again.
    const QString partial = DataFolder() + QStringLiteral("Themes.partial");
    QDir(partial).removeRecursively();
    const QString source = DefaultThemesSource();
    const bool copied =
        !source.isEmpty() && CopyTree(source, partial) && QDir().rename(partial, library);
    if (!copied) {
        QDir(partial).removeRecursively();
        Messages().Show(QStringLiteral("Could not copy themes"),
                        QStringLiteral("Meterlyn was unable to copy a set of default themes into "
                                       "its themes directory. The application may not be "
                                       "installed correctly"),
                        MessageIcon::Warning);
    }
}

QStringList TTheme::ListThemes() const {
    // Sorted by name, as the listing of the system the themes were made for gives them, so
    // that the fallback "first theme" does not depend on the file system's order.
    const QStringList names = QDir(ThemesFolder())
                                  .entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                             QDir::Name | QDir::IgnoreCase);
    QStringList result;
    for (const QString& name : names)
        if (!name.startsWith(QLatin1Char('.')))
            result << name;
    return result;
}

void TTheme::CreateTheme(const QString& name) {
    QDir().mkpath(ThemesFolder());
    if (!IsPlainFolderName(name) || !QDir(ThemesFolder()).mkdir(name))
        throw EInOutError(QStringLiteral("Unable to create directory \"%1\"").arg(name));
    const QString file = ThemeFile(name);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write("<?xml version=\"1.0\"?>\n<theme>\n</theme>\n") < 0 || !out.commit())
        throw EInOutError(QStringLiteral("Unable to write \"%1\"").arg(file));
    LoadTheme(file);
    if (TThemeElement* element = AddElement(QStringLiteral("DISPLAY")))
        element->SetName(kMain);
}

bool TTheme::DeleteTheme(const QString& name) {
    if (!IsPlainFolderName(name))
        return false;
    QDir folder(ThemesFolder() + name);
    return folder.exists() && folder.removeRecursively();
}

void TTheme::LoadTheme(const QString& path) {
    QString cleaned = path;
    cleaned.remove(QLatin1Char('&'));
    if (cleaned.isEmpty())
        return;
    QString fileName = cleaned;
    fileName.replace(QLatin1Char('\\'), QLatin1Char('/'));
    themeFolder_ = fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    SaveTheme();
    TThemeDocumentPtr document = LoadThemeDocument(fileName);
    if (!document)
        throw ELoadError(QStringLiteral("Theme file at '") + cleaned +
                         QStringLiteral("' could not be loaded because it is either missing or "
                                        "contains syntax errors"));
    document->Folder = themeFolder_;
    document_ = std::move(document);
    BuildTheme();
}

void TTheme::SaveTheme() {
    if (document_)
        SaveThemeDocument(*document_);
}

void TTheme::BuildTheme() {
    const pugi::xml_node theme = document_ ? document_->Xml.child("theme") : pugi::xml_node();
    if (!theme)
        throw EBuildError();
    elements_.Clear();
    for (pugi::xml_node child = theme.child("element"); child;
         child = child.next_sibling("element"))
        elements_.Add(std::make_unique<TThemeElement>(document_, child));
    Refresh();
}

TThemeElement* TTheme::AddElement(const QString& kind) {
    pugi::xml_node theme = document_ ? document_->Xml.child("theme") : pugi::xml_node();
    if (!theme)
        return nullptr;
    QString name;
    for (int n = 1;; ++n) {
        name = kind + QString::number(n);
        if (!elements_.Exists(name))
            break;
    }
    const pugi::xml_node before = ElementChildAt(theme, elements_.Count());
    pugi::xml_node node =
        before ? theme.insert_child_before("element", before) : theme.append_child("element");
    ThemeProperty::SetAttribute(node, "name", name);
    ThemeProperty::SetAttribute(node, "kind", kind);
    ThemeProperty::SetAttribute(node, "x", QStringLiteral("0"));
    ThemeProperty::SetAttribute(node, "y", QStringLiteral("0"));
    auto element = std::make_unique<TThemeElement>(document_, node);
    TThemeElement* result = element.get();
    elements_.Add(std::move(element));
    Paint();
    return result;
}

bool TTheme::DeleteElement(const QString& name) {
    TThemeElement* element = elements_.Find(name);
    if (!element)
        return false;
    const pugi::xml_node node = element->Node();
    elements_.Remove(name);
    node.parent().remove_child(node);
    Paint();
    return true;
}

void TTheme::DuplicateElement(const QString& name) {
    QString copyName;
    for (int n = 1;; ++n) {
        copyName = name + QStringLiteral(" (Copy ") + QString::number(n) + QLatin1Char(')');
        if (!elements_.Exists(copyName))
            break;
    }
    TThemeElement* source = elements_.Find(name);
    if (!source || !document_)
        return;
    pugi::xml_node theme = document_->Xml.child("theme");
    if (!theme)
        return;
    // The copy's node lands before the last element node; the list gets it at the end.
    const pugi::xml_node before = ElementChildAt(theme, elements_.Count() - 1);
    pugi::xml_node copy = before ? theme.insert_copy_before(source->Node(), before)
                                 : theme.append_copy(source->Node());
    ThemeProperty::SetAttribute(copy, "name", copyName);
    elements_.Add(std::make_unique<TThemeElement>(document_, copy));
}

void TTheme::MoveElement(const QString& name, int offset) {
    if (!elements_.Exists(name))
        return;
    const int mainIndex = elements_.IndexOfName(kMain);
    if (mainIndex > 0)
        elements_.Move(kMain, -mainIndex);
    const qint64 target = qint64(elements_.IndexOfName(name)) + offset;
    pugi::xml_node theme = document_ ? document_->Xml.child("theme") : pugi::xml_node();
    if (target >= 1 && target <= elements_.Count() - 1 && theme) {
        elements_.Move(name, offset);
        // The document order becomes the list order; other children of "theme" are dropped.
        std::set<pugi::xml_node> listed;
        for (int i = 0; i < elements_.Count(); ++i)
            listed.insert(elements_.Item(i).Node());
        for (pugi::xml_node child = theme.first_child(); child;) {
            const pugi::xml_node next = child.next_sibling();
            if (!listed.count(child))
                theme.remove_child(child);
            child = next;
        }
        for (int i = 0; i < elements_.Count(); ++i)
            theme.append_move(elements_.Item(i).Node());
    }
    Paint();
}

void TTheme::Refresh() {
    const QString hintName =
        elements_.Count() > 0 ? elements_.Item(0).Property({"hintdata"}) : QString();
    IDisplayTarget* target = DisplayTarget();
    bool tipSet = false;
    for (int i = 0; i < elements_.Count(); ++i) {
        TThemeElement& element = elements_.Item(i);
        element.UpdateData();
        if (!hintName.isEmpty() && element.Name() == hintName) {
            const QString folder = element.Document() ? element.Document()->Folder : QString();
            const QString tip = ExpandDataItems(element.Property({"value"}), folder);
            if (target)
                target->SetHint(tip);
            tipSet = true;
        }
    }
    if (!tipSet && target)
        target->SetHint(QStringLiteral("Meterlyn"));
    if (PaintEnabled)
        Paint();
}

void TTheme::DrawInto(TBitmap32& surface) {
    TThemeElement* main = elements_.Find(kMain);
    if (main) {
        surface.SetSize(main->Width(), main->Height());
        main->Draw(surface);
    }
    for (int i = 0; i < elements_.Count(); ++i) {
        TThemeElement& element = elements_.Item(i);
        if (surface.Width() > 0 && surface.Height() > 0 &&
            element.Kind() != QLatin1String("DISPLAY"))
            element.Draw(surface);
    }
}

void TTheme::Paint(ICanvas* canvas) {
    TBitmap32 surface;
    DrawInto(surface);
    if (surface.Width() <= 0 || surface.Height() <= 0)
        return;
    const QRect rect(0, 0, surface.Width(), surface.Height());
    if (canvas) {
        canvas->CopyFrom(surface, rect);
        return;
    }
    const std::vector<ICanvas*> targets = canvases_;
    for (ICanvas* target : targets)
        target->CopyFrom(surface, rect);
}

void TTheme::AddCanvas(ICanvas* canvas) {
    if (!canvas || std::find(canvases_.begin(), canvases_.end(), canvas) != canvases_.end())
        return;
    canvases_.push_back(canvas);
    Paint(canvas);
}

void TTheme::RemoveCanvas(ICanvas* canvas) {
    canvases_.erase(std::remove(canvases_.begin(), canvases_.end(), canvas), canvases_.end());
}

void TTheme::StartRefreshing() {
    timer_.start(1000);
}

void TTheme::StopRefreshing() {
    timer_.stop();
}
