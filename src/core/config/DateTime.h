#pragma once

#include <QDateTime>

// A point in time as days since 30 Dec 1899 with the time of day as the fraction, the form
// in which usage logs store their dates.
using TDateTime = double;

TDateTime EncodeDateTime(const QDateTime& value);
QDateTime DecodeDateTime(TDateTime value);
TDateTime EncodeDate(const QDate& date);
QDate DecodeDate(TDateTime value);

// The user's short date format, a blank and the long time format; the time is left out when
// it is exactly midnight.
QString DateTimeToStr(TDateTime value);
