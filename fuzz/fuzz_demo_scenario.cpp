// The demo's scenario files (and the TEF manager simulator's rules they carry): any bytes give
// a scenario or an error value, never a crash. A scenario it accepts has its sale and payment
// types, its paths made absolute, and settings of the known keys only.

#include "TefRules.h"
#include "demo/RunSettings.h"
#include "demo/Scenario.h"

#include <QDir>
#include <QJsonDocument>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject())
        return 0;
    const QJsonObject json = doc.object();

    // The rules on their own, as the simulator reads its rules file.
    if (const auto rules = zel::TefRules::fromJson(json); rules.ok()) {
        for (const zel::TefRule& rule : rules->rules())
            check(!rule.amount || *rule.amount >= 0);
        (void)rules->find(QStringLiteral("CRT"), 1234);
    } else {
        check(!rules.errorMessage().isEmpty());
    }

    const auto scenario = zel::demo::Scenario::fromJson(json, QStringLiteral("/scenarios"));
    if (!scenario.ok()) {
        check(!scenario.errorMessage().isEmpty());
        return 0;
    }
    const zel::demo::Scenario& s = *scenario;
    check(json.contains(QLatin1String("sale")) && json.contains(QLatin1String("paymentTypes")));
    check(s.picture.isEmpty() || QDir::isAbsolutePath(s.picture));
    check(s.script.isEmpty() || QDir::isAbsolutePath(s.script));
    for (auto it = s.settings.begin(); it != s.settings.end(); ++it)
        check(zel::demo::isRunSettingKey(it.key()) && it.value().isString());
    check(s.runsTefManager == json.contains(QLatin1String("tefManager")));
    return 0;
}
