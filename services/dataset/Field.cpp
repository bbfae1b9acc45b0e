#include "DataSetImpl.h"
#include "FieldValue.h"
#include "text/Money.h"

#include <QLocale>
#include <cmath>

namespace zel {

QVariant RecordView::value(const QString& field) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name == field)
            return i < m_row.size() ? m_row[i] : QVariant();
    }
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return i < m_row.size() ? m_row[i] : QVariant();
    }
    const Error e = dataSetError("DsCampoNaoExiste", field);
    throw DataSetError(e.message.toStdString(), e.code);
}

QString RecordView::text(const QString& field) const
{
    return fieldvalue::text(value(field));
}

Field::Field(DataSet& ds, int index) : m_ds(&ds), m_name(ds.d->fields.at(index).name), m_index(index) {}

int Field::index() const
{
    const auto& fields = m_ds->d->fields;
    if (m_index < fields.size() && fields[m_index].name.compare(m_name, Qt::CaseInsensitive) == 0)
        return m_index;
    m_index = m_ds->d->requireField(m_name); // throws when the field is gone
    return m_index;
}

const FieldDef& Field::def() const
{
    return m_ds->d->fields[index()];
}

QVariant Field::value() const
{
    const auto& d = *m_ds->d;
    d.requireActive();
    const int at = index();
    if (d.state == DataSetState::Edit || d.state == DataSetState::Insert)
        return d.buffer[at];
    const Record* r = d.current();
    return r ? r->values[at] : QVariant();
}

bool Field::isNull() const
{
    return !value().isValid();
}

QString Field::asString() const
{
    return fieldvalue::text(value());
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    switch (def().type) {
    case FieldType::Integer:
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    case FieldType::String: {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return 0;
        if (const Result<double> x = parseNumber(t))
            return *x;
        break;
    }
    default:
        break;
    }
    m_ds->d->fail("DsNaoNumero", name(), asString());
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    switch (def().type) {
    case FieldType::Integer:
        return v.toLongLong();
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    case FieldType::Float: {
        const double x = std::round(v.toDouble());
        if (std::fabs(x) < 9.2e18)
            return qint64(x);
        break;
    }
    case FieldType::String: {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return 0;
        bool ok = false;
        const qint64 n = t.toLongLong(&ok);
        if (ok)
            return n;
        break;
    }
    default:
        break;
    }
    m_ds->d->fail("DsNaoInteiro", name(), asString());
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    switch (def().type) {
    case FieldType::DateTime:
        return v.toDateTime();
    case FieldType::Date:
        return v.toDate().startOfDay();
    case FieldType::String: {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return {};
        if (auto dt = fieldvalue::parseDateTime(t))
            return *dt;
        break;
    }
    default:
        break;
    }
    m_ds->d->fail("DsNaoDataHora", name(), asString());
}

QDate Field::asDate() const
{
    const QDateTime dt = asDateTime();
    return dt.isValid() ? dt.date() : QDate();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (!v.isValid())
        return false;
    if (def().type == FieldType::Integer || def().type == FieldType::Float)
        return v.toDouble() != 0;
    FieldDef target = def();
    target.type = FieldType::Boolean;
    auto r = fieldvalue::convert(target, v);
    if (!r || def().type == FieldType::Date || def().type == FieldType::DateTime)
        m_ds->d->fail("DsNaoLogico", name(), asString());
    return r.value().toBool();
}

void Field::setValue(const QVariant& value)
{
    auto& d = *m_ds->d;
    d.requireActive();
    if (d.state != DataSetState::Edit && d.state != DataSetState::Insert)
        d.fail("DsGravarForaEdicao", name());
    const int at = index();
    auto v = fieldvalue::convert(d.fields[at], value);
    if (!v)
        d.fail(v.error());
    d.buffer[at] = v.value();
}

void Field::clear()
{
    setValue(QVariant());
}

} // namespace zel
