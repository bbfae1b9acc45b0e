#pragma once

#include "DataPacket.h"
#include "text/Result.h"

#include <QDate>
#include <QDateTime>
#include <optional>

// Values of dataset fields: conversion to the stored form of a field, their text, their
// order. Shared by the dataset, the data files and the JSON codec.
namespace zel::fieldvalue {

// The stored form of `value` for `field` (QString cut to the field's size, qint64, double,
// QDate, QDateTime in local time, bool). Lenient about the source type: numbers convert to
// text, text to floats as parseNumber reads it (the system's separators, or C-locale text
// where that cannot mean another number), whole-number text to integers, ISO 8601 text to
// dates; an empty text is null for every field that is not a string. What cannot convert is
// an error value.
Result<QVariant> convert(const FieldDef& field, const QVariant& value);

// True when `value` is null or already in the stored form of `type`.
bool isStored(FieldType type, const QVariant& value);

// Text of a stored value: "" for null, numbers in C-locale text (shortest form that reads
// back to the same double), dates "yyyy-MM-dd", date-times "yyyy-MM-ddTHH:mm:ss[.zzz]",
// booleans "True"/"False".
QString text(const QVariant& value);

QString dateText(const QDate& date);
QString dateTimeText(const QDateTime& dateTime);
// ISO 8601; a date-time with an offset or "Z" is brought to local time. Dates outside the
// years 1 to 9999 are refused.
std::optional<QDate> parseDate(const QString& text);
std::optional<QDateTime> parseDateTime(const QString& text);
bool inRange(const QDate& date);

// Order of two stored values of one field: null first, then by value (text by UTF-16 code
// units, case-sensitive). Negative, zero or positive.
int compare(const QVariant& a, const QVariant& b);

// Whether two values of a field are the same; `caseInsensitive` and `prefix` apply to text.
bool matches(const QVariant& stored, const QVariant& wanted, bool caseInsensitive, bool prefix);

} // namespace zel::fieldvalue
