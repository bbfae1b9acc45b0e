#include "DataSetRow.h"

#include "FieldValue.h"

#include <QDateTime>
#include <QHash>
#include <cstring>

namespace zel {

namespace {

qsizetype kindWords(qsizetype n)
{
    return (n + 7) / 8;
}

// A local date-time as its day and its milliseconds in the day (below 2^27).
quint64 packDateTime(const QDateTime& dt)
{
    const QDateTime local = dt.timeSpec() == Qt::LocalTime ? dt : dt.toLocalTime();
    return (quint64(local.date().toJulianDay()) << 27) | quint64(local.time().msecsSinceStartOfDay());
}

QDateTime unpackDateTime(quint64 v)
{
    return QDateTime(QDate::fromJulianDay(qint64(v >> 27)),
                     QTime::fromMSecsSinceStartOfDay(int(v & ((1u << 27) - 1))));
}

template <class T> int order(const T& x, const T& y)
{
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

PackedRow::PackedRow(const Row& row)
{
    const qsizetype n = row.size();
    qsizetype chars = 0;
    for (const QVariant& v : row) {
        if (v.metaType().id() == QMetaType::QString)
            chars += static_cast<const QString*>(v.constData())->size();
    }
    const qsizetype head = 1 + kindWords(n) + n;
    m_wordCount = head + (chars * 2 + 7) / 8;
    m_words.reset(new quint64[size_t(m_wordCount)]());
    m_words[0] = quint64(n);
    auto* kinds = reinterpret_cast<quint8*>(&m_words[1]);
    quint64* words = &m_words[size_t(1 + kindWords(n))];
    auto* text = reinterpret_cast<char16_t*>(&m_words[size_t(head)]);
    qsizetype at = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QVariant& v = row[i];
        Kind k = Null;
        quint64 s = 0;
        if (v.isValid()) {
            switch (v.metaType().id()) {
            case QMetaType::QString: {
                const QString& str = *static_cast<const QString*>(v.constData());
                std::memcpy(text + at, str.utf16(), size_t(str.size()) * 2);
                s = (quint64(at) << 32) | quint64(str.size());
                at += str.size();
                k = Text;
                break;
            }
            case QMetaType::LongLong:
                s = quint64(*static_cast<const qint64*>(v.constData()));
                k = Integer;
                break;
            case QMetaType::Double:
                std::memcpy(&s, v.constData(), sizeof s);
                k = Float;
                break;
            case QMetaType::QDate:
                s = quint64(static_cast<const QDate*>(v.constData())->toJulianDay());
                k = Date;
                break;
            case QMetaType::QDateTime:
                s = packDateTime(*static_cast<const QDateTime*>(v.constData()));
                k = DateTime;
                break;
            case QMetaType::Bool:
                s = v.toBool() ? 1 : 0;
                k = Boolean;
                break;
            default: // not a stored form; kept as its text
                k = Other;
                break;
            }
        }
        kinds[i] = k;
        words[i] = s;
    }
    // A value of another type (never stored by the dataset itself) is kept as its text.
    for (qsizetype i = 0; i < n; ++i) {
        if (kinds[i] == Other) {
            *this = PackedRow([&] {
                Row copy = row;
                copy[i] = row[i].toString();
                return copy;
            }());
            return;
        }
    }
}

PackedRow::PackedRow(const PackedRow& other) : m_wordCount(other.m_wordCount)
{
    if (other.m_words) {
        m_words.reset(new quint64[size_t(m_wordCount)]);
        std::memcpy(m_words.get(), other.m_words.get(), size_t(m_wordCount) * 8);
    }
}

PackedRow& PackedRow::operator=(const PackedRow& other)
{
    if (this != &other)
        *this = PackedRow(other);
    return *this;
}

int PackedRow::size() const
{
    return m_words ? int(m_words[0]) : 0;
}

PackedRow::Kind PackedRow::kind(int i) const
{
    return Kind(reinterpret_cast<const quint8*>(&m_words[1])[i]);
}

quint64 PackedRow::slot(int i) const
{
    return m_words[size_t(1 + kindWords(size()) + i)];
}

QStringView PackedRow::textAt(int i) const
{
    const qsizetype n = size();
    const auto* text = reinterpret_cast<const char16_t*>(&m_words[size_t(1 + kindWords(n) + n)]);
    const quint64 s = slot(i);
    return QStringView(text + (s >> 32), qsizetype(s & 0xffffffffu));
}

QVariant PackedRow::operator[](int i) const
{
    if (i < 0 || i >= size())
        return {};
    const quint64 s = slot(i);
    switch (kind(i)) {
    case Text:
        return textAt(i).toString();
    case Integer:
        return qint64(s);
    case Float: {
        double d;
        std::memcpy(&d, &s, sizeof d);
        return d;
    }
    case Date:
        return QDate::fromJulianDay(qint64(s));
    case DateTime:
        return unpackDateTime(s);
    case Boolean:
        return s != 0;
    default:
        return {};
    }
}

Row PackedRow::toRow() const
{
    Row out;
    const int n = size();
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out.append((*this)[i]);
    return out;
}

int PackedRow::compareAt(int i, const PackedRow& other) const
{
    const Kind a = kind(i), b = other.kind(i);
    if (a == Null || b == Null)
        return a == b ? 0 : (a == Null ? -1 : 1);
    if (a != b)
        return fieldvalue::compare((*this)[i], other[i]);
    const quint64 x = slot(i), y = other.slot(i);
    switch (a) {
    case Text:
        return textAt(i).compare(other.textAt(i), Qt::CaseSensitive);
    case Integer:
    case Date:
        return order(qint64(x), qint64(y));
    case Float: {
        double dx, dy;
        std::memcpy(&dx, &x, sizeof dx);
        std::memcpy(&dy, &y, sizeof dy);
        return order(dx, dy);
    }
    default: // date-times (day, then time of day) and booleans order as their words
        return order(x, y);
    }
}

} // namespace zel
