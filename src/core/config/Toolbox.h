#pragma once

#include <QString>

// Drops n - 1 leading fields up to and including the delimiter; unless `last` is set, the result
// is then cut before the next delimiter. GetToken("x|y|z", "|", 2) is "y".
QString GetToken(const QString& text, const QString& delimiter, int n, bool last = false);

// Texts held in short fields (descriptions, addresses, paths, data-item values) keep at most
// their first 255 characters.
QString ShortText(const QString& text);
