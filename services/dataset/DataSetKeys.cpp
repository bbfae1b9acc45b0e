#include "DataSetImpl.h"
#include "FieldValue.h"

#include <QHash>
#include <algorithm>

namespace zel {

namespace {

// Equal under fieldvalue::compare (and, with `caseInsensitive`, under a case-insensitive text
// comparison) gives an equal hash.
size_t hashValue(const QVariant& v, bool caseInsensitive)
{
    if (!v.isValid())
        return 0x9e3779b9u;
    switch (v.metaType().id()) {
    case QMetaType::QString: {
        const QString& s = *static_cast<const QString*>(v.constData());
        return caseInsensitive ? qHash(QStringView(s.toCaseFolded())) : qHash(QStringView(s));
    }
    case QMetaType::LongLong:
        return qHash(*static_cast<const qint64*>(v.constData()));
    case QMetaType::Double: {
        const double d = *static_cast<const double*>(v.constData());
        return qHash(d == 0 ? 0.0 : d); // -0 and 0 are one value
    }
    case QMetaType::QDate:
        return qHash(static_cast<const QDate*>(v.constData())->toJulianDay());
    case QMetaType::QDateTime: {
        const QDateTime& dt = *static_cast<const QDateTime*>(v.constData());
        const QDateTime local = dt.timeSpec() == Qt::LocalTime ? dt : dt.toLocalTime();
        return qHashMulti(0, local.date().toJulianDay(), local.time().msecsSinceStartOfDay());
    }
    case QMetaType::Bool:
        return v.toBool() ? 1 : 2;
    default:
        return qHash(v.toString());
    }
}

} // namespace

size_t KeyMap::hashOf(const Row& values) const
{
    size_t h = 0;
    for (int c : cols)
        h = h * 1000003u ^ hashValue(values[c], caseInsensitive);
    return h;
}

size_t KeyMap::hashOf(const PackedRow& values) const
{
    size_t h = 0;
    for (int c : cols) {
        // Text is hashed in place; qHash of a QString is that of its view.
        const size_t one = values.isText(c) && !caseInsensitive ? qHash(values.textAt(c))
                                                                : hashValue(values[c], caseInsensitive);
        h = h * 1000003u ^ one;
    }
    return h;
}

void KeyMap::remove(Record* rec, size_t hash)
{
    auto [from, to] = rows.equal_range(hash);
    for (auto it = from; it != to; ++it) {
        if (it->second == rec) {
            rows.erase(it);
            return;
        }
    }
}

KeyMap& DataSet::Impl::keyMap(const std::vector<int>& cols, bool caseInsensitive)
{
    for (const auto& m : keyMaps) {
        if (m->cols == cols && m->caseInsensitive == caseInsensitive)
            return *m;
    }
    auto m = std::make_unique<KeyMap>();
    m->cols = cols;
    m->caseInsensitive = caseInsensitive;
    m->rows.reserve(rows.size());
    for (const auto& r : rows)
        m->add(r.get());
    keyMaps.push_back(std::move(m));
    return *keyMaps.back();
}

void DataSet::Impl::dropKeyMaps()
{
    keyMaps.clear();
}

void DataSet::Impl::mapsAdd(Record* rec)
{
    for (const auto& m : keyMaps)
        m->add(rec);
}

void DataSet::Impl::mapsRemove(Record* rec)
{
    for (const auto& m : keyMaps)
        m->remove(rec, m->hashOf(rec->values));
}

void DataSet::Impl::mapsUpdate(Record* rec, const PackedRow& before)
{
    for (const auto& m : keyMaps) {
        const size_t was = m->hashOf(before), now = m->hashOf(rec->values);
        if (was != now) {
            m->remove(rec, was);
            m->rows.emplace(now, rec);
        }
    }
}

void DataSet::Impl::setStatus(Record* rec, Record::Status status)
{
    rec->status = status;
    if (status == Record::Status::Unchanged)
        changed.erase(rec);
    else
        changed.insert(rec);
}

void DataSet::Impl::resetRows()
{
    dropKeyMaps();
    changed.clear();
    serialOrdered = true;
}

std::vector<Record*> DataSet::Impl::changedInOrder() const
{
    std::vector<Record*> out;
    out.reserve(changed.size());
    if (serialOrdered) {
        out.assign(changed.begin(), changed.end());
        std::sort(out.begin(), out.end(),
                  [](const Record* a, const Record* b) { return a->serial < b->serial; });
        return out;
    }
    for (const auto& r : rows) {
        if (r->status != Record::Status::Unchanged)
            out.push_back(r.get());
    }
    return out;
}

int DataSet::Impl::viewPosition(const Record* rec) const
{
    // The view is in the active index's order, or in insertion order (serial order while no
    // row was inserted before another): a binary search finds a visible row.
    auto at = view.end();
    if (activeIndex >= 0)
        at = std::lower_bound(view.begin(), view.end(), rec,
                              [this](const Record* a, const Record* b) { return before(a, b); });
    else if (serialOrdered)
        at = std::lower_bound(view.begin(), view.end(), rec,
                              [](const Record* a, const Record* b) { return a->serial < b->serial; });
    if (at == view.end() || *at != rec)
        at = std::find(view.begin(), view.end(), rec);
    return at == view.end() ? -1 : int(at - view.begin());
}

DataPacket DataSet::data(const QString& keyFields, const QVariantList& keyValues)
{
    DataPacket p;
    p.fields = d->fields;
    const Impl::KeyValues wanted = d->keyValues(keyFields, keyValues);
    if (!wanted.holdable)
        return p; // a value the field cannot hold matches no row
    const std::vector<int>& cols = wanted.cols;
    const Row& key = wanted.key;
    KeyMap& map = d->keyMap(cols, false);
    std::vector<const Record*> found;
    auto [from, to] = map.rows.equal_range(map.hashOf(key));
    for (auto it = from; it != to; ++it) {
        bool same = true;
        for (int c : cols)
            same = same && fieldvalue::compare(it->second->values[c], key[c]) == 0;
        if (same)
            found.push_back(it->second);
    }
    if (d->serialOrdered) {
        std::sort(found.begin(), found.end(),
                  [](const Record* a, const Record* b) { return a->serial < b->serial; });
    } else {
        const std::unordered_set<const Record*> wanted(found.begin(), found.end());
        found.clear();
        for (const auto& r : d->rows) {
            if (wanted.count(r.get()))
                found.push_back(r.get());
        }
    }
    p.rows.reserve(qsizetype(found.size()));
    for (const Record* r : found)
        p.rows.append(r->values.toRow());
    return p;
}

} // namespace zel
