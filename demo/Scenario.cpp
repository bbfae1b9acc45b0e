#include "Scenario.h"

#include "RunSettings.h"
#include "TefRules.h"
#include "dataset/PacketJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QSet>
#include <optional>

namespace zel::demo {

namespace {

QString absolute(const QString& baseDir, const QString& path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QDir(baseDir).absoluteFilePath(path));
}

// Glyph paths of the payment-type configuration, made absolute so the module finds them.
void resolveGlyphs(DataPacket& packet, const QString& baseDir)
{
    const int column = packet.fieldIndex(QStringLiteral("DSIMAGEMBUT"));
    if (column < 0)
        return;
    for (Row& row : packet.rows) {
        QVariant& v = row[column];
        if (!v.isNull() && !v.toString().isEmpty())
            v = absolute(baseDir, v.toString());
    }
}

// A picture the scenario names must be there and be an image: a mistyped name would only
// leave the form without its picture, and the run would look right.
Status checkPicture(const QString& what, const QString& path)
{
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isFile())
        return Error{QStringLiteral("scenario: %1 %2: no such file").arg(what, path)};
    QImageReader reader(path);
    if (!reader.canRead())
        return Error{
            QStringLiteral("scenario: %1 %2: not a picture (%3)").arg(what, path, reader.errorString())};
    return {};
}

Status checkPictures(const Scenario& s)
{
    if (const Status st = checkPicture(QStringLiteral("picture"), s.picture); !st)
        return st;
    const int column = s.paymentTypes.fieldIndex(QStringLiteral("DSIMAGEMBUT"));
    for (int row = 0; column >= 0 && row < s.paymentTypes.rows.size(); ++row) {
        const QVariant& v = s.paymentTypes.rows.at(row).value(column);
        if (const Status st = checkPicture(QStringLiteral("payment type glyph"), v.toString()); !st)
            return st;
    }
    return {};
}

} // namespace

Result<Scenario> Scenario::fromJson(const QJsonObject& json, const QString& baseDir, const Scenario* base)
{
    static const QSet<QString> known = {"name",       "systemType", "saleNumber", "printerModel", "branch",
                                        "picture",    "script",     "sale",       "paymentTypes", "clients",
                                        "consumers",  "taxRates",   "devices",    "chequeMode",   "settings",
                                        "tefManager", "pixProvider"};
    for (auto it = json.begin(); it != json.end(); ++it)
        if (!known.contains(it.key()))
            return Error{QStringLiteral("scenario: unknown member \"%1\"").arg(it.key())};

    Scenario s = base ? *base : Scenario{};
    if (!base)
        s.devicesDir = baseDir;
    const auto text = [&](const char* key, QString& target) -> Status {
        const QJsonValue v = json.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isString())
            return Error{QStringLiteral("scenario: \"%1\" must be a text").arg(QLatin1String(key))};
        target = v.toString();
        return {};
    };
    for (auto [key, target] : {std::pair{"name", &s.name},
                               {"systemType", &s.systemType},
                               {"saleNumber", &s.saleNumber},
                               {"printerModel", &s.printerModel},
                               {"chequeMode", &s.chequeMode},
                               {"branch", &s.branch},
                               {"picture", &s.picture},
                               {"script", &s.script}})
        if (const Status st = text(key, *target); !st)
            return st.error();
    s.picture = absolute(baseDir, s.picture);
    s.script = absolute(baseDir, s.script);

    const auto packet = [&](const char* key, DataPacket& target, bool required) -> Status {
        const QJsonValue v = json.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required && !base)
                return Error{QStringLiteral("scenario: \"%1\" is missing").arg(QLatin1String(key))};
            return {};
        }
        auto p = packetFromJson(v);
        if (!p)
            return Error{QStringLiteral("scenario: \"%1\": %2").arg(QLatin1String(key), p.errorMessage())};
        target = std::move(p).value();
        return {};
    };
    for (auto [key, target, required] : {std::tuple{"sale", &s.sale, true},
                                         {"paymentTypes", &s.paymentTypes, true},
                                         {"clients", &s.clients, false},
                                         {"consumers", &s.consumers, false},
                                         {"taxRates", &s.taxRates, false}})
        if (const Status st = packet(key, *target, required); !st)
            return st.error();
    resolveGlyphs(s.paymentTypes, baseDir);

    const QJsonValue devices = json.value(QLatin1String("devices"));
    if (!devices.isUndefined() && !devices.isObject())
        return Error{QStringLiteral("scenario: \"devices\" must be an object")};
    if (!devices.isUndefined()) {
        s.devices = devices.toObject();
        s.devicesDir = baseDir;
    }

    const QJsonValue settings = json.value(QLatin1String("settings"));
    if (!settings.isUndefined() && !settings.isObject())
        return Error{QStringLiteral("scenario: \"settings\" must be an object")};
    if (!settings.isUndefined())
        s.settings = settings.toObject();
    for (auto it = s.settings.begin(); it != s.settings.end(); ++it) {
        if (!isRunSettingKey(it.key()))
            return Error{QStringLiteral("scenario: settings: unknown key \"%1\"").arg(it.key())};
        if (!it.value().isString())
            return Error{QStringLiteral("scenario: settings: \"%1\" must be a text").arg(it.key())};
    }

    const QJsonValue tefManager = json.value(QLatin1String("tefManager"));
    if (!tefManager.isUndefined()) {
        if (!tefManager.isObject())
            return Error{QStringLiteral("scenario: \"tefManager\" must be an object")};
        if (const auto rules = TefRules::fromJson(tefManager.toObject()); !rules)
            return Error{QStringLiteral("scenario: tefManager: %1").arg(rules.errorMessage())};
        s.tefManager = tefManager.toObject();
        s.runsTefManager = true;
    }
    // The provider simulator checks its own rules when it starts, and says what it refused.
    const QJsonValue pixProvider = json.value(QLatin1String("pixProvider"));
    if (!pixProvider.isUndefined()) {
        if (!pixProvider.isObject())
            return Error{QStringLiteral("scenario: \"pixProvider\" must be an object")};
        s.pixProvider = pixProvider.toObject();
        s.runsPixProvider = true;
    }
    return s;
}

namespace {

// Scenarios built on one another: a chain longer than this is taken for a loop.
constexpr int kMaxBases = 8;

Result<Scenario> loadWithBases(const QString& path, int depth)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("scenario %1: %2").arg(path, file.errorString())};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Error{QStringLiteral("scenario %1: not a JSON object (%2 at %3)")
                         .arg(path, error.errorString())
                         .arg(error.offset)};
    QJsonObject json = doc.object();
    const QString folder = QFileInfo(path).absolutePath();
    std::optional<Scenario> base;
    if (json.contains(QLatin1String("base"))) {
        const QJsonValue name = json.take(QLatin1String("base"));
        if (!name.isString() || name.toString().isEmpty())
            return Error{QStringLiteral("scenario %1: \"base\" must name a scenario file").arg(path)};
        if (depth >= kMaxBases)
            return Error{QStringLiteral("scenario %1: more than %2 bases in a row (do they name each other?)")
                             .arg(path)
                             .arg(kMaxBases)};
        auto loaded = loadWithBases(absolute(folder, name.toString()), depth + 1);
        if (!loaded)
            return Error{QStringLiteral("scenario %1: base: %2").arg(path, loaded.errorMessage())};
        base = std::move(loaded).value();
    }
    return Scenario::fromJson(json, folder, base ? &*base : nullptr);
}

} // namespace

Result<Scenario> Scenario::load(const QString& path)
{
    auto scenario = loadWithBases(path, 0);
    if (!scenario)
        return scenario;
    if (const Status st = checkPictures(*scenario); !st)
        return st.error();
    return scenario;
}

} // namespace zel::demo
