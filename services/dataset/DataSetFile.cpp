#include "DataFile.h"
#include "DataSetImpl.h"

namespace zel {

void DataSet::setFileName(const QString& path)
{
    d->fileName = path;
}
QString DataSet::fileName() const
{
    return d->fileName;
}

Status DataSet::loadFromFile(const QString& path)
{
    const QString p = path.isEmpty() ? d->fileName : path;
    auto contents = datafile::read(p);
    if (!contents)
        return contents.error();

    // The dataset's own indexes stay; the file adds the ones the dataset lacks. All of them
    // must fit the file's fields and rows before anything changes.
    Impl scratch;
    scratch.fields = contents->fields;
    QList<IndexDef> indexes = d->indexes;
    for (const IndexDef& ix : contents->indexes) {
        bool known = false;
        for (const IndexDef& have : indexes)
            known = known || have.name.compare(ix.name, Qt::CaseInsensitive) == 0;
        if (!known)
            indexes.append(ix);
    }
    qint64 serial = d->nextSerial;
    for (int i = 0; i < contents->rows.size(); ++i) {
        auto rec = std::make_unique<Record>();
        rec->values = contents->rows[i];
        rec->original = rec->values;
        rec->fileRowId = contents->rowIds[i];
        rec->serial = serial++;
        scratch.rows.push_back(std::move(rec));
    }
    try {
        scratch.validateFields(contents->fields);
        for (const IndexDef& ix : indexes) {
            scratch.resolveKey(ix);
            if (ix.unique)
                scratch.checkUniqueAll(ix);
        }
    } catch (const DataSetError& e) {
        return Error{QStringLiteral("Data file %1 does not fit the dataset: %2")
                         .arg(p, QString::fromStdString(e.what()))};
    }

    const QString active = indexName();
    d->fields = contents->fields;
    d->rows = std::move(scratch.rows);
    d->nextSerial = serial;
    d->indexes = indexes;
    d->activeIndex = -1;
    for (int i = 0; i < indexes.size(); ++i) {
        if (indexes[i].name == active)
            d->activeIndex = i;
    }
    d->resolveActiveKey();
    d->deleted.clear();
    d->originPath = datafile::identityPath(p);
    d->originFileId = contents->fileId;
    d->logComplete = true;
    d->buffer.clear();
    d->editing = nullptr;
    d->state = DataSetState::Browse;
    d->rebuildView(nullptr);
    return {};
}

Status DataSet::saveToFile(const QString& path)
{
    const QString p = path.isEmpty() ? d->fileName : path;
    if (d->fields.isEmpty())
        return Error{QStringLiteral("A dataset without field definitions cannot be saved")};
    try {
        d->browse();
    } catch (const DataSetError& e) {
        return Error{QString::fromStdString(e.what())};
    }

    datafile::SaveRequest req;
    req.fields = d->fields;
    req.indexes = d->indexes;
    if (d->logComplete && !d->originFileId.isEmpty() && datafile::identityPath(p) == d->originPath)
        req.applyToFileId = d->originFileId;
    req.changes = changes();
    for (const auto& r : d->rows)
        req.rows.append(r->values);

    auto saved = datafile::write(p, req);
    if (!saved)
        return saved.error();

    if (saved->applied) {
        int next = 0;
        for (auto& r : d->rows) {
            if (r->status == Record::Status::Inserted && next < saved->rowIds.size())
                r->fileRowId = saved->rowIds[next++];
        }
    } else {
        for (size_t i = 0; i < d->rows.size() && qsizetype(i) < saved->rowIds.size(); ++i)
            d->rows[i]->fileRowId = saved->rowIds[qsizetype(i)];
    }
    for (auto& r : d->rows) {
        r->status = Record::Status::Unchanged;
        r->original = r->values;
    }
    d->deleted.clear();
    d->originPath = datafile::identityPath(p);
    d->originFileId = saved->fileId;
    d->logComplete = true;
    return {};
}

} // namespace zel
