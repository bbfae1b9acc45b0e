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
    return d->load(path.isEmpty() ? d->fileName : path, nullptr);
}

Status DataSet::loadFromFile(const QString& path, const QString& keyFields, const QVariantList& keyValues)
{
    datafile::RowKey key{keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts), keyValues};
    if (key.fields.size() != key.values.size())
        return dataSetError("DsLocalizaValores", keyFields, keyValues.size());
    return d->load(path.isEmpty() ? d->fileName : path, &key);
}

Status DataSet::Impl::load(const QString& p, const datafile::RowKey* key)
{
    Impl* d = this;
    // A closed table whose definitions the module declared (none read from a file since) loads
    // only a file that carries them: the file's own never replace the module's.
    const bool declared =
        d->state == DataSetState::Inactive && !d->fields.isEmpty() && d->originPath.isEmpty();
    auto contents = datafile::read(
        p, declared ? std::optional(datafile::Definitions{d->fields, d->indexes}) : std::nullopt, key);
    if (!contents)
        return contents.error();

    // The dataset's own indexes stay; the file adds the ones the dataset lacks. All of them,
    // and the active filter, must fit the file's fields and rows before anything changes.
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
        rec->values = PackedRow(contents->rows[i]);
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
        d->checkFilterOn(scratch);
    } catch (const DataSetError& e) {
        return Error{dataSetText("ArqNaoCabe", p, QString::fromUtf8(e.what())), e.code()};
    } catch (const std::exception& e) {
        return Error{dataSetText("ArqNaoCabe", p, QString::fromUtf8(e.what()))};
    }

    const QString active = d->activeIndex >= 0 ? d->indexes[d->activeIndex].name : QString();
    d->fields = contents->fields;
    d->rows = std::move(scratch.rows);
    d->resetRows();
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

Status DataSet::saveToFile(const QString& path, SaveMode mode)
{
    const QString p = path.isEmpty() ? d->fileName : path;
    if (d->fields.isEmpty())
        return dataSetError("ArqSemCamposGravar");
    try {
        d->browse();
    } catch (const DataSetError& e) {
        return Error{QString::fromUtf8(e.what()), e.code()};
    }

    datafile::SaveRequest req;
    std::vector<Record*> changedRows; // in the order of req.changes' inserted and modified rows
    req.fields = d->fields;
    req.indexes = d->indexes;
    if (mode == SaveMode::ReplaceRows) {
        req.replace = true;
        for (const auto& r : d->rows)
            req.rows.append(r->values.toRow());
    } else {
        auto refused = [&](const char* key) {
            return Error{dataSetText("ArqErro", p, dataSetText(key)), QLatin1String(key)};
        };
        if (!d->logComplete)
            return refused("ArqSemRegistro");
        if (!d->originFileId.isEmpty()) {
            // Changes to rows of a file apply to that file only.
            if (datafile::identityPath(p) != d->originPath)
                return refused("ArqOrigemDiferente");
            req.baseFileId = d->originFileId;
        } else {
            // Rows that came from no file apply to any file when every one of them is new.
            bool allNew = d->changed.size() == d->rows.size() && d->deleted.isEmpty();
            for (const Record* r : d->changed)
                allNew = allNew && r->status == Record::Status::Inserted;
            if (!allNew)
                return refused("ArqOrigemDiferente");
        }
        changedRows = d->changedInOrder();
        req.changes = changes();
    }

    auto saved = datafile::write(p, req);
    if (!saved)
        return saved.error();

    // Only the changed rows are touched after a save of changes, so its cost follows the
    // changes, not the rows.
    if (saved->applied) {
        int next = 0;
        for (Record* r : changedRows) {
            if (r->status == Record::Status::Inserted && next < saved->rowIds.size())
                r->fileRowId = saved->rowIds[next++];
        }
        for (Record* r : changedRows) {
            r->status = Record::Status::Unchanged;
            r->original = {};
        }
    } else {
        for (size_t i = 0; i < d->rows.size() && qsizetype(i) < saved->rowIds.size(); ++i)
            d->rows[i]->fileRowId = saved->rowIds[qsizetype(i)];
        for (auto& r : d->rows) {
            r->status = Record::Status::Unchanged;
            r->original = {};
        }
    }
    d->changed.clear();
    d->deleted.clear();
    d->originPath = datafile::identityPath(p);
    d->originFileId = saved->fileId;
    d->logComplete = true;
    return {};
}

} // namespace zel
