#include "config/Toolbox.h"

QString GetToken(const QString& text, const QString& delimiter, int n, bool last) {
    QString result = text;
    if (delimiter.isEmpty())
        return result;
    for (int i = 1; i < n; ++i) {
        const qsizetype at = result.indexOf(delimiter);
        if (at < 0)
            break;
        result.remove(0, at + delimiter.size());
    }
    if (!last) {
        const qsizetype at = result.indexOf(delimiter);
        if (at >= 0)
            result.truncate(at);
    }
    return result;
}

QString ShortText(const QString& text) {
    return text.left(255);
}
