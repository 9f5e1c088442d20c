#include "config/DateTime.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

TDateTime EncodeDate(const QDate& date) {
    return static_cast<double>(kEpoch.daysTo(date));
}

TDateTime EncodeDateTime(const QDateTime& value) {
    const QTime t = value.time();
    return EncodeDate(value.date()) + t.msecsSinceStartOfDay() / kMsPerDay;
}

QDate DecodeDate(TDateTime value) {
    if (!std::isfinite(value))
        return {};
    return kEpoch.addDays(static_cast<qint64>(std::floor(value)));
}

QDateTime DecodeDateTime(TDateTime value) {
    if (!std::isfinite(value))
        return {};
    const double day = std::floor(value);
    auto ms = static_cast<int>(std::llround((value - day) * kMsPerDay));
    ms = std::clamp(ms, 0, 86399999);
    return QDateTime(DecodeDate(value), QTime::fromMSecsSinceStartOfDay(ms));
}

QString DateTimeToStr(TDateTime value) {
    const QDateTime dt = DecodeDateTime(value);
    const QLocale locale = QLocale::system();
    QString text = locale.toString(dt.date(), QLocale::ShortFormat);
    if (dt.time().msecsSinceStartOfDay() != 0)
        text += QLatin1Char(' ') + locale.toString(dt.time(), QLocale::LongFormat);
    return text;
}
