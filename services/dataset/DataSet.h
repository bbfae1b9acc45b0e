#pragma once

#include "DataPacket.h"
#include "text/Result.h"

#include <QDate>
#include <QDateTime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zel {

// Misuse of a dataset (an unknown field, a write outside edit or insert, a value that
// does not convert, a duplicate key). Forms let it reach their error barrier, which shows
// it as an error dialog and leaves the state as it was. The text (UTF-8) comes from the
// dataset's message catalogue; code() is its catalogue key.
class DataSetError : public std::runtime_error
{
public:
    explicit DataSetError(const std::string& what, QString code = {})
        : std::runtime_error(what), m_code(std::move(code))
    {
    }
    const QString& code() const { return m_code; }

private:
    QString m_code;
};

enum class DataSetState { Inactive, Browse, Edit, Insert };

// An order over several fields. A field sorts descending when it is listed in `descFields`
// or when `descending` is set. Nulls sort before every value in an ascending field and after
// every value in a descending one (the whole order reversed).
struct IndexDef
{
    IndexDef() = default;
    IndexDef(QString name, QStringList fields, QStringList descFields = {}, bool descending = false,
             bool unique = false)
        : name(std::move(name)), fields(std::move(fields)), descFields(std::move(descFields)),
          descending(descending), unique(unique)
    {
    }

    QString name;
    QStringList fields;      // in key order
    QStringList descFields;  // fields among `fields` sorted descending
    bool descending = false; // every field descending
    bool unique = false;     // post refuses a second row with the same key
    bool operator==(const IndexDef&) const = default;
};

// Read access to one row for filter predicates.
class RecordView
{
public:
    RecordView(const QList<FieldDef>& fields, const Row& row) : m_fields(fields), m_row(row) {}
    QVariant value(const QString& field) const; // throws DataSetError for an unknown field
    QString text(const QString& field) const;   // null reads as ""
    bool isNull(const QString& field) const { return !value(field).isValid(); }

private:
    const QList<FieldDef>& m_fields;
    const Row& m_row;
};

using FilterPredicate = std::function<bool(const RecordView&)>;

class DataSet;

// A field of the current row, as `FieldByName` gives it. In edit and insert the values
// are those being edited; in browse those of the current row (null when there is none).
// A Field kept while the dataset takes new definitions (setFieldDefs, setData, a load)
// finds its field again by name; when the name is gone, using it throws DataSetError.
class Field
{
public:
    Field(DataSet& ds, int index); // index: a valid position in ds.fieldDefs()

    const FieldDef& def() const;
    QString name() const { return def().name; }

    QVariant value() const;
    bool isNull() const;
    QString asString() const;     // null: ""; numbers in C-locale text
    double asFloat() const;       // null or empty text: 0; text read as by parseNumber, else throws
    qint64 asInteger() const;     // null: 0; a float is rounded half away from zero
    QDateTime asDateTime() const; // null: invalid
    QDate asDate() const;
    bool asBoolean() const;

    // Converted to the field's type (text longer than a string field's size is cut to it);
    // throws DataSetError when it cannot be, or outside edit and insert.
    void setValue(const QVariant& value);
    void setString(const QString& v) { setValue(v); }
    void setFloat(double v) { setValue(v); }
    void setInteger(qint64 v) { setValue(v); }
    void setDateTime(const QDateTime& v) { setValue(v); }
    void setDate(const QDate& v) { setValue(v); }
    void setBoolean(bool v) { setValue(v); }
    void clear(); // set null

private:
    int index() const; // the field's position now
    DataSet* m_ds;
    QString m_name;
    mutable int m_index;
};

enum class ChangeKind { Inserted, Modified, Deleted };

// How saveToFile writes: by applying the change log (rows other terminals saved meanwhile
// stay), or by replacing every row of the file with the dataset's, which only a caller that
// means to overwrite the file asks for.
enum class SaveMode { Changes, ReplaceRows };

struct Change
{
    ChangeKind kind;
    qint64 fileRowId = 0; // row identity in the data file it came from; 0 for a new row
    Row before;           // Modified and Deleted: the row as loaded
    Row after;            // Inserted and Modified: the row as it is now
};

struct LocateOptions
{
    bool caseInsensitive = false;
    bool partialKey = false; // text fields match by prefix
};

// An in-memory table with a current-row cursor, filters, indexes, a change log and its own
// data file. The cursor moves over the rows the filter lets through, in the order of the
// active index (insertion order when none is active). Moving the cursor, locating, changing
// the filter or the index and saving post a pending edit or insert first.
class DataSet
{
public:
    DataSet();
    explicit DataSet(QList<FieldDef> fields);
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // A name for error messages ("cdsMovCaixa: field X not found").
    void setName(const QString& name);
    QString name() const;

    // Structure. Field names are unique without regard to case and hold no ";".
    const QList<FieldDef>& fieldDefs() const;
    int fieldCount() const;
    void setFieldDefs(QList<FieldDef> fields); // only while inactive; empties the rows
    void addFieldDef(FieldDef field);          // only while inactive; existing rows get null
    int fieldIndex(const QString& name) const; // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    void setFieldVisible(const QString& name, bool visible);
    void setDisplayLabel(const QString& name, const QString& label);

    // Lifecycle. createDataSet empties the rows and the change log, keeps the definitions,
    // forgets the file the rows came from and opens.
    void createDataSet();
    void open();
    void close(); // drops a pending edit; keeps rows, definitions, indexes and the filter
    bool active() const;
    DataSetState state() const;

    // Whole-packet copy in and out. data() gives every row (the filter ignored) in
    // insertion order; setData replaces definitions and rows (values converted as by
    // Field::setValue; throws DataSetError and changes nothing when the packet is malformed),
    // empties the change log and leaves the dataset open on its first row. Indexes whose
    // fields the new definitions lack are dropped.
    DataPacket data() const;
    void setData(const DataPacket& packet);
    // setData(other.data()) without unpacking and converting every value: definitions and
    // every row of `other` (its filter ignored, a pending edit left out), in its insertion order.
    void copyFrom(const DataSet& other);
    // The rows (the filter ignored) whose fields `keyFields` ("A;B") hold `keyValues`, found as
    // an exact, case-sensitive locate finds them (through a key map, not a scan), in insertion
    // order: a packet of one key's rows without copying the whole table.
    DataPacket data(const QString& keyFields, const QVariantList& keyValues);
    // Every row as data() gives it, with only the fields named in `names` (matched without
    // case, in the order named; a name the dataset lacks is left out): a packet for a reader
    // of a few fields without unpacking the others.
    DataPacket columns(const QStringList& names) const;
    // Like setData, but the dataset keeps its own definitions (labels, sizes, visibility):
    // the packet's fields are matched by name, those the dataset lacks are left out and the
    // dataset's fields the packet lacks are null. For a copy with persistent fields.
    void setRows(const DataPacket& packet);

    // Cursor.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    int recNo() const;        // 1-based position among the visible rows; 0 when none
    void setRecNo(int recNo); // clamped to the visible rows
    int recordCount() const;  // visible rows
    bool isEmpty() const;
    // A row's identity for returning to it later; 0 when there is no current row.
    qint64 bookmark() const;
    bool gotoBookmark(qint64 bookmark); // false (cursor unmoved) when the row is gone or hidden

    // Fields of the current row.
    Field fieldByName(const QString& name); // throws DataSetError for an unknown name
    QVariant value(const QString& name) const;

    // Editing. post and cancel end edit or insert (in browse they do nothing); deleteRecord
    // removes the current row and the following row becomes current (or the new last one,
    // with eof set). Editing or deleting in a closed or empty dataset throws DataSetError, and
    // so does posting in a closed one.
    void edit();
    void insert(); // a new row before the current one
    void append(); // a new row at the end
    void post();   // a unique index that already holds the key throws and keeps the edit
    void cancel();
    void deleteRecord();
    void emptyDataSet();

    // Filter. Changing the predicate or the flag goes to the first visible row.
    void setFilter(FilterPredicate predicate, QString description);
    void clearFilter();
    QString filterText() const;
    void setFiltered(bool on);
    bool filtered() const;

    // Locate: fields "A;B" with one value per field; searches the visible rows in their
    // order; moves the cursor only when it finds.
    bool locate(const QString& fields, const QVariantList& values, LocateOptions options = {});

    // Indexes. An empty name selects insertion order. Changing the index keeps the current
    // row. After a post the cursor stays on the posted row in its new place.
    void addIndex(IndexDef index);
    void setIndexName(const QString& name);
    QString indexName() const;
    const QList<IndexDef>& indexDefs() const;

    // Change log: deleted rows first, then inserted and modified rows in insertion order.
    // A modified row edited back to its loaded values leaves the log.
    void setLogChanges(bool on);
    bool logChanges() const;
    QList<Change> changes() const;
    int changeCount() const;
    void mergeChangeLog(); // accept the changes: the log empties

    // Data file (SQLite, one table; schema in docs/datasets.md). Load replaces definitions
    // and rows, adds the file's indexes that the dataset lacks and opens on the first row;
    // indexes or an active filter that do not fit the file give an error value and leave the
    // dataset as it was. Save writes in one transaction. SaveMode::Changes (the default)
    // applies the change log: to the file the rows were loaded from, or, when every row is
    // new (a dataset created empty), to any file of the same shape, which it creates when
    // missing; rows other terminals saved meanwhile stay. A log that cannot be applied (rows
    // from a packet or another file, the log switched off or merged) is an error value.
    // SaveMode::ReplaceRows replaces the file's rows with the dataset's. A missing or foreign
    // file, a table of another shape or a conflicting change gives an error value and leaves
    // both the file and the dataset as they were.
    void setFileName(const QString& path);
    QString fileName() const;
    Status loadFromFile(const QString& path = {});
    // Like loadFromFile, but only the rows whose fields `keyFields` ("A;B") hold `keyValues`
    // (as an exact, case-sensitive locate finds them; null matches null), read through the
    // file's SQL indexes, so the cost follows the rows of the key and not the file. No fields:
    // the definitions without rows. The change log applies to the file as after a full load.
    Status loadFromFile(const QString& path, const QString& keyFields, const QVariantList& keyValues);
    Status saveToFile(const QString& path = {}, SaveMode mode = SaveMode::Changes);

private:
    friend class Field;
    struct Impl;
    void adopt(Impl& scratch); // the rows and definitions of `scratch` replace these
    std::unique_ptr<Impl> d;
};

} // namespace zel
