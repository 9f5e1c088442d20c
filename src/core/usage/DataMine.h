#pragma once

#include <QString>
#include <memory>

// Ties the sampler and the usage logs together and expands data items in theme texts.
class TDataMine {
public:
    // Replaces every data item (%Category:Item%) in the text by its current figure.
    QString Expand(const QString& text) const;
};

// The one data mine of the program; empty until start-up creates it.
extern std::unique_ptr<TDataMine> DataMine;
