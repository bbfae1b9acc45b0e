#include "DataSetImpl.h"
#include "FieldValue.h"

#include <algorithm>

namespace zel {

// ---- editing ----

bool DataSet::Impl::sameValues(const PackedRow& a, const Row& b) const
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < b.size(); ++i) {
        if (fieldvalue::compare(a[i], b[i]) != 0)
            return false;
    }
    return true;
}

bool DataSet::Impl::sameValues(const PackedRow& a, const PackedRow& b) const
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.compareAt(i, b) != 0)
            return false;
    }
    return true;
}

void DataSet::Impl::browse()
{
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        post();
}

void DataSet::Impl::checkUnique(const Row& values, const Record* self)
{
    for (const IndexDef& ix : indexes) {
        if (!ix.unique)
            continue;
        const auto key = resolveKey(ix);
        std::vector<int> cols;
        for (const ResolvedKey& k : key)
            cols.push_back(k.field);
        KeyMap& map = keyMap(cols, false);
        auto [from, to] = map.rows.equal_range(map.hashOf(values));
        for (auto it = from; it != to; ++it) {
            const Record* r = it->second;
            if (r == self)
                continue;
            bool same = true;
            for (const ResolvedKey& k : key)
                same = same && fieldvalue::compare(r->values[k.field], values[k.field]) == 0;
            if (same) {
                QStringList shown;
                for (const ResolvedKey& k : key)
                    shown << fieldvalue::text(values[k.field]);
                fail("DsChaveRepetida", shown.join(QStringLiteral(", ")), ix.name);
            }
        }
    }
}

void DataSet::Impl::checkUniqueAll(const IndexDef& index) const
{
    const auto key = resolveKey(index);
    std::vector<const Record*> sorted;
    for (const auto& r : rows)
        sorted.push_back(r.get());
    auto cmp = [&](const Record* a, const Record* b) {
        for (const ResolvedKey& k : key) {
            const int c = a->values.compareAt(k.field, b->values);
            if (c != 0)
                return c;
        }
        return 0;
    };
    std::sort(sorted.begin(), sorted.end(), [&](const Record* a, const Record* b) { return cmp(a, b) < 0; });
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (cmp(sorted[i - 1], sorted[i]) == 0)
            fail("DsLinhasChaveRepetida", index.name);
    }
}

void DataSet::Impl::logDelete(Record* rec)
{
    if (!logChanges) {
        logComplete = false;
        return;
    }
    if (rec->status != Record::Status::Inserted)
        deleted.append(Change{ChangeKind::Deleted, rec->fileRowId, rec->stored().toRow(), {}});
}

void DataSet::Impl::placeInView(Record* rec, int fallback)
{
    if (!passes(*rec)) {
        cur = fallback;
        settleCursor();
        if (!view.empty())
            bofFlag = eofFlag = false;
        return;
    }
    int pos = fallback;
    if (activeIndex >= 0) {
        auto it = std::upper_bound(view.begin(), view.end(), rec,
                                   [this](const Record* a, const Record* b) { return before(a, b); });
        pos = int(it - view.begin());
    }
    pos = std::clamp(pos, 0, int(view.size()));
    view.insert(view.begin() + pos, rec);
    cur = pos;
    bofFlag = eofFlag = false;
}

bool DataSet::Impl::staysInPlace(std::vector<Record*>::iterator at) const
{
    Record* rec = *at;
    if (!passes(*rec))
        return false;
    if (activeIndex < 0)
        return true;
    return (at == view.begin() || before(*(at - 1), rec)) && (at + 1 == view.end() || before(rec, *(at + 1)));
}

void DataSet::Impl::post()
{
    if (state == DataSetState::Edit) {
        Record* rec = editing;
        checkUnique(buffer, rec);
        const bool wasCurrent = cur >= 0 && cur < int(view.size()) && view[size_t(cur)] == rec;
        auto at = wasCurrent ? view.begin() + cur : std::find(view.begin(), view.end(), rec);
        const int pos = at == view.end() ? cur : int(at - view.begin());
        if (!sameValues(rec->values, buffer)) {
            PackedRow before = std::exchange(rec->values, PackedRow(buffer));
            mapsUpdate(rec, before);
            if (!logChanges) {
                logComplete = false;
                if (rec->status != Record::Status::Inserted) {
                    rec->original = {};
                    setStatus(rec, Record::Status::Unchanged);
                }
            } else if (rec->status == Record::Status::Unchanged) {
                rec->original = std::move(before);
                setStatus(rec, Record::Status::Modified);
            } else if (rec->status == Record::Status::Modified && sameValues(rec->values, rec->original)) {
                rec->original = {};
                setStatus(rec, Record::Status::Unchanged);
            }
        }
        state = DataSetState::Browse;
        editing = nullptr;
        buffer.clear();
        if (at != view.end() && staysInPlace(at)) {
            cur = int(at - view.begin());
            bofFlag = eofFlag = false;
            return;
        }
        if (at != view.end())
            view.erase(at);
        placeInView(rec, pos);
        return;
    }
    if (state != DataSetState::Insert)
        return;
    checkUnique(buffer, nullptr);
    auto owned = std::make_unique<Record>();
    Record* rec = owned.get();
    rec->values = PackedRow(buffer);
    rec->serial = nextSerial++;
    if (logChanges) {
        setStatus(rec, Record::Status::Inserted);
    } else {
        logComplete = false;
    }
    auto natural = rows.end();
    if (!appending && insertBefore) {
        natural =
            std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.get() == insertBefore; });
    }
    serialOrdered = serialOrdered && natural == rows.end();
    rows.insert(natural, std::move(owned));
    mapsAdd(rec);
    const int pos = appending ? int(view.size()) : cur;
    state = DataSetState::Browse;
    buffer.clear();
    insertBefore = nullptr;
    placeInView(rec, pos);
}

void DataSet::Impl::cancel()
{
    if (state == DataSetState::Insert && appending)
        cur = int(view.size()) - 1;
    if (state == DataSetState::Edit || state == DataSetState::Insert) {
        state = DataSetState::Browse;
        buffer.clear();
        editing = nullptr;
        insertBefore = nullptr;
        settleCursor();
    }
}

void DataSet::edit()
{
    d->requireActive();
    if (d->state != DataSetState::Browse)
        return;
    Record* rec = d->current();
    if (!rec)
        d->fail("DsSemLinhaEditar");
    d->buffer = rec->values.toRow();
    d->editing = rec;
    d->state = DataSetState::Edit;
}

void DataSet::insert()
{
    d->requireActive();
    d->browse();
    d->insertBefore = d->current();
    d->appending = d->insertBefore == nullptr;
    d->cur = d->appending ? int(d->view.size()) : d->cur;
    d->buffer = Row(d->fields.size());
    d->state = DataSetState::Insert;
    d->bofFlag = d->eofFlag = false;
}

void DataSet::append()
{
    d->requireActive();
    d->browse();
    d->insertBefore = nullptr;
    d->appending = true;
    d->cur = int(d->view.size());
    d->buffer = Row(d->fields.size());
    d->state = DataSetState::Insert;
    d->bofFlag = d->eofFlag = false;
}

void DataSet::post()
{
    d->requireActive();
    d->post();
}

void DataSet::cancel()
{
    d->cancel();
}

void DataSet::deleteRecord()
{
    d->requireActive();
    if (d->state == DataSetState::Insert) {
        d->cancel();
        return;
    }
    d->cancel();
    Record* rec = d->current();
    if (!rec)
        d->fail("DsSemLinhaExcluir");
    d->logDelete(rec);
    d->mapsRemove(rec);
    d->changed.erase(rec);
    d->view.erase(d->view.begin() + d->cur);
    d->rows.erase(
        std::find_if(d->rows.begin(), d->rows.end(), [&](const auto& r) { return r.get() == rec; }));
    const int n = int(d->view.size());
    if (n == 0) {
        d->cur = -1;
        d->bofFlag = d->eofFlag = true;
    } else if (d->cur >= n) {
        d->cur = n - 1;
        d->eofFlag = true;
        d->bofFlag = false;
    } else {
        d->bofFlag = d->eofFlag = false;
    }
}

void DataSet::emptyDataSet()
{
    d->requireActive();
    d->cancel();
    for (auto& r : d->rows)
        d->logDelete(r.get());
    d->rows.clear();
    d->view.clear();
    d->resetRows();
    d->settleCursor();
}

// ---- indexes ----

void DataSet::addIndex(IndexDef index)
{
    if (index.name.trimmed().isEmpty())
        d->fail("DsIndiceSemNome");
    for (const IndexDef& ix : d->indexes) {
        if (ix.name.compare(index.name, Qt::CaseInsensitive) == 0)
            d->fail("DsIndiceRepetido", index.name);
    }
    auto splitAll = [](const QStringList& list) {
        QStringList out;
        for (const QString& s : list) {
            for (const QString& part : s.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                out << part.trimmed();
        }
        return out;
    };
    index.fields = splitAll(index.fields);
    index.descFields = splitAll(index.descFields);
    if (index.fields.isEmpty())
        d->fail("DsIndiceSemCampos", index.name);
    // Before the fields are defined an index is taken as it is and checked when they come.
    for (QString& f : index.fields)
        f = d->fields.isEmpty() ? f : d->fields[d->requireField(f)].name;
    for (QString& f : index.descFields) {
        f = d->fields.isEmpty() ? f : d->fields[d->requireField(f)].name;
        if (!index.fields.contains(f, Qt::CaseInsensitive))
            d->fail("DsIndiceDescendente", index.name, f);
    }
    if (index.unique && !d->fields.isEmpty())
        d->checkUniqueAll(index);
    d->indexes.append(index);
}

void DataSet::setIndexName(const QString& name)
{
    d->browse();
    int found = -1;
    for (int i = 0; i < d->indexes.size() && !name.isEmpty(); ++i) {
        if (d->indexes[i].name.compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    }
    if (!name.isEmpty() && found < 0)
        d->fail("DsIndiceNaoExiste", name);
    d->activeIndex = found;
    d->resolveActiveKey();
    if (d->state != DataSetState::Inactive) {
        const Record* keep = d->current();
        const bool bof = d->bofFlag, eof = d->eofFlag;
        d->rebuildView(keep);
        if (keep && d->current() == keep) {
            d->bofFlag = bof;
            d->eofFlag = eof;
        }
    }
}

QString DataSet::indexName() const
{
    return d->activeIndex >= 0 ? d->indexes[d->activeIndex].name : QString();
}
const QList<IndexDef>& DataSet::indexDefs() const
{
    return d->indexes;
}

// ---- change log ----

void DataSet::setLogChanges(bool on)
{
    d->logChanges = on;
}
bool DataSet::logChanges() const
{
    return d->logChanges;
}

QList<Change> DataSet::changes() const
{
    QList<Change> out = d->deleted;
    for (const Record* r : d->changedInOrder()) {
        if (r->status == Record::Status::Inserted)
            out.append(Change{ChangeKind::Inserted, r->fileRowId, {}, r->values.toRow()});
        else
            out.append(Change{ChangeKind::Modified, r->fileRowId, r->original.toRow(), r->values.toRow()});
    }
    return out;
}

int DataSet::changeCount() const
{
    return int(d->deleted.size() + d->changed.size());
}

void DataSet::mergeChangeLog()
{
    if (changeCount() > 0)
        d->logComplete = false; // the log no longer tells the file what changed
    for (Record* r : d->changed) {
        r->status = Record::Status::Unchanged;
        r->original = {};
    }
    d->changed.clear();
    d->deleted.clear();
}

} // namespace zel
