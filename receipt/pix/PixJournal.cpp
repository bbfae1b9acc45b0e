#include "PixJournal.h"

#include "PixMessages.h"
#include "text/SharedFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

namespace zel::pix {

namespace {
constexpr qint64 kMaxJournalBytes = 1024 * 1024;

QString stateName(PixJournalEntry::State state)
{
    return state == PixJournalEntry::State::Recorded ? QStringLiteral("registrada")
                                                     : QStringLiteral("aberta");
}
} // namespace

QString pixJournalPath(const QString& dir, const QString& terminal)
{
    QString name;
    for (const QChar c : terminal.isEmpty() ? QSysInfo::machineHostName() : terminal) {
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_')
            name += c;
    }
    if (name.isEmpty())
        name = QStringLiteral("caixa");
    return QDir(dir).filePath(QStringLiteral("recebimento-pix-%1.json").arg(name.left(64)));
}

Result<QList<PixJournalEntry>> readPixJournal(const QString& path)
{
    // The data folder is shared: a link, a FIFO or a huge file there is not read.
    const sharedfiles::ReadFile file = sharedfiles::readRegular(path, kMaxJournalBytes);
    using Kind = sharedfiles::ReadFile::Kind;
    if (file.kind == Kind::Absent)
        return QList<PixJournalEntry>{};
    const auto unreadable = [&path](const QString& why) {
        return pixError("PixDiarioIlegivel", {path, why});
    };
    if (file.kind != Kind::Regular)
        return unreadable(file.kind == Kind::TooLarge
                              ? QStringLiteral("> %1 KiB").arg(kMaxJournalBytes / 1024)
                          : file.kind == Kind::NotRegular ? pixText("PixNaoArquivoComum")
                                                          : file.error);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return unreadable(error.errorString());
    QList<PixJournalEntry> entries;
    for (const QJsonValue& item : doc.object().value(QStringLiteral("cobrancas")).toArray()) {
        const QJsonObject o = item.toObject();
        const QString state = o.value(QStringLiteral("estado")).toString();
        const QJsonValue cents = o.value(QStringLiteral("valor"));
        PixJournalEntry entry{o.value(QStringLiteral("txid")).toString(), cents.toInteger(-1),
                              state == QLatin1String("registrada") ? PixJournalEntry::State::Recorded
                                                                   : PixJournalEntry::State::Open,
                              o.value(QStringLiteral("e2eid")).toString()};
        // An entry that names no charge, or no amount, cannot be settled: the whole file is
        // suspect rather than one charge silently forgotten.
        if (entry.txid.isEmpty() || entry.amountCents < 0 ||
            (state != QLatin1String("aberta") && state != QLatin1String("registrada")))
            return unreadable(pixText("PixDiarioEntrada").arg(entries.size() + 1));
        entries.append(entry);
    }
    return entries;
}

Status writePixJournal(const QString& path, const QList<PixJournalEntry>& entries)
{
    // The temporary files of a write a killed run left half-way are this terminal's own: they go.
    sharedfiles::removeLeftovers(path, std::chrono::seconds(60));
    if (entries.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            return pixError("PixDiarioNaoGravado", {path, QStringLiteral("remove")});
        return {};
    }
    QJsonArray list;
    for (const PixJournalEntry& e : entries)
        list.append(QJsonObject{{QStringLiteral("txid"), e.txid},
                                {QStringLiteral("valor"), e.amountCents},
                                {QStringLiteral("estado"), stateName(e.state)},
                                {QStringLiteral("e2eid"), e.endToEndId}});
    const QString error = sharedfiles::writeWhole(
        path, QJsonDocument(QJsonObject{{QStringLiteral("cobrancas"), list}}).toJson(), 0600);
    if (!error.isEmpty())
        return pixError("PixDiarioNaoGravado", {path, error});
    return {};
}

} // namespace zel::pix
