#pragma once

// Internal state of DataSet, shared by its source files.

#include "DataSet.h"
#include "DataSetMessages.h"

#include <memory>
#include <vector>

namespace zel {

struct Record
{
    enum class Status { Unchanged, Inserted, Modified };

    Row values;
    Row original;         // as loaded or last merged (Unchanged and Modified rows)
    qint64 fileRowId = 0; // identity in the data file the rows came from
    qint64 serial = 0;    // identity in memory; breaks ties between equal index keys
    Status status = Status::Unchanged;
};

struct ResolvedKey
{
    int field = 0;
    bool descending = false;
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

    bool logChanges = true;
    bool logComplete = true; // every change since the rows came from their file is in the log
    QString fileName;
    QString originPath; // canonical path of the data file the rows came from
    QString originFileId;
    qint64 nextSerial = 1;

    // Helpers (DataSet.cpp and DataSetEdit.cpp).
    QString prefix() const;
    [[noreturn]] void fail(const Error& error) const; // throws DataSetError, the name in front
    template <class... A>
    [[noreturn]] void fail(const char* key, const A&... args) const
    {
        fail(dataSetError(key, args...));
    }
    void requireActive() const;
    int requireField(const QString& name) const;
    Record* current() const;
    bool passes(const Record& rec) const;
    bool before(const Record* a, const Record* b) const; // order of the active index
    void resolveActiveKey();
    void rebuildView(const Record* keep);
    void settleCursor();
    std::vector<ResolvedKey> resolveKey(const IndexDef& index) const;
    void checkUnique(const Row& values, const Record* self) const;
    void checkUniqueAll(const IndexDef& index) const;
    void placeInView(Record* rec, int fallback);
    bool staysInPlace(std::vector<Record*>::iterator at) const;
    void validateFields(const QList<FieldDef>& list) const;
    Row convertRow(const Row& row, int rowNumber) const;
    void logDelete(Record* rec);
    void post();
    void cancel();
    void browse(); // post a pending edit or insert
    bool sameValues(const Row& a, const Row& b) const;
    // Throws DataSetError when the active filter cannot run over `other`'s fields and rows.
    void checkFilterOn(const Impl& other) const;
};

} // namespace zel
