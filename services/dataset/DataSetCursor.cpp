#include "DataSetImpl.h"
#include "FieldValue.h"

#include <algorithm>

namespace zel {

// ---- cursor ----

void DataSet::first()
{
    d->requireActive();
    d->browse();
    d->cur = d->view.empty() ? -1 : 0;
    d->bofFlag = true;
    d->eofFlag = d->view.empty();
}

void DataSet::last()
{
    d->requireActive();
    d->browse();
    d->cur = int(d->view.size()) - 1;
    d->eofFlag = true;
    d->bofFlag = d->view.empty();
}

void DataSet::next()
{
    d->requireActive();
    d->browse();
    if (d->view.empty()) {
        d->bofFlag = d->eofFlag = true;
    } else if (d->cur < int(d->view.size()) - 1) {
        ++d->cur;
        d->bofFlag = d->eofFlag = false;
    } else {
        d->eofFlag = true;
        d->bofFlag = false;
    }
}

void DataSet::prior()
{
    d->requireActive();
    d->browse();
    if (d->view.empty()) {
        d->bofFlag = d->eofFlag = true;
    } else if (d->cur > 0) {
        --d->cur;
        d->bofFlag = d->eofFlag = false;
    } else {
        d->bofFlag = true;
        d->eofFlag = false;
    }
}

bool DataSet::eof() const
{
    return d->state == DataSetState::Inactive || d->eofFlag;
}
bool DataSet::bof() const
{
    return d->state == DataSetState::Inactive || d->bofFlag;
}

int DataSet::recNo() const
{
    if (d->state == DataSetState::Inactive)
        return 0;
    if (d->state == DataSetState::Insert)
        return d->cur + 1;
    return d->current() ? d->cur + 1 : 0;
}

void DataSet::setRecNo(int recNo)
{
    d->requireActive();
    d->browse();
    if (d->view.empty())
        return;
    d->cur = std::clamp(recNo, 1, int(d->view.size())) - 1;
    d->bofFlag = d->eofFlag = false;
}

int DataSet::recordCount() const
{
    return d->state == DataSetState::Inactive ? 0 : int(d->view.size());
}
bool DataSet::isEmpty() const
{
    return recordCount() == 0;
}

qint64 DataSet::bookmark() const
{
    const Record* r = d->state == DataSetState::Insert ? nullptr : d->current();
    return r ? r->serial : 0;
}

bool DataSet::gotoBookmark(qint64 bookmark)
{
    d->requireActive();
    d->browse();
    for (size_t i = 0; i < d->view.size(); ++i) {
        if (d->view[i]->serial == bookmark) {
            d->cur = int(i);
            d->bofFlag = d->eofFlag = false;
            return true;
        }
    }
    return false;
}

QVariant DataSet::value(const QString& name) const
{
    d->requireActive();
    const int i = d->requireField(name);
    if (d->state == DataSetState::Edit || d->state == DataSetState::Insert)
        return d->buffer[i];
    const Record* r = d->current();
    return r ? r->values[i] : QVariant();
}

Field DataSet::fieldByName(const QString& name)
{
    return Field(*this, d->requireField(name));
}

// ---- filter and locate ----

void DataSet::setFilter(FilterPredicate predicate, QString description)
{
    d->browse();
    d->filter = std::move(predicate);
    d->filterText = std::move(description);
    if (d->state != DataSetState::Inactive && d->filtered)
        d->rebuildView(nullptr);
}

void DataSet::clearFilter()
{
    setFilter({}, QString());
}
QString DataSet::filterText() const
{
    return d->filterText;
}
bool DataSet::filtered() const
{
    return d->filtered;
}

void DataSet::setFiltered(bool on)
{
    d->browse();
    d->filtered = on;
    if (d->state != DataSetState::Inactive)
        d->rebuildView(nullptr);
}

bool DataSet::locate(const QString& fields, const QVariantList& values, LocateOptions options)
{
    d->requireActive();
    d->browse();
    const Impl::KeyValues wanted = d->keyValues(fields, values);
    if (!wanted.holdable)
        return false; // a value the field cannot hold matches no row
    const std::vector<int>& cols = wanted.cols;
    auto hit = [&](const PackedRow& row) {
        for (size_t k = 0; k < cols.size(); ++k) {
            if (!fieldvalue::matches(row[cols[k]], wanted.values[qsizetype(k)], options.caseInsensitive,
                                     options.partialKey))
                return false;
        }
        return true;
    };
    int found = -1;
    if (options.partialKey) {
        // A prefix has no key to look up: the visible rows are searched in their order.
        for (size_t r = 0; r < d->view.size() && found < 0; ++r) {
            if (hit(d->view[r]->values))
                found = int(r);
        }
    } else {
        // The rows holding the values, from the key map; the first of them in the view wins.
        KeyMap& map = d->keyMap(cols, options.caseInsensitive);
        auto [from, to] = map.rows.equal_range(map.hashOf(wanted.key));
        for (auto it = from; it != to; ++it) {
            const Record* rec = it->second;
            if (!hit(rec->values) || !d->passes(*rec))
                continue;
            const int at = d->viewPosition(rec);
            if (at >= 0 && (found < 0 || at < found))
                found = at;
        }
    }
    if (found < 0)
        return false;
    d->cur = found;
    d->bofFlag = d->eofFlag = false;
    return true;
}

} // namespace zel
