#include "DataSetTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <sqlite3.h>

using namespace zel;
using namespace zel::test;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void runSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

QList<FieldDef> quoteFields()
{
    FieldDef value{QStringLiteral("VRINDICE"), FieldType::Float, 0, QStringLiteral("Cotação"),
                   QStringLiteral("#,##0.0000")};
    FieldDef hidden{QStringLiteral("NRSEQ"), FieldType::Integer};
    hidden.visible = false;
    return {stringField(QStringLiteral("CDINDICE"), 4),
            typedField(QStringLiteral("DTREFIND"), FieldType::Date),
            value,
            hidden,
            typedField(QStringLiteral("DTHRINC"), FieldType::DateTime),
            typedField(QStringLiteral("IDATIVO"), FieldType::Boolean)};
}

class DataFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("movindic.cds"));
        ds.setFieldDefs(quoteFields());
        ds.addIndex({"idxCotacao", {"CDINDICE", "DTREFIND"}, {}, false, true});
        ds.addIndex({"idxRecent", {"DTREFIND"}, {}, true});
        ds.createDataSet();
        addQuote(ds, "USD", QDate(2026, 12, 7), 5.4321);
        addQuote(ds, "EUR", QDate(2026, 12, 7), 6.25);
        ds.append();
        ds.fieldByName(QStringLiteral("CDINDICE")).setString(QStringLiteral("ARS"));
        ds.post(); // nulls everywhere else
    }
    static void addQuote(DataSet& d, const char* code, QDate day, double quote)
    {
        appendRow(d, {code, day, quote, qint64(7), QDateTime(day, QTime(9, 30, 15, 500)), true});
    }
    QTemporaryDir dir;
    QString path;
    DataSet ds;
};

TEST_F(DataFileTest, SavedFileLoadsBackWithDefinitionsIndexesAndValues)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    EXPECT_EQ(ds.changeCount(), 0);
    DataSet back;
    const Status s = back.loadFromFile(path);
    ASSERT_TRUE(s.ok()) << s.errorMessage().toStdString();
    EXPECT_EQ(back.data(), ds.data());
    EXPECT_EQ(back.fieldDefs(), ds.fieldDefs());
    EXPECT_EQ(back.indexDefs(), ds.indexDefs());
    EXPECT_EQ(back.state(), DataSetState::Browse);
    EXPECT_EQ(back.recNo(), 1);
}

TEST_F(DataFileTest, SavingAppliesTheChangeLog)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet d;
    ASSERT_TRUE(d.loadFromFile(path).ok());
    ASSERT_TRUE(d.locate(QStringLiteral("CDINDICE"), {"EUR"}));
    d.edit();
    d.fieldByName(QStringLiteral("VRINDICE")).setFloat(6.5);
    d.post();
    ASSERT_TRUE(d.locate(QStringLiteral("CDINDICE"), {"USD"}));
    d.deleteRecord();
    addQuote(d, "GBP", QDate(2026, 12, 8), 7.0);
    ASSERT_TRUE(d.saveToFile(path).ok());
    EXPECT_EQ(d.changeCount(), 0);

    DataSet back;
    ASSERT_TRUE(back.loadFromFile(path).ok());
    EXPECT_EQ(back.data(), d.data());
}

TEST_F(DataFileTest, TwoTerminalsAddingRowsKeepEachOthersRows)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet a, b;
    ASSERT_TRUE(a.loadFromFile(path).ok());
    ASSERT_TRUE(b.loadFromFile(path).ok());
    addQuote(a, "GBP", QDate(2026, 12, 8), 7.0);
    addQuote(b, "JPY", QDate(2026, 12, 8), 0.03);
    ASSERT_TRUE(a.saveToFile(path).ok());
    ASSERT_TRUE(b.saveToFile(path).ok());
    DataSet back;
    ASSERT_TRUE(back.loadFromFile(path).ok());
    EXPECT_EQ(back.recordCount(), 5);
    EXPECT_TRUE(back.locate(QStringLiteral("CDINDICE"), {"GBP"}));
    EXPECT_TRUE(back.locate(QStringLiteral("CDINDICE"), {"JPY"}));
}

TEST_F(DataFileTest, ConflictingSaveRollsBackAndLeavesTheFileAsItWas)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet a, b;
    ASSERT_TRUE(a.loadFromFile(path).ok());
    ASSERT_TRUE(b.loadFromFile(path).ok());
    a.first();
    a.edit();
    a.fieldByName(QStringLiteral("VRINDICE")).setFloat(1.0);
    a.post();
    ASSERT_TRUE(a.saveToFile(path).ok());
    const QByteArray before = bytesOf(path);

    // b inserts a row before its edit, so the save fails after it has written something.
    b.first();
    b.insert();
    b.fieldByName(QStringLiteral("CDINDICE")).setString(QStringLiteral("NEW"));
    b.post();
    b.next();
    b.edit();
    b.fieldByName(QStringLiteral("VRINDICE")).setFloat(2.0);
    b.post();
    const Status s = b.saveToFile(path);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.errorCode(), QStringLiteral("ArqLinhaAlterada")) << s.errorMessage().toStdString();
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(b.changeCount(), 2); // nothing is lost in memory either

    // A row deleted elsewhere and deleted here too is no conflict.
    DataSet c;
    ASSERT_TRUE(c.loadFromFile(path).ok());
    a.last();
    a.deleteRecord();
    ASSERT_TRUE(a.saveToFile(path).ok());
    c.last();
    c.deleteRecord();
    EXPECT_TRUE(c.saveToFile(path).ok());
}

TEST_F(DataFileTest, UniqueIndexHoldsAcrossTerminals)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet a, b;
    ASSERT_TRUE(a.loadFromFile(path).ok());
    ASSERT_TRUE(b.loadFromFile(path).ok());
    addQuote(a, "GBP", QDate(2026, 12, 8), 7.0);
    addQuote(b, "GBP", QDate(2026, 12, 8), 7.1);
    ASSERT_TRUE(a.saveToFile(path).ok());
    const QByteArray before = bytesOf(path);
    const Status s = b.saveToFile(path);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.errorCode(), QStringLiteral("ArqMesmaChave")) << s.errorMessage().toStdString();
    EXPECT_EQ(bytesOf(path), before);
}

TEST_F(DataFileTest, SaveAsWritesTheWholeDatasetAndCreatesTheFile)
{
    const QString other = dir.filePath(QStringLiteral("copy.cds"));
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet d;
    ASSERT_TRUE(d.loadFromFile(path).ok());
    addQuote(d, "GBP", QDate(2026, 12, 8), 7.0);
    // The change log of rows from one file does not apply to another: a copy is a replace,
    // and only a caller that asks for one gets it.
    const Status refused = d.saveToFile(other);
    EXPECT_EQ(refused.errorCode(), QStringLiteral("ArqOrigemDiferente"))
        << refused.errorMessage().toStdString();
    EXPECT_FALSE(QFile::exists(other));
    ASSERT_TRUE(d.saveToFile(other, SaveMode::ReplaceRows).ok());
    DataSet back;
    ASSERT_TRUE(back.loadFromFile(other).ok());
    EXPECT_EQ(back.recordCount(), 4);
    DataSet original;
    ASSERT_TRUE(original.loadFromFile(path).ok());
    EXPECT_EQ(original.recordCount(), 3);

    // With the log switched off only a replace can write the rows.
    d.setLogChanges(false);
    d.first();
    d.deleteRecord();
    EXPECT_EQ(d.saveToFile(other).errorCode(), QStringLiteral("ArqSemRegistro"));
    ASSERT_TRUE(d.saveToFile(other, SaveMode::ReplaceRows).ok());
    ASSERT_TRUE(back.loadFromFile(other).ok());
    EXPECT_EQ(back.data(), d.data());
}

TEST_F(DataFileTest, RowsFromAPacketReplaceTheFileOnlyWhenAsked)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    const QByteArray before = bytesOf(path);
    DataSet fromHost;
    fromHost.setData(ds.data());
    const Status refused = fromHost.saveToFile(path);
    EXPECT_EQ(refused.errorCode(), QStringLiteral("ArqOrigemDiferente"))
        << refused.errorMessage().toStdString();
    EXPECT_EQ(bytesOf(path), before);

    fromHost.first();
    fromHost.deleteRecord();
    ASSERT_TRUE(fromHost.saveToFile(path, SaveMode::ReplaceRows).ok());
    DataSet back;
    ASSERT_TRUE(back.loadFromFile(path).ok());
    EXPECT_EQ(back.data(), fromHost.data());
}

TEST_F(DataFileTest, ChangesToAFileRecreatedSinceTheLoadAreRefused)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet d;
    ASSERT_TRUE(d.loadFromFile(path).ok());
    d.first();
    d.edit();
    d.fieldByName(QStringLiteral("VRINDICE")).setFloat(9.0);
    d.post();
    // Another terminal deletes the file and creates it anew with rows of its own.
    ASSERT_TRUE(QFile::remove(path));
    DataSet other(quoteFields());
    other.createDataSet();
    addQuote(other, "CHF", QDate(2026, 12, 9), 6.0);
    ASSERT_TRUE(other.saveToFile(path).ok());
    const QByteArray before = bytesOf(path);

    const Status s = d.saveToFile(path);
    EXPECT_EQ(s.errorCode(), QStringLiteral("ArqSubstituido")) << s.errorMessage().toStdString();
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(d.changeCount(), 1);
}

TEST_F(DataFileTest, LoadRefusesAFilterTheFileCannotFeedAndKeepsTheDataset)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet d({stringField(QStringLiteral("CODE"), 4), stringField(QStringLiteral("ONLYHERE"), 4)});
    d.createDataSet();
    appendRow(d, {"mine", "x"});
    appendRow(d, {"too", "y"});
    d.setFilter([](const RecordView& r) { return r.text(QStringLiteral("ONLYHERE")) == QLatin1String("x"); },
                QStringLiteral("ONLYHERE = 'x'"));
    d.setFiltered(true);
    const DataPacket before = d.data();

    const Status s = d.loadFromFile(path);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.errorCode(), QStringLiteral("DsCampoNaoExiste")) << s.errorMessage().toStdString();
    EXPECT_EQ(d.data(), before);
    EXPECT_TRUE(d.filtered());
    EXPECT_EQ(walk(d), QStringList({"mine"}));
    EXPECT_EQ(d.changeCount(), 2);

    // A packet without the field is refused the same way.
    EXPECT_THROW(d.setData(ds.data()), DataSetError);
    EXPECT_EQ(d.data(), before);
    EXPECT_EQ(walk(d), QStringList({"mine"}));
}

TEST_F(DataFileTest, LoadKeepsTheDatasetsIndexesAndAddsTheFiles)
{
    ASSERT_TRUE(ds.saveToFile(path).ok());
    DataSet d;
    d.addIndex({"idxOwn", {"VRINDICE"}});
    d.setIndexName(QStringLiteral("idxOwn"));
    ASSERT_TRUE(d.loadFromFile(path).ok());
    EXPECT_EQ(d.indexName(), "idxOwn");
    EXPECT_EQ(d.indexDefs().size(), 3);
    d.setIndexName(QStringLiteral("idxRecent"));

    DataSet wrong;
    wrong.addIndex({"idxOther", {"NOPE"}});
    const Status s = wrong.loadFromFile(path);
    EXPECT_FALSE(s.ok());
}

// Files a dataset must refuse to load or to save over, each left byte for byte as it was.
struct BadFile
{
    const char* name;
    std::function<void(const QString& path, DataSet& good)> make;
    const char* loadError; // the error's code; null: it loads (into a dataset of its own shape)
    const char* saveError; // the error's code; null: not tried
};

class BadFileTest : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(BadFileTest, ClearErrorAndTheFileUntouched)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tiporece.cds"));
    DataSet good(
        {stringField(QStringLiteral("CDTIPORECE"), 3), stringField(QStringLiteral("IDTIPORECE"), 1)});
    good.createDataSet();
    appendRow(good, {"001", "4"});
    GetParam().make(path, good);
    const QByteArray before = bytesOf(path);
    const bool existed = QFile::exists(path);

    DataSet target({stringField(QStringLiteral("KEEP"), 4)});
    target.createDataSet();
    appendRow(target, {"mine"});
    if (GetParam().loadError) {
        const Status loaded = target.loadFromFile(path);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.errorCode(), QString::fromUtf8(GetParam().loadError))
            << loaded.errorMessage().toStdString();
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_EQ(walk(target, QStringLiteral("KEEP")), QStringList({"mine"}));
        EXPECT_EQ(QFile::exists(path), existed);
    }

    if (GetParam().saveError) {
        const Status saved = target.saveToFile(path);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.errorCode(), QString::fromUtf8(GetParam().saveError))
            << saved.errorMessage().toStdString();
        EXPECT_EQ(bytesOf(path), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    ::testing::Values(
        BadFile{"missing", [](const QString&, DataSet&) {}, "ArqNaoExiste", nullptr},
        BadFile{"notSqlite",
                [](const QString& p, DataSet&) {
                    QFile f(p);
                    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                    f.write(QByteArray("CDTIPORECE;IDTIPORECE\n001;4\n").repeated(200));
                },
                "ArqNaoSqlite", "ArqNaoSqlite"},
        BadFile{"foreignSqlite",
                [](const QString& p, DataSet&) {
                    runSql(p, "CREATE TABLE clientes(id INTEGER); INSERT INTO clientes VALUES (1);");
                },
                "ArqOutroSistema", "ArqOutroTipo"},
        BadFile{"otherShape",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "ALTER TABLE records ADD COLUMN EXTRA TEXT;");
                },
                "ArqColunas", "ArqColunas"},
        BadFile{"otherFields", [](const QString& p, DataSet& good) { ASSERT_TRUE(good.saveToFile(p).ok()); },
                nullptr, "ArqOutraForma"},
        BadFile{"wrongValueType",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "UPDATE records SET IDTIPORECE = x'00ff';");
                },
                "ArqTipoErrado", nullptr},
        BadFile{"tooLong",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "UPDATE records SET CDTIPORECE = 'ABCDEF';");
                },
                "ArqTextoLongo", nullptr},
        BadFile{"unknownType",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "UPDATE zel_fields SET type = 'money' WHERE position = 0;");
                },
                "ArqTipoDesconhecido", nullptr},
        // Names SQL text cannot carry (it ends at a NUL): such a file could be read, never saved.
        BadFile{"nulInIndexName",
                [](const QString& p, DataSet& good) {
                    good.addIndex({"idxCodigo", {"CDTIPORECE"}, {}, false, true});
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "UPDATE zel_indexes SET name = 'idx' || char(0) || 'Codigo';");
                },
                "ArqIndiceInvalido", nullptr},
        BadFile{"nulInFieldName",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p,
                           "UPDATE zel_fields SET name = 'CDTIPO' || char(0) || 'RECE' WHERE position = 0;");
                },
                "ArqCampoInvalido", nullptr},
        BadFile{"newerFormat",
                [](const QString& p, DataSet& good) {
                    ASSERT_TRUE(good.saveToFile(p).ok());
                    runSql(p, "UPDATE zel_meta SET value = '9' WHERE key = 'format';");
                },
                "ArqVersao", "ArqVersao"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(DataFileSave, MissingFolderOrNoNameIsAnError)
{
    QTemporaryDir dir;
    DataSet ds({stringField(QStringLiteral("A"), 1)});
    ds.createDataSet();
    EXPECT_FALSE(ds.saveToFile(dir.filePath(QStringLiteral("no/such/folder.cds"))).ok());
    EXPECT_FALSE(ds.saveToFile().ok());
    EXPECT_FALSE(ds.loadFromFile().ok());
    EXPECT_FALSE(ds.saveToFile(dir.path()).ok());
    ds.setFileName(dir.filePath(QStringLiteral("named.cds")));
    EXPECT_TRUE(ds.saveToFile().ok());
    EXPECT_TRUE(ds.loadFromFile().ok());
}

} // namespace
