// Data files live in a folder other terminals write: whatever someone plants there, a load or
// a save refuses the file with its catalogue message and leaves every file of the folder as it
// was, byte for byte.

#include "DataSetTestSupport.h"
#include "dataset/SqliteDb.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <functional>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;
using namespace zel::test;

namespace {

// The quote table as the receipt declares it (receipt/QuoteFile.cpp).
void defineQuotes(DataSet& table)
{
    table.close();
    table.setFieldDefs({stringField(QStringLiteral("CDINDICE"), 4),
                        typedField(QStringLiteral("DTREFIND"), FieldType::Date),
                        typedField(QStringLiteral("VRINDICE"), FieldType::Float)});
    table.addIndex({QStringLiteral("idxCotacao"),
                    {QStringLiteral("CDINDICE"), QStringLiteral("DTREFIND")},
                    {},
                    false,
                    true});
}

void runSql(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

QString queryText(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// Every entry of the folder, without following links: a file's bytes, a link's target, another
// entry's kind.
QMap<QString, QByteArray> folderState(const QString& dir)
{
    QMap<QString, QByteArray> state;
    const QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QByteArray full = QFile::encodeName(QDir(dir).filePath(name));
        struct stat st;
        if (::lstat(full.constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            state[name] = "link to " + QFile::encodeName(QFile::symLinkTarget(QString::fromLocal8Bit(full)));
        } else if (S_ISREG(st.st_mode)) {
            QFile f(QString::fromLocal8Bit(full));
            state[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
        } else {
            state[name] = "mode " + QByteArray::number(st.st_mode, 8);
        }
    }
    return state;
}

void writeQuotesFile(const QString& path, FieldType quoteType = FieldType::Float)
{
    DataSet q({stringField(QStringLiteral("CDINDICE"), 4),
               typedField(QStringLiteral("DTREFIND"), FieldType::Date),
               typedField(QStringLiteral("VRINDICE"), quoteType)});
    q.addIndex({QStringLiteral("idxCotacao"),
                {QStringLiteral("CDINDICE"), QStringLiteral("DTREFIND")},
                {},
                false,
                true});
    q.createDataSet();
    appendRow(q, {"USD", QDate(2026, 12, 7), 5});
    appendRow(q, {"EUR", QDate(2026, 12, 7), 6});
    ASSERT_TRUE(q.saveToFile(path).ok());
}

QString sibling(const QString& path, const char* name)
{
    return QFileInfo(path).dir().filePath(QString::fromLatin1(name));
}

void symlinkTo(const QString& target, const QString& link)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

struct Planted
{
    const char* name;
    std::function<void(const QString& path)> plant; // on a quote file the module wrote
    const char* loadError;                          // catalogue key of the refusal
    const char* saveError;                          // null: a save rewrites the module's definitions
};

class HostileDataFileTest : public ::testing::TestWithParam<Planted>
{
};

TEST_P(HostileDataFileTest, RefusedAndEveryFileLeftAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("movindic.cds"));
    writeQuotesFile(path);
    GetParam().plant(path);
    const QMap<QString, QByteArray> before = folderState(dir.path());

    DataSet loaded;
    defineQuotes(loaded);
    const Status load = loaded.loadFromFile(path);
    EXPECT_EQ(load.errorCode(), QString::fromLatin1(GetParam().loadError))
        << load.errorMessage().toStdString();
    EXPECT_TRUE(load.errorMessage().startsWith(QStringLiteral("Arquivo de dados ")));
    EXPECT_EQ(folderState(dir.path()), before);

    if (GetParam().saveError) {
        DataSet typed;
        defineQuotes(typed);
        typed.createDataSet();
        appendRow(typed, {"UYU", QDate(2026, 12, 7), 0.13});
        const Status save = typed.saveToFile(path);
        EXPECT_EQ(save.errorCode(), QString::fromLatin1(GetParam().saveError))
            << save.errorMessage().toStdString();
        EXPECT_EQ(folderState(dir.path()), before);
    }
}

const QString kEndless = QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) ");

INSTANTIATE_TEST_SUITE_P(
    Planted, HostileDataFileTest,
    ::testing::Values(
        Planted{
            "triggerRewritesQuotes",
            [](const QString& p) {
                runSql(
                    p,
                    "CREATE TRIGGER zel_t AFTER INSERT ON records BEGIN UPDATE records SET VRINDICE = 0.01; "
                    "UPDATE records SET VRINDICE = 9999 WHERE CDINDICE = 'USD'; END;");
            },
            "ArqObjetoEstranho", "ArqObjetoEstranho"},
        Planted{"triggerEmptiesFile",
                [](const QString& p) {
                    runSql(p,
                           "CREATE TRIGGER zel_e AFTER DELETE ON zel_fields BEGIN DELETE FROM records; END;");
                },
                "ArqObjetoEstranho", "ArqObjetoEstranho"},
        Planted{"triggerEndlessQuery",
                [](const QString& p) {
                    runSql(p, "CREATE TRIGGER zel_h BEFORE INSERT ON records BEGIN SELECT count(*) FROM (" +
                                  kEndless + "SELECT x FROM n); END;");
                },
                "ArqObjetoEstranho", "ArqObjetoEstranho"},
        Planted{
            "viewNamedRecords",
            [](const QString& p) {
                runSql(
                    p,
                    "ALTER TABLE records RENAME TO zel_old; CREATE VIEW records AS " + kEndless +
                        "SELECT x AS zel_rowid, 'USD' AS CDINDICE, '2026-12-07' AS DTREFIND, x AS VRINDICE "
                        "FROM n ORDER BY random();");
            },
            "ArqObjetoEstranho", "ArqObjetoEstranho"},
        Planted{"indexOverAHugeExpression",
                [](const QString& p) {
                    runSql(p, "DROP INDEX zel_uq_idxCotacao; CREATE UNIQUE INDEX zel_uq_idxCotacao ON "
                              "records(CDINDICE, DTREFIND, length(printf('%.*c', 100000, 'x')));");
                },
                "ArqObjetoAlterado", "ArqObjetoAlterado"},
        Planted{"extraIndex",
                [](const QString& p) {
                    runSql(p, "CREATE INDEX zel_uq_big ON records(zeroblob(1000), VRINDICE);");
                },
                "ArqObjetoEstranho", "ArqObjetoEstranho"},
        Planted{"uniqueIndexDropped", [](const QString& p) { runSql(p, "DROP INDEX zel_uq_idxCotacao;"); },
                "ArqObjetoFalta", "ArqObjetoFalta"},
        Planted{"hugeValueInTheFieldList",
                [](const QString& p) {
                    runSql(p,
                           "UPDATE zel_fields SET label = printf('%.*c', 2000000, 'x') WHERE position = 2;");
                },
                "ArqGrande", "ArqGrande"},
        Planted{"hugeValueInARow",
                [](const QString& p) {
                    runSql(
                        p,
                        "UPDATE records SET CDINDICE = printf('%.*c', 2000000, 'x') WHERE CDINDICE = 'EUR';");
                },
                "ArqGrande", "ArqGrande"},
        Planted{
            "codeOneCharacterLong",
            [](const QString& p) { runSql(p, "UPDATE zel_fields SET size = 1 WHERE name = 'CDINDICE';"); },
            "ArqCamposDiferentes", "ArqOutraForma"},
        Planted{"quoteAnInteger",
                [](const QString& p) {
                    QFile::remove(p);
                    writeQuotesFile(p, FieldType::Integer);
                },
                "ArqCamposDiferentes", "ArqOutraForma"},
        Planted{"uniqueIndexOnTheCodeAlone",
                [](const QString& p) {
                    runSql(p, "INSERT INTO zel_indexes VALUES (1, 'idxCodigo', 'CDINDICE', '', 0, 1); "
                              "CREATE UNIQUE INDEX \"zel_uq_idxCodigo\" ON records(\"CDINDICE\");");
                },
                "ArqIndicesDiferentes", nullptr},
        Planted{"linkToAnotherFile",
                [](const QString& p) {
                    ASSERT_TRUE(QFile::rename(p, sibling(p, "caixa.cds")));
                    symlinkTo(sibling(p, "caixa.cds"), p);
                },
                "ArqLink", "ArqLink"},
        Planted{"danglingLink",
                [](const QString& p) {
                    QFile::remove(p);
                    symlinkTo(sibling(p, "elsewhere.cds"), p);
                },
                "ArqLink", "ArqLink"},
        Planted{"linkedJournal",
                [](const QString& p) {
                    QFile victim(sibling(p, "victim.txt"));
                    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
                    victim.write("another terminal's file\n");
                    victim.close();
                    symlinkTo(victim.fileName(), p + QStringLiteral("-journal"));
                },
                "ArqLink", "ArqLink"},
        Planted{"hardLink",
                [](const QString& p) {
                    ASSERT_EQ(::link(QFile::encodeName(p).constData(),
                                     QFile::encodeName(sibling(p, "alias.cds")).constData()),
                              0);
                },
                "ArqVariosNomes", "ArqVariosNomes"},
        Planted{"fifo",
                [](const QString& p) {
                    QFile::remove(p);
                    ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0660), 0);
                },
                "ArqNaoComum", "ArqNaoComum"},
        Planted{"walMode", [](const QString& p) { runSql(p, "PRAGMA journal_mode = WAL;"); }, "ArqModoWal",
                "ArqModoWal"},
        Planted{"damagedPage",
                [](const QString& p) {
                    const int root =
                        queryText(p, "SELECT rootpage FROM sqlite_schema WHERE name = 'zel_uq_idxCotacao'")
                            .toInt();
                    const int pageSize = queryText(p, "PRAGMA page_size").toInt();
                    ASSERT_GT(root, 1);
                    QFile f(p);
                    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                    f.seek(qint64(root - 1) * pageSize);
                    f.write(QByteArray(8, '\x07')); // no b-tree page begins so
                },
                "ArqDanificado", "ArqDanificado"}),
    [](const ::testing::TestParamInfo<Planted>& info) { return std::string(info.param.name); });

// Below the schema check, the connection itself runs nothing a file plants: each probe runs on a
// database opened as a data file is, after the setup ran on an ordinary connection.
struct Probe
{
    const char* name;
    const char* setup;
    QString probe;
    bool timesOut;               // abandoned at the deadline; otherwise refused outright or run harmlessly
    const char* check = nullptr; // on an ordinary connection afterwards, with its expected answer
    const char* answer = nullptr;
};

class UntrustedConnectionTest : public ::testing::TestWithParam<Probe>
{
};

TEST_P(UntrustedConnectionTest, RunsNothingAFilePlants)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.cds"));
    runSql(path, QStringLiteral("CREATE TABLE t(x); CREATE TABLE log(x); ") +
                     QString::fromLatin1(GetParam().setup));
    {
        sqlite::Db db;
        ASSERT_TRUE(db.openUntrusted(path, SQLITE_OPEN_READWRITE, 1000, 200).ok());
        const Status ran = db.exec(GetParam().probe);
        EXPECT_EQ(ran.ok(), GetParam().check != nullptr) << ran.errorMessage().toStdString();
        EXPECT_EQ(db.timedOut(), GetParam().timesOut);
    }
    if (GetParam().check) {
        EXPECT_EQ(queryText(path, QString::fromLatin1(GetParam().check)),
                  QString::fromLatin1(GetParam().answer));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Probes, UntrustedConnectionTest,
    ::testing::Values(
        Probe{"triggerDoesNotFire",
              "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES (1); END;",
              "INSERT INTO t VALUES (1)", false, "SELECT count(*) FROM log", "0"},
        Probe{"viewIsNotRead", "CREATE VIEW v AS SELECT x FROM t;", "SELECT * FROM v", false},
        Probe{"endlessQueryIsAbandoned", "", kEndless + "SELECT count(*) FROM n", true},
        Probe{"oversizedValueIsRefused", "", "INSERT INTO t VALUES (zeroblob(2000000))", false},
        Probe{"schemaIsNotWritable", "",
              "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'x' WHERE name = 't'", false},
        Probe{"noOtherFileIsAttached", "", "ATTACH 'other.cds' AS o", false}),
    [](const ::testing::TestParamInfo<Probe>& info) { return std::string(info.param.name); });

// Every file the module writes, whatever its definitions, passes the checks: a table declared
// with the same definitions loads it, saves a row to it and loads it again.
TEST(HostileDataFiles, EveryFileTheModuleWritesIsAccepted)
{
    QTemporaryDir dir;
    std::mt19937 random(20261208);
    const QString letters = QStringLiteral("AZaz09 _\"'[]()`çÃ€.-");
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int round = 0; round < 80; ++round) {
        QList<FieldDef> fields;
        const int count = 1 + pick(6);
        for (int i = 0; i < count; ++i) {
            QString name = QStringLiteral("F");
            for (int k = pick(5); k > 0; --k)
                name += letters[pick(int(letters.size()))];
            name += QString::number(i);
            const auto type = FieldType(pick(6));
            fields << FieldDef{name, type, type == FieldType::String ? pick(12) : 0};
        }
        QList<IndexDef> indexes;
        for (int i = pick(3); i > 0; --i) {
            IndexDef ix{QStringLiteral("ix\"%1 %2").arg(round).arg(i), {}, {}, pick(2) == 1, pick(2) == 1};
            for (const FieldDef& f : fields) {
                if (pick(2) == 1 || ix.fields.isEmpty())
                    ix.fields << f.name;
            }
            indexes << ix;
        }
        auto declare = [&](DataSet& t) {
            t.close();
            t.setFieldDefs(fields);
            for (const IndexDef& ix : indexes)
                t.addIndex(ix);
        };
        const QString path = dir.filePath(QStringLiteral("round%1.cds").arg(round));
        DataSet made;
        declare(made);
        made.createDataSet();
        ASSERT_TRUE(made.saveToFile(path).ok()) << round;

        DataSet t;
        declare(t);
        const Status loaded = t.loadFromFile(path);
        ASSERT_TRUE(loaded.ok()) << round << ' ' << loaded.errorMessage().toStdString();
        t.append();
        t.post(); // nulls everywhere: no unique key to repeat
        const Status saved = t.saveToFile(path);
        ASSERT_TRUE(saved.ok()) << round << ' ' << saved.errorMessage().toStdString();
        DataSet again;
        declare(again);
        ASSERT_TRUE(again.loadFromFile(path).ok()) << round;
        EXPECT_EQ(again.recordCount(), 1) << round;
        EXPECT_EQ(again.fieldDefs(), fields) << round;
    }
}

} // namespace
