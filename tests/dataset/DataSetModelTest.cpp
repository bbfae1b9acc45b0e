// Random posts, edits, deletes, locates, saves and keyed loads on a dataset with a unique index,
// checked after every step against a plain model: the rows in insertion and index order, the
// unique refusals, what locate and a key's packet find, and the change log.

#include "DataSetTestSupport.h"
#include "support/Eventually.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <random>

using namespace zel;
using namespace zel::test;

namespace {

struct ModelRow
{
    QString code;
    qint64 n = 0;
    bool stored = false; // in the file, as (storedCode, storedN)
    QString storedCode;
    qint64 storedN = 0;
};

class Model
{
public:
    std::vector<ModelRow> rows; // insertion order
    QStringList deleted;        // change log of stored rows deleted: "code n"

    bool holds(const QString& code, int except = -1) const
    {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (int(i) != except && rows[i].code == code)
                return true;
        }
        return false;
    }
    std::vector<int> order(bool byCode) const
    {
        std::vector<int> out(rows.size());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = int(i);
        if (byCode)
            std::stable_sort(out.begin(), out.end(),
                             [&](int a, int b) { return rows[a].code < rows[b].code; });
        return out;
    }
    QStringList changes() const
    {
        QStringList out;
        for (const QString& d : deleted)
            out << QStringLiteral("D ") + d;
        for (const ModelRow& r : rows) {
            if (!r.stored)
                out << QStringLiteral("I %1 %2").arg(r.code).arg(r.n);
            else if (r.code != r.storedCode || r.n != r.storedN)
                out << QStringLiteral("M %1 %2 > %3 %4")
                           .arg(r.storedCode)
                           .arg(r.storedN)
                           .arg(r.code)
                           .arg(r.n);
        }
        return out;
    }
    void saved()
    {
        deleted.clear();
        for (ModelRow& r : rows) {
            r.stored = true;
            r.storedCode = r.code;
            r.storedN = r.n;
        }
    }
};

QStringList changesOf(const DataSet& ds)
{
    QStringList out;
    for (const Change& c : ds.changes()) {
        auto text = [](const Row& r) {
            return QStringLiteral("%1 %2").arg(r[0].toString()).arg(r[1].toLongLong());
        };
        if (c.kind == ChangeKind::Deleted)
            out << QStringLiteral("D ") + text(c.before);
        else if (c.kind == ChangeKind::Inserted)
            out << QStringLiteral("I ") + text(c.after);
        else
            out << QStringLiteral("M ") + text(c.before) + QStringLiteral(" > ") + text(c.after);
    }
    return out;
}

QStringList rowsOf(DataSet& ds)
{
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
        out << ds.fieldByName(QStringLiteral("CODE")).asString() + u' ' +
                   ds.fieldByName(QStringLiteral("N")).asString();
    return out;
}

QStringList rowsOf(const Model& m, bool byCode)
{
    QStringList out;
    for (int i : m.order(byCode))
        out << QStringLiteral("%1 %2").arg(m.rows[size_t(i)].code).arg(m.rows[size_t(i)].n);
    return out;
}

class DataSetAgainstModel : public ::testing::TestWithParam<unsigned>
{
protected:
    QTemporaryDir dir;
    std::mt19937 rng{GetParam()};
    DataSet ds{
        {stringField(QStringLiteral("CODE"), 10), typedField(QStringLiteral("N"), FieldType::Integer)}};
    Model m;
    bool byCode = false;

    int pick(int n) { return int(rng() % unsigned(n)); }
    QString someCode() { return QStringLiteral("K%1").arg(pick(30)); }
    QString path() const { return dir.filePath(QStringLiteral("model.cds")); }

    // Sets the cursor on model row `i` (insertion order).
    void goTo(int i)
    {
        ds.setIndexName(QString());
        ds.setRecNo(i + 1);
        ds.setIndexName(byCode ? QStringLiteral("byCode") : QString());
    }

    // Posts the buffer; a key another row holds is refused and the edit stays pending.
    bool post(const QString& code, int self)
    {
        ds.fieldByName(QStringLiteral("CODE")).setString(code);
        const bool duplicate = m.holds(code, self);
        EXPECT_EQ(!duplicate, [&] {
            try {
                ds.post();
                return true;
            } catch (const DataSetError& e) {
                EXPECT_EQ(e.code(), QStringLiteral("DsChaveRepetida"));
                EXPECT_NE(ds.state(), DataSetState::Browse);
                ds.cancel();
                return false;
            }
        }());
        return !duplicate;
    }

    void reloadAll()
    {
        ASSERT_TRUE(ds.loadFromFile(path()).ok());
        // Rows inserted before others come back in the order the file gave them ids.
        ds.setIndexName(QString());
        std::vector<ModelRow> inFile;
        for (ds.first(); !ds.eof(); ds.next()) {
            const QString code = ds.fieldByName(QStringLiteral("CODE")).asString();
            auto it =
                std::find_if(m.rows.begin(), m.rows.end(), [&](const ModelRow& r) { return r.code == code; });
            ASSERT_NE(it, m.rows.end()) << code.toStdString();
            inFile.push_back(*it);
        }
        ASSERT_EQ(inFile.size(), m.rows.size());
        m.rows = inFile;
        ds.setIndexName(byCode ? QStringLiteral("byCode") : QString());
    }

    void step()
    {
        const int op = pick(100);
        const int count = int(m.rows.size());
        if (op < 30 || count == 0) { // append or insert before a row
            const bool before = op % 2 == 0 && count > 0;
            const int at = before ? pick(count) : count;
            if (before) {
                ds.setIndexName(QString()); // the new row goes before row `at` in insertion order
                ds.setRecNo(at + 1);
                ds.insert();
            } else {
                ds.append();
            }
            const qint64 n = pick(5);
            ds.fieldByName(QStringLiteral("N")).setInteger(n);
            const QString code = someCode();
            if (post(code, -1))
                m.rows.insert(m.rows.begin() + at, ModelRow{code, n, false, {}, 0});
            ds.setIndexName(byCode ? QStringLiteral("byCode") : QString());
        } else if (op < 55) { // edit the code or N of a row
            const int i = pick(count);
            goTo(i);
            ds.edit();
            const qint64 n = pick(5);
            ds.fieldByName(QStringLiteral("N")).setInteger(n);
            const QString code = op % 3 == 0 ? someCode() : m.rows[size_t(i)].code;
            if (post(code, i)) {
                m.rows[size_t(i)].code = code;
                m.rows[size_t(i)].n = n;
            }
        } else if (op < 68) { // delete
            const int i = pick(count);
            goTo(i);
            ds.deleteRecord();
            if (m.rows[size_t(i)].stored)
                m.deleted << QStringLiteral("%1 %2")
                                 .arg(m.rows[size_t(i)].storedCode)
                                 .arg(m.rows[size_t(i)].storedN);
            m.rows.erase(m.rows.begin() + i);
        } else if (op < 85) { // locate by the unique code and by N, and a key's packet
            const QString code = someCode();
            const bool found = ds.locate(QStringLiteral("CODE"), {code});
            EXPECT_EQ(found, m.holds(code)) << code.toStdString();
            if (found) {
                EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), code);
            }
            const qint64 n = pick(5);
            int first = -1;
            for (int i : m.order(byCode)) {
                if (first < 0 && m.rows[size_t(i)].n == n)
                    first = i;
            }
            EXPECT_EQ(ds.locate(QStringLiteral("n"), {n}), first >= 0);
            if (first >= 0) {
                EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), m.rows[size_t(first)].code);
            }
            QStringList packet, expected;
            for (const Row& r : ds.data(QStringLiteral("N"), {n}).rows)
                packet << r[0].toString();
            for (const ModelRow& r : m.rows) {
                if (r.n == n)
                    expected << r.code;
            }
            EXPECT_EQ(packet, expected);
        } else if (op < 90) { // switch the index
            byCode = !byCode;
            ds.setIndexName(byCode ? QStringLiteral("byCode") : QString());
        } else if (op < 96) { // save the change log, and sometimes read everything back
            const Status saved = ds.saveToFile(path());
            ASSERT_TRUE(saved.ok()) << saved.errorMessage().toStdString() << '\n'
                                    << changesOf(ds).join(u'\n').toStdString();
            m.saved();
            if (op % 2 == 0)
                reloadAll();
        } else if (QFile::exists(path())) { // another terminal changes one key, read by its key
            const Status saved = ds.saveToFile(path());
            ASSERT_TRUE(saved.ok()) << saved.errorMessage().toStdString() << '\n'
                                    << changesOf(ds).join(u'\n').toStdString();
            m.saved();
            const QString code = someCode();
            DataSet other;
            ASSERT_TRUE(other.loadFromFile(path(), QStringLiteral("CODE"), {code}).ok());
            ASSERT_EQ(other.recordCount(), m.holds(code) ? 1 : 0);
            if (other.recordCount() == 1) {
                other.edit();
                other.fieldByName(QStringLiteral("N")).setInteger(9);
                other.post();
                ASSERT_TRUE(other.saveToFile(path()).ok());
                for (ModelRow& r : m.rows) {
                    if (r.code == code)
                        r.n = r.storedN = 9;
                }
            }
            reloadAll();
        }
    }
};

TEST_P(DataSetAgainstModel, RowsOrderLocatesAndChangeLogFollowTheModel)
{
    ds.addIndex(IndexDef{QStringLiteral("byCode"), {QStringLiteral("CODE")}, {}, false, true});
    ds.createDataSet();
    for (int i = 0; i < 400 && !HasFatalFailure(); ++i) {
        SCOPED_TRACE(i);
        step();
        ASSERT_EQ(rowsOf(ds), rowsOf(m, byCode));
        ASSERT_EQ(changesOf(ds), m.changes());
        ASSERT_EQ(ds.changeCount(), int(m.changes().size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, DataSetAgainstModel, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

} // namespace
