#pragma once

// Internal state of DataSet, shared by its source files.

#include "DataSet.h"
#include "DataSetMessages.h"
#include "DataSetRow.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zel {

namespace datafile {
struct RowKey;
}

struct Record
{
    enum class Status { Unchanged, Inserted, Modified };

    PackedRow values;
    PackedRow original; // Modified rows: the values as loaded or last merged
    const PackedRow& stored() const { return status == Status::Modified ? original : values; }
    qint64 fileRowId = 0; // identity in the data file the rows came from
    qint64 serial = 0;    // identity in memory; breaks ties between equal index keys
    Status status = Status::Unchanged;
};

struct ResolvedKey
{
    int field = 0;
    bool descending = false;
};

// The rows by the values of some fields, for unique checks and locates without a scan. Holds
// a hash of the values only; callers compare the candidates' values themselves. Text hashes
// case-folded when `caseInsensitive`, so one map serves the locates that ignore case.
struct KeyMap
{
    std::vector<int> cols;
    bool caseInsensitive = false;
    std::unordered_multimap<size_t, Record*> rows;

    size_t hashOf(const Row& values) const;
    size_t hashOf(const PackedRow& values) const; // equal to the hash of the same Row
    void add(Record* rec) { rows.emplace(hashOf(rec->values), rec); }
    void remove(Record* rec, size_t hash);
};

struct DataSet::Impl
{
    QString name;
    QList<FieldDef> fields;
    std::vector<std::unique_ptr<Record>> rows; // insertion order
    std::vector<Record*> view;                 // rows the filter lets through, in index order
    QList<Change> deleted;                     // change log of deleted rows

    DataSetState state = DataSetState::Inactive;
    int cur = -1; // position in `view`; during an insert, where the new row shows
    bool bofFlag = true;
    bool eofFlag = true;

    Row buffer;                     // values being edited or inserted
    Record* editing = nullptr;      // the row being edited
    Record* insertBefore = nullptr; // insert: the row the new one goes before (null: at the end)
    bool appending = false;

    FilterPredicate filter;
    QString filterText;
    bool filtered = false;

    QList<IndexDef> indexes;
    int activeIndex = -1;
    std::vector<ResolvedKey> activeKey;

    // Maps kept up to date by post, delete and the loads; built when first needed (a unique
    // check, a locate) and dropped when the fields or all the rows change.
    std::vector<std::unique_ptr<KeyMap>> keyMaps;
    // Rows whose status is not Unchanged: the change log without a walk over every row.
    std::unordered_set<Record*> changed;
    // `rows` are in `serial` order (no insert before another row since they came).
    bool serialOrdered = true;

    bool logChanges = true;
    bool logComplete = true; // every change since the rows came from their file is in the log
    QString fileName;
    QString originPath; // canonical path of the data file the rows came from
    QString originFileId;
    qint64 nextSerial = 1;

    // Helpers (DataSet.cpp and DataSetEdit.cpp).
    QString prefix() const;
    [[noreturn]] void fail(const Error& error) const; // throws DataSetError, the name in front
    template <class... A> [[noreturn]] void fail(const char* key, const A&... args) const
    {
        fail(dataSetError(key, args...));
    }
    void requireActive() const;
    int requireField(const QString& name) const;
    // The fields `names` ("A;B") name and `values` as those fields keep them (sizes not
    // counted), for finding rows by key: `key` is a row of the dataset's width holding each
    // value at its field. Throws DataSetError when the counts differ or a field is unknown;
    // `holdable` is false when a value cannot be held by its field (it then matches no row),
    // and the names after it are not looked at.
    struct KeyValues
    {
        std::vector<int> cols;
        QVariantList values; // converted, one for each of cols
        Row key;
        bool holdable = true;
    };
    KeyValues keyValues(const QString& names, const QVariantList& values) const;
    Record* current() const;
    bool passes(const Record& rec) const;
    bool before(const Record* a, const Record* b) const; // order of the active index
    void resolveActiveKey();
    void rebuildView(const Record* keep);
    void settleCursor();
    std::vector<ResolvedKey> resolveKey(const IndexDef& index) const;
    void checkUnique(const Row& values, const Record* self);
    void checkUniqueAll(const IndexDef& index) const;
    void placeInView(Record* rec, int fallback);
    bool staysInPlace(std::vector<Record*>::iterator at) const;
    void validateFields(const QList<FieldDef>& list) const;
    Row convertRow(const Row& row, int rowNumber) const;
    void logDelete(Record* rec);
    void post();
    void cancel();
    void browse(); // post a pending edit or insert
    bool sameValues(const PackedRow& a, const Row& b) const;
    bool sameValues(const PackedRow& a, const PackedRow& b) const;
    // The key maps and the change set (DataSetKeys.cpp).
    KeyMap& keyMap(const std::vector<int>& cols, bool caseInsensitive);
    void dropKeyMaps();
    void mapsAdd(Record* rec);
    void mapsRemove(Record* rec);
    void mapsUpdate(Record* rec, const PackedRow& before); // rec->values changed from `before`
    void setStatus(Record* rec, Record::Status status);
    void resetRows(); // after `rows` were replaced: no maps, no changes, serial order
    std::vector<Record*> changedInOrder() const;                   // changed rows in insertion order
    int viewPosition(const Record* rec) const;                     // -1 when not visible
    Status load(const QString& path, const datafile::RowKey* key); // DataSetFile.cpp
    // Throws DataSetError when the active filter cannot run over `other`'s fields and rows.
    void checkFilterOn(const Impl& other) const;
};

} // namespace zel
