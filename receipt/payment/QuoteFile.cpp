#include "QuoteFile.h"

#include "dataset/DataSet.h"
#include "text/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace zel::quotes {

namespace {

const QString kIndex = QStringLiteral("idxCotacao");
const QString kKey = QStringLiteral("CDINDICE;DTREFIND");

void define(DataSet& table)
{
    table.close();
    table.setFieldDefs({FieldDef{QStringLiteral("CDINDICE"), FieldType::String, 4},
                        FieldDef{QStringLiteral("DTREFIND"), FieldType::Date},
                        FieldDef{QStringLiteral("VRINDICE"), FieldType::Float}});
    for (const IndexDef& index : table.indexDefs()) {
        if (index.name == kIndex)
            return;
    }
    table.addIndex(IndexDef{kIndex, kKey.split(u';'), {}, false, true});
}

// The empty file is written under a name of its own and moved into place only when no file
// stands there, so a file another terminal created meanwhile is never replaced.
Status create(const QString& path)
{
    DataSet empty;
    define(empty);
    empty.createDataSet();
    const QString fresh = path + QStringLiteral(".") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (const Status saved = empty.saveToFile(fresh); !saved)
        return saved;
    if (!QFile::rename(fresh, path)) {
        QFile::remove(fresh);
        if (!QFileInfo::exists(path))
            return Error{QStringLiteral("Não foi possível criar o arquivo de cotações %1.").arg(path)};
    }
    return Status::success();
}

} // namespace

QString filePath(const QString& dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("movindic.cds"));
}

Status open(DataSet& table, const QString& dataDir)
{
    const QString path = filePath(dataDir);
    if (!QFileInfo::exists(path)) {
        if (const Status created = create(path); !created)
            return created;
    }
    define(table);
    table.setFileName(path);
    // The file is checked here without reading its rows; the table opens at the first find or
    // add on the rows of that one key, read through the file's unique index, so a quote costs
    // the same in a file of ten years of quotes as in a new one.
    if (const Status checked = table.loadFromFile(path, {}, {}); !checked)
        return checked;
    table.close();
    return Status::success();
}

namespace {

// The table on the rows of the key. A file that cannot be read now leaves the table empty (and
// false); the save at close then reports it.
bool read(DataSet& table, const QString& cdIndice, const QDate& date)
{
    const bool loaded = table.loadFromFile(table.fileName(), kKey, {cdIndice, date}).ok();
    if (!loaded && !table.active())
        table.createDataSet();
    table.setIndexName(kIndex);
    return loaded;
}

} // namespace

std::optional<double> find(DataSet& table, const QString& cdIndice, const QDate& date)
{
    // The key is read again unless rows changed here wait to be written.
    if (table.changeCount() == 0 && !read(table, cdIndice, date))
        return std::nullopt;
    if (!table.locate(kKey, {cdIndice, date}))
        return std::nullopt;
    return table.fieldByName(QStringLiteral("VRINDICE")).asFloat();
}

void add(DataSet& table, const QString& cdIndice, const QDate& date, double quote)
{
    if (!table.active())
        read(table, cdIndice, date);
    // A stored quote that could not be used is replaced: the index and date are unique. The
    // row is the one read by find (or here): a quote another terminal stored since then makes
    // close fail rather than be overwritten.
    if (table.locate(kKey, {cdIndice, date})) {
        table.edit();
    } else {
        table.append();
        table.fieldByName(QStringLiteral("CDINDICE")).setString(cdIndice);
        table.fieldByName(QStringLiteral("DTREFIND")).setDate(date);
    }
    table.fieldByName(QStringLiteral("VRINDICE")).setFloat(quote);
    table.post();
}

Status close(DataSet& table)
{
    Status saved;
    if (table.active() && table.changeCount() > 0)
        saved = table.saveToFile();
    table.close();
    return saved;
}

} // namespace zel::quotes

namespace zel {

QDate quoteReferenceDate(const QDateTime& dtMovFiscal)
{
    return dtMovFiscal.isValid() && dtMovFiscal.date().isValid() ? dtMovFiscal.date() : today();
}

std::optional<double> SaleQuotes::find(const QString& cdIndice) const
{
    const auto it = m_quotes.constFind(cdIndice);
    if (it == m_quotes.cend())
        return std::nullopt;
    return *it;
}

double SaleQuotes::use(const QString& cdIndice, double quote)
{
    if (const std::optional<double> kept = find(cdIndice))
        return *kept;
    m_quotes.insert(cdIndice, quote);
    return quote;
}

} // namespace zel
