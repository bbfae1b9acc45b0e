#include "DataSetImpl.h"
#include "FieldValue.h"

#include <QSet>
#include <algorithm>

namespace zel {

// ---- helpers ----

QString DataSet::Impl::prefix() const
{
    return name.isEmpty() ? QString() : name + QStringLiteral(": ");
}

void DataSet::Impl::fail(const Error& error) const
{
    throw DataSetError((prefix() + error.message).toStdString(), error.code);
}

void DataSet::Impl::requireActive() const
{
    if (state == DataSetState::Inactive)
        fail("DsFechado");
}

DataSet::Impl::KeyValues DataSet::Impl::keyValues(const QString& names, const QVariantList& values) const
{
    const QStringList split = names.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (split.isEmpty() || split.size() != values.size())
        fail("DsLocalizaValores", names, values.size());
    KeyValues out;
    out.key.resize(fields.size());
    for (int i = 0; i < split.size(); ++i) {
        const int col = requireField(split[i].trimmed());
        FieldDef unbounded = fields[col];
        unbounded.size = 0;
        auto v = fieldvalue::convert(unbounded, values[i]);
        if (!v) {
            out.holdable = false;
            return out;
        }
        out.cols.push_back(col);
        out.values.append(v.value());
        out.key[col] = v.value();
    }
    return out;
}

int DataSet::Impl::requireField(const QString& fieldName) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name == fieldName)
            return i;
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    fail("DsCampoNaoExiste", fieldName);
}

Record* DataSet::Impl::current() const
{
    if (state == DataSetState::Inactive || cur < 0 || cur >= int(view.size()))
        return nullptr;
    return view[size_t(cur)];
}

bool DataSet::Impl::passes(const Record& rec) const
{
    if (!filtered || !filter)
        return true;
    const Row values = rec.values.toRow();
    return filter(RecordView(fields, values));
}

void DataSet::Impl::checkFilterOn(const Impl& other) const
{
    if (!filtered || !filter)
        return;
    for (const auto& r : other.rows) {
        const Row values = r->values.toRow();
        filter(RecordView(other.fields, values));
    }
}

bool DataSet::Impl::before(const Record* a, const Record* b) const
{
    for (const ResolvedKey& k : activeKey) {
        const int c = a->values.compareAt(k.field, b->values);
        if (c != 0)
            return k.descending ? c > 0 : c < 0;
    }
    return a->serial < b->serial;
}

std::vector<ResolvedKey> DataSet::Impl::resolveKey(const IndexDef& index) const
{
    std::vector<ResolvedKey> key;
    for (const QString& f : index.fields) {
        ResolvedKey k;
        k.field = requireField(f);
        k.descending = index.descending;
        for (const QString& df : index.descFields)
            k.descending = k.descending || df.compare(f, Qt::CaseInsensitive) == 0;
        key.push_back(k);
    }
    return key;
}

void DataSet::Impl::resolveActiveKey()
{
    // Indexes may be declared before the fields arrive (from a packet or a file).
    if (fields.isEmpty()) {
        activeKey.clear();
        return;
    }
    activeKey = activeIndex >= 0 ? resolveKey(indexes[activeIndex]) : std::vector<ResolvedKey>{};
}

void DataSet::Impl::settleCursor()
{
    const int n = int(view.size());
    if (n == 0) {
        cur = -1;
        bofFlag = eofFlag = true;
        return;
    }
    cur = std::clamp(cur, 0, n - 1);
}

void DataSet::Impl::rebuildView(const Record* keep)
{
    std::vector<Record*> next;
    next.reserve(rows.size());
    try {
        for (const auto& r : rows) {
            if (passes(*r))
                next.push_back(r.get());
        }
    } catch (...) {
        // A predicate that throws leaves the dataset unfiltered, and the caller sees why.
        filtered = false;
        rebuildView(keep);
        throw;
    }
    if (activeIndex >= 0)
        std::stable_sort(next.begin(), next.end(),
                         [this](const Record* a, const Record* b) { return before(a, b); });
    view = std::move(next);
    auto it = keep ? std::find(view.begin(), view.end(), keep) : view.end();
    if (it != view.end()) {
        cur = int(it - view.begin());
        bofFlag = eofFlag = false;
    } else {
        cur = view.empty() ? -1 : 0;
        bofFlag = true;
        eofFlag = view.empty();
    }
}

void DataSet::Impl::validateFields(const QList<FieldDef>& list) const
{
    QSet<QString> seen;
    for (const FieldDef& f : list) {
        if (f.name.trimmed().isEmpty())
            fail("DsCampoSemNome");
        if (f.name.contains(QLatin1Char(';')))
            fail("DsCampoNomePontoVirgula", f.name);
        if (f.name.compare(QLatin1String("zel_rowid"), Qt::CaseInsensitive) == 0)
            fail("DsCampoNomeReservado", f.name);
        if (f.size < 0)
            fail("DsCampoTamanhoNegativo", f.name);
        if (seen.contains(f.name.toLower()))
            fail("DsCampoRepetido", f.name);
        seen.insert(f.name.toLower());
    }
}

Row DataSet::Impl::convertRow(const Row& row, int rowNumber) const
{
    if (row.size() != fields.size())
        fail("DsLinhaTamanho", rowNumber, row.size(), fields.size());
    // A row whose values are all in their stored form and width (a packet another dataset
    // handed out, say) is taken as it is: converting it would give the same values.
    bool stored = true;
    for (int i = 0; stored && i < row.size(); ++i) {
        const QVariant& v = row[i];
        stored = fieldvalue::isStored(fields[i].type, v) &&
                 !(fields[i].type == FieldType::String && fields[i].size > 0 && v.isValid() &&
                   static_cast<const QString*>(v.constData())->size() > fields[i].size);
    }
    if (stored)
        return row;
    Row out;
    out.reserve(row.size());
    for (int i = 0; i < row.size(); ++i) {
        auto v = fieldvalue::convert(fields[i], row[i]);
        if (!v)
            fail(Error{dataSetText("DsLinhaValor", rowNumber, v.errorMessage()), v.errorCode()});
        out.append(v.value());
    }
    return out;
}

// ---- structure and lifecycle ----

DataSet::DataSet() : d(std::make_unique<Impl>()) {}

DataSet::DataSet(QList<FieldDef> fields) : d(std::make_unique<Impl>())
{
    setFieldDefs(std::move(fields));
}

DataSet::~DataSet() = default;

void DataSet::setName(const QString& name)
{
    d->name = name;
}
QString DataSet::name() const
{
    return d->name;
}
const QList<FieldDef>& DataSet::fieldDefs() const
{
    return d->fields;
}
int DataSet::fieldCount() const
{
    return int(d->fields.size());
}

void DataSet::setFieldDefs(QList<FieldDef> fields)
{
    if (d->state != DataSetState::Inactive)
        d->fail("DsDefinicoesAberta");
    d->validateFields(fields);
    d->fields = std::move(fields);
    d->rows.clear();
    d->view.clear();
    d->resetRows();
    d->deleted.clear();
    d->originPath.clear();
    d->originFileId.clear();
    d->logComplete = true;
    const QString active = indexName();
    QList<IndexDef> kept;
    for (const IndexDef& ix : d->indexes) {
        bool ok = true;
        for (const QString& f : ix.fields)
            ok = ok && fieldIndex(f) >= 0;
        if (ok)
            kept.append(ix);
    }
    d->indexes = kept;
    d->activeIndex = -1;
    for (int i = 0; i < d->indexes.size(); ++i) {
        if (d->indexes[i].name == active)
            d->activeIndex = i;
    }
    d->resolveActiveKey();
}

void DataSet::addFieldDef(FieldDef field)
{
    if (d->state != DataSetState::Inactive)
        d->fail("DsDefinicoesAberta");
    QList<FieldDef> all = d->fields;
    all.append(field);
    d->validateFields(all);
    d->fields = all;
    for (auto& r : d->rows) {
        r->values = PackedRow(r->values.toRow() << QVariant());
        if (!r->original.isEmpty())
            r->original = PackedRow(r->original.toRow() << QVariant());
    }
    for (Change& c : d->deleted)
        c.before.append(QVariant());
}

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < d->fields.size(); ++i) {
        if (d->fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void DataSet::setFieldVisible(const QString& name, bool visible)
{
    d->fields[d->requireField(name)].visible = visible;
}

void DataSet::setDisplayLabel(const QString& name, const QString& label)
{
    d->fields[d->requireField(name)].displayLabel = label;
}

void DataSet::createDataSet()
{
    if (d->fields.isEmpty())
        d->fail("DsSemCamposCriar");
    d->state = DataSetState::Browse;
    d->buffer.clear();
    d->editing = nullptr;
    d->rows.clear();
    d->resetRows();
    d->deleted.clear();
    d->originPath.clear();
    d->originFileId.clear();
    d->logComplete = true;
    d->rebuildView(nullptr);
}

void DataSet::open()
{
    if (d->state != DataSetState::Inactive)
        return;
    if (d->fields.isEmpty())
        d->fail("DsSemCamposAbrir");
    d->state = DataSetState::Browse;
    d->rebuildView(nullptr);
}

void DataSet::close()
{
    d->state = DataSetState::Inactive;
    d->buffer.clear();
    d->editing = nullptr;
    d->insertBefore = nullptr;
}

bool DataSet::active() const
{
    return d->state != DataSetState::Inactive;
}
DataSetState DataSet::state() const
{
    return d->state;
}

DataPacket DataSet::data() const
{
    DataPacket p;
    p.fields = d->fields;
    p.rows.reserve(qsizetype(d->rows.size()));
    for (const auto& r : d->rows)
        p.rows.append(r->values.toRow());
    return p;
}

DataPacket DataSet::columns(const QStringList& names) const
{
    DataPacket p;
    std::vector<int> from;
    for (const QString& name : names) {
        for (int i = 0; i < d->fields.size(); ++i) {
            if (d->fields[i].name.compare(name, Qt::CaseInsensitive) == 0) {
                from.push_back(i);
                p.fields.append(d->fields[i]);
                break;
            }
        }
    }
    p.rows.reserve(qsizetype(d->rows.size()));
    for (const auto& r : d->rows) {
        Row row;
        row.reserve(qsizetype(from.size()));
        for (const int i : from)
            row.append(r->values[i]);
        p.rows.append(std::move(row));
    }
    return p;
}

void DataSet::setData(const DataPacket& packet)
{
    // Everything is checked against a scratch copy of the definitions first, so that a
    // malformed packet changes nothing.
    Impl scratch;
    scratch.name = d->name;
    scratch.validateFields(packet.fields);
    scratch.fields = packet.fields;
    scratch.rows.reserve(size_t(packet.rows.size()));
    for (int i = 0; i < packet.rows.size(); ++i) {
        auto rec = std::make_unique<Record>();
        rec->values = PackedRow(scratch.convertRow(packet.rows[i], i + 1));
        scratch.rows.push_back(std::move(rec));
    }
    adopt(scratch);
}

void DataSet::copyFrom(const DataSet& other)
{
    if (&other == this)
        return;
    Impl scratch;
    scratch.name = d->name;
    scratch.fields = other.d->fields;
    scratch.rows.reserve(other.d->rows.size());
    for (const auto& r : other.d->rows) {
        auto rec = std::make_unique<Record>();
        rec->values = r->values; // a pending edit of `other` is not in its rows yet
        scratch.rows.push_back(std::move(rec));
    }
    adopt(scratch);
}

void DataSet::adopt(Impl& scratch)
{
    qint64 serial = d->nextSerial;
    for (auto& rec : scratch.rows)
        rec->serial = serial++;
    QList<IndexDef> kept;
    for (const IndexDef& ix : d->indexes) {
        bool ok = true;
        for (const QString& f : ix.fields)
            ok = ok && std::any_of(scratch.fields.cbegin(), scratch.fields.cend(), [&f](const FieldDef& def) {
                     return def.name.compare(f, Qt::CaseInsensitive) == 0;
                 });
        if (ok)
            kept.append(ix);
    }
    scratch.indexes = kept;
    for (const IndexDef& ix : kept) {
        if (ix.unique)
            scratch.checkUniqueAll(ix);
    }
    d->checkFilterOn(scratch);

    const QString active = indexName();
    d->fields = scratch.fields;
    d->rows = std::move(scratch.rows);
    d->resetRows();
    d->nextSerial = serial;
    d->indexes = kept;
    d->activeIndex = -1;
    for (int i = 0; i < kept.size(); ++i) {
        if (kept[i].name == active)
            d->activeIndex = i;
    }
    d->resolveActiveKey();
    d->deleted.clear();
    d->originPath.clear();
    d->originFileId.clear();
    d->logComplete = true;
    d->buffer.clear();
    d->editing = nullptr;
    d->state = DataSetState::Browse;
    d->rebuildView(nullptr);
}

void DataSet::setRows(const DataPacket& packet)
{
    if (d->fields.isEmpty())
        d->fail("DsSemCamposLinhas");
    std::vector<int> from;
    for (const FieldDef& f : d->fields)
        from.push_back(packet.fieldIndex(f.name));
    DataPacket mapped;
    mapped.fields = d->fields;
    mapped.rows.reserve(packet.rows.size());
    for (const Row& r : packet.rows) {
        Row row(d->fields.size());
        for (size_t i = 0; i < from.size(); ++i) {
            if (from[i] >= 0 && from[i] < r.size())
                row[qsizetype(i)] = r[from[i]];
        }
        mapped.rows.append(row);
    }
    setData(mapped);
}

} // namespace zel
