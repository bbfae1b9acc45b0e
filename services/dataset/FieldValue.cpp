#include "FieldValue.h"

#include "DataSetMessages.h"
#include "text/Money.h"

#include <QLocale>
#include <QMetaType>
#include <cmath>
#include <limits>

namespace zel::fieldvalue {
namespace {

int typeOf(const QVariant& v)
{
    return v.metaType().id();
}

bool isIntegral(const QVariant& v)
{
    switch (typeOf(v)) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

template <class T> const T& stored(const QVariant& v)
{
    return *static_cast<const T*>(v.constData());
}

bool isFloating(const QVariant& v)
{
    return typeOf(v) == QMetaType::Double || typeOf(v) == QMetaType::Float;
}

QString shownValue(const QVariant& value)
{
    QString shown = value.canConvert<QString>() ? value.toString() : QString::fromLatin1(value.typeName());
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("...");
    return shown;
}

Error cannot(const FieldDef& field, const QVariant& value)
{
    return dataSetError("DsValorInvalido", field.name, fieldTypeLabel(field.type), shownValue(value));
}

// `why` is the reason's own text (from a catalogue); the error keeps the reason's key.
Error cannot(const FieldDef& field, const QVariant& value, const QString& why, const QString& code)
{
    return Error{
        dataSetText("DsValorInvalidoPorque", field.name, fieldTypeLabel(field.type), shownValue(value), why),
        code};
}

Error cannot(const FieldDef& field, const QVariant& value, const char* whyKey)
{
    return cannot(field, value, dataSetText(whyKey), QLatin1String(whyKey));
}

Result<QVariant> integerFrom(const FieldDef& field, const QVariant& v)
{
    if (typeOf(v) == QMetaType::ULongLong || typeOf(v) == QMetaType::ULong) {
        const qulonglong u = v.toULongLong();
        if (u > qulonglong(std::numeric_limits<qint64>::max()))
            return cannot(field, v, "DsPorqueForaLimite");
        return QVariant(qint64(u));
    }
    if (isIntegral(v))
        return QVariant(qint64(v.toLongLong()));
    if (typeOf(v) == QMetaType::Bool)
        return QVariant(qint64(v.toBool() ? 1 : 0));
    if (isFloating(v)) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.2e18)
            return cannot(field, v, "DsPorqueNaoInteiro");
        return QVariant(qint64(d));
    }
    if (typeOf(v) == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return QVariant();
        bool ok = false;
        const qint64 n = t.toLongLong(&ok);
        if (!ok)
            return cannot(field, v, "DsPorqueNaoInteiro");
        return QVariant(n);
    }
    return cannot(field, v);
}

Result<QVariant> floatFrom(const FieldDef& field, const QVariant& v)
{
    double d = 0;
    if (isIntegral(v) || isFloating(v)) {
        d = v.toDouble();
    } else if (typeOf(v) == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return QVariant();
        const Result<double> read = parseNumber(t);
        if (!read)
            return cannot(field, v, read.errorMessage(), read.errorCode());
        d = *read;
    } else {
        return cannot(field, v);
    }
    if (!std::isfinite(d))
        return cannot(field, v, "DsPorqueNaoFinito");
    return QVariant(d);
}

Result<QVariant> dateFrom(const FieldDef& field, const QVariant& v)
{
    QDate d;
    if (typeOf(v) == QMetaType::QDate) {
        d = v.toDate();
    } else if (typeOf(v) == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid())
            return QVariant();
        d = dt.toLocalTime().date();
    } else if (typeOf(v) == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return QVariant();
        if (auto parsed = parseDate(t))
            d = *parsed;
        else if (auto dt = parseDateTime(t))
            d = dt->date();
        else
            return cannot(field, v, "DsPorqueNaoData");
    } else {
        return cannot(field, v);
    }
    if (d.isNull())
        return QVariant();
    if (!inRange(d))
        return cannot(field, v, "DsPorqueAnos");
    return QVariant(d);
}

Result<QVariant> dateTimeFrom(const FieldDef& field, const QVariant& v)
{
    QDateTime dt;
    if (typeOf(v) == QMetaType::QDateTime) {
        dt = v.toDateTime();
        if (dt.isNull())
            return QVariant();
        if (!dt.isValid())
            return cannot(field, v, "DsPorqueDataHoraInvalida");
        dt = dt.toLocalTime();
    } else if (typeOf(v) == QMetaType::QDate) {
        const QDate d = v.toDate();
        if (d.isNull())
            return QVariant();
        dt = d.startOfDay();
    } else if (typeOf(v) == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return QVariant();
        auto parsed = parseDateTime(t);
        if (!parsed)
            return cannot(field, v, "DsPorqueNaoDataHora");
        dt = *parsed;
    } else {
        return cannot(field, v);
    }
    if (!inRange(dt.date()))
        return cannot(field, v, "DsPorqueAnos");
    return QVariant(dt);
}

Result<QVariant> booleanFrom(const FieldDef& field, const QVariant& v)
{
    if (typeOf(v) == QMetaType::Bool)
        return QVariant(v.toBool());
    if (isIntegral(v) || isFloating(v)) {
        const double d = v.toDouble();
        if (d == 0 || d == 1)
            return QVariant(d == 1);
        return cannot(field, v, "DsPorqueLogico01");
    }
    if (typeOf(v) == QMetaType::QString) {
        const QString t = v.toString().trimmed().toLower();
        if (t.isEmpty())
            return QVariant();
        if (t == QLatin1String("true") || t == QLatin1String("1"))
            return QVariant(true);
        if (t == QLatin1String("false") || t == QLatin1String("0"))
            return QVariant(false);
        return cannot(field, v, "DsPorqueNaoLogico");
    }
    return cannot(field, v);
}

} // namespace

bool inRange(const QDate& date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString dateTimeText(const QDateTime& dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    if (local.time().msec() != 0)
        return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

std::optional<QDate> parseDate(const QString& text)
{
    if (text.size() != 10)
        return std::nullopt;
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!inRange(d))
        return std::nullopt;
    return d;
}

std::optional<QDateTime> parseDateTime(const QString& text)
{
    if (text.size() == 10) {
        if (auto d = parseDate(text))
            return d->startOfDay();
        return std::nullopt;
    }
    // Qt's ISO reader wants a 'T' between date and time; a blank is common in hand-written files.
    QString t = text;
    if (t.size() > 10 && t[10] == QLatin1Char(' '))
        t[10] = QLatin1Char('T');
    if (t.size() < 16 || t[10] != QLatin1Char('T'))
        return std::nullopt;
    QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid() || !inRange(dt.date()))
        return std::nullopt;
    return dt.toLocalTime();
}

Result<QVariant> convert(const FieldDef& field, const QVariant& value)
{
    if (!value.isValid() || typeOf(value) == QMetaType::Nullptr)
        return QVariant();
    switch (field.type) {
    case FieldType::String: {
        QString t;
        if (typeOf(value) == QMetaType::QString)
            t = value.toString();
        else if (typeOf(value) == QMetaType::QChar)
            t = QString(value.toChar());
        else if (isIntegral(value))
            t = QString::number(value.toLongLong());
        else if (isFloating(value) && std::isfinite(value.toDouble()))
            t = text(QVariant(value.toDouble()));
        else if (typeOf(value) == QMetaType::QDate || typeOf(value) == QMetaType::QDateTime ||
                 typeOf(value) == QMetaType::Bool)
            t = text(value);
        else
            return cannot(field, value);
        if (field.size > 0 && t.size() > field.size)
            t.truncate(field.size);
        return QVariant(t);
    }
    case FieldType::Integer:
        return integerFrom(field, value);
    case FieldType::Float:
        return floatFrom(field, value);
    case FieldType::Date:
        return dateFrom(field, value);
    case FieldType::DateTime:
        return dateTimeFrom(field, value);
    case FieldType::Boolean:
        return booleanFrom(field, value);
    }
    return cannot(field, value);
}

bool isStored(FieldType type, const QVariant& value)
{
    if (!value.isValid())
        return true;
    switch (type) {
    case FieldType::String:
        return typeOf(value) == QMetaType::QString;
    case FieldType::Integer:
        return typeOf(value) == QMetaType::LongLong;
    case FieldType::Float:
        return typeOf(value) == QMetaType::Double && std::isfinite(value.toDouble());
    case FieldType::Date:
        return typeOf(value) == QMetaType::QDate && inRange(value.toDate());
    case FieldType::DateTime:
        return typeOf(value) == QMetaType::QDateTime && value.toDateTime().isValid() &&
               inRange(value.toDateTime().date());
    case FieldType::Boolean:
        return typeOf(value) == QMetaType::Bool;
    }
    return false;
}

QString text(const QVariant& value)
{
    if (!value.isValid())
        return QString();
    switch (typeOf(value)) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return dateText(value.toDate());
    case QMetaType::QDateTime:
        return dateTimeText(value.toDateTime());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        if (isIntegral(value))
            return QString::number(value.toLongLong());
        return value.toString();
    }
}

int compare(const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const int ta = typeOf(a), tb = typeOf(b);
    if (ta != tb)
        return ta < tb ? -1 : 1;
    // Index orders compare often: read the stored values in place, without copies.
    auto order = [](const auto& x, const auto& y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (ta) {
    case QMetaType::QString:
        return stored<QString>(a).compare(stored<QString>(b), Qt::CaseSensitive);
    case QMetaType::LongLong:
        return order(stored<qint64>(a), stored<qint64>(b));
    case QMetaType::Double:
        return order(stored<double>(a), stored<double>(b));
    case QMetaType::QDate:
        return order(stored<QDate>(a), stored<QDate>(b));
    case QMetaType::QDateTime: {
        // Stored date-times are all local time: the wall-clock date and time order them
        // without a time-zone look-up per comparison.
        const QDateTime& x = stored<QDateTime>(a);
        const QDateTime& y = stored<QDateTime>(b);
        if (x.timeSpec() == Qt::LocalTime && y.timeSpec() == Qt::LocalTime) {
            const int c = order(x.date(), y.date());
            return c != 0 ? c : order(x.time(), y.time());
        }
        return order(x.toMSecsSinceEpoch(), y.toMSecsSinceEpoch());
    }
    case QMetaType::Bool:
        return order(int(a.toBool()), int(b.toBool()));
    default:
        return order(a.toString(), b.toString());
    }
}

bool matches(const QVariant& stored, const QVariant& wanted, bool caseInsensitive, bool prefix)
{
    if (!stored.isValid() || !wanted.isValid())
        return stored.isValid() == wanted.isValid();
    if (typeOf(stored) == QMetaType::QString) {
        const QString s = stored.toString(), w = wanted.toString();
        const auto cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        return prefix ? s.startsWith(w, cs) : s.compare(w, cs) == 0;
    }
    return compare(stored, wanted) == 0;
}

} // namespace zel::fieldvalue
