#pragma once

#include "sampling/Adapters.h"
#include "usage/Archive.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The one owner of traffic data: the sampler, the usage logs and the watched adapter. It moves
// logs of older versions into place when it is created and expands data items in theme texts.
class TDataMine {
public:
    TDataMine();
    ~TDataMine();
    TDataMine(const TDataMine&) = delete;
    TDataMine& operator=(const TDataMine&) = delete;

    // Replaces every data item (%Category:Item%) in the text by its current figure. Runs in
    // time proportional to the length of the text.
    QString Expand(const QString& text) const;

    // Fills the list (when given) with "description @key" per adapter and returns the line of
    // the watched adapter, 0 when there is none.
    int ListAdapters(QStringList* list) const;
    // Watches the adapter with this key, or none. Leaves the setting alone.
    void SelectAdapter(const QString& key);
    // Watches the next adapter and stores its key.
    void CycleAdapter();
    void LogTraffic(const QString& key, quint64 in, quint64 out);

    // Declared before the sampler, so the sampler goes first when the data mine is freed.
    std::unique_ptr<TArchives> Archives;
    std::unique_ptr<TAdapters> Adapters;
    TAdapter* ActiveAdapter = nullptr; // not owned
    // The folder of the loaded theme, set by whoever owns the theme; while empty, %Theme:Path%
    // is an unknown item.
    std::function<QString()> ThemeFolder;

private:
    void MigrateProgramFolderLogs();
    void MigrateIndexNamedLogs();
    void ChooseActiveAdapter();
    // The value of one data item, or false when the item is unknown.
    bool Lookup(QStringView source, QString& value) const;
    QString FormatNumber(double value) const;
};

// The one data mine of the program; empty until start-up creates it.
extern std::unique_ptr<TDataMine> DataMine;
