// The data file reader: the input bytes are written to a file and loaded. Any bytes give a
// dataset or an error value, never a crash, and the file keeps its bytes (a load writes
// nothing); a file that loads saves to a new file and loads back the same.

#include "dataset/DataSet.h"

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString g_dir;

void removeFile(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("TZ", "UTC");
    QByteArray tmpl = QDir::tempPath().toUtf8() + "/zel-fuzz-datafile-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        std::abort();
    g_dir = QString::fromUtf8(tmpl);
    std::atexit([] { QDir(g_dir).removeRecursively(); }); // libFuzzer ends its runs with exit()
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = g_dir + QStringLiteral("/input.cds");
    const QString copy = g_dir + QStringLiteral("/copy.cds");
    removeFile(input);
    removeFile(copy);
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    zel::DataSet ds;
    const zel::Status loaded = ds.loadFromFile(input);
    {
        QFile f(input);
        if (!f.open(QIODevice::ReadOnly) ||
            f.readAll() != QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
            std::abort();
    }
    if (!loaded.ok()) {
        if (loaded.errorMessage().isEmpty())
            std::abort();
        return 0;
    }
    if (!ds.saveToFile(copy, zel::SaveMode::ReplaceRows).ok())
        std::abort();
    zel::DataSet back;
    if (!back.loadFromFile(copy).ok() || !(back.data() == ds.data()) || back.fieldDefs() != ds.fieldDefs())
        std::abort();
    return 0;
}
