#include "usage/DataMine.h"

std::unique_ptr<TDataMine> DataMine;

QString TDataMine::Expand(const QString& text) const {
    return text;
}
