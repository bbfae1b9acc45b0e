#include "PixSimRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace zel::pixsim {

namespace {

const QList<std::pair<QString, ChargeRule::Action>>& actionNames()
{
    static const QList<std::pair<QString, ChargeRule::Action>> names{
        {QStringLiteral("pay"), ChargeRule::Action::Pay},
        {QStringLiteral("never"), ChargeRule::Action::Never},
        {QStringLiteral("expire"), ChargeRule::Action::Expire},
        {QStringLiteral("payOnRemove"), ChargeRule::Action::PayOnRemove},
    };
    return names;
}

// A whole number from 0 to `max`; a number past the range has no whole value to compare.
std::optional<qint64> whole(const QJsonValue& v, double max)
{
    const double d = v.toDouble();
    if (!v.isDouble() || !(d >= 0) || d > max || d != std::floor(d))
        return std::nullopt;
    return qint64(d);
}

constexpr double kMaxMs = 600000;

Result<ChargeRule> ruleFromJson(const QJsonObject& json, const QString& where, bool matching)
{
    ChargeRule rule;
    auto bad = [&](const QString& key, const QString& what) {
        return Error{QStringLiteral("%1: \"%2\" %3.").arg(where, key, what)};
    };
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString key = it.key();
        const QJsonValue v = it.value();
        if (matching && (key == QLatin1String("amount") || key == QLatin1String("amountFrom") ||
                         key == QLatin1String("amountTo"))) {
            const auto value = whole(v, 999999999999.0);
            if (!value)
                return bad(key, QStringLiteral("must be whole cents (1250 for 12.50)"));
            (key == QLatin1String("amount")       ? rule.amount
             : key == QLatin1String("amountFrom") ? rule.amountFrom
                                                  : rule.amountTo) = value;
        } else if (key == QLatin1String("action")) {
            bool known = false;
            for (const auto& [name, action] : actionNames()) {
                if (v.toString() == name) {
                    rule.action = action;
                    known = true;
                }
            }
            if (!known)
                return bad(key, QStringLiteral("must be pay, never, expire or payOnRemove"));
        } else if (key == QLatin1String("afterMs") || key == QLatin1String("delayMs")) {
            const auto value = whole(v, kMaxMs);
            if (!value)
                return bad(key, QStringLiteral("must be milliseconds from 0 to 600000"));
            (key == QLatin1String("afterMs") ? rule.afterMs : rule.delayMs) = int(*value);
        } else if (key == QLatin1String("failRequests")) {
            const auto value = whole(v, 1000);
            if (!value)
                return bad(key, QStringLiteral("must be a number of requests from 0 to 1000"));
            rule.failRequests = int(*value);
        } else {
            return bad(key, QStringLiteral("is not a known setting"));
        }
    }
    return rule;
}

} // namespace

bool ChargeRule::matches(qint64 cents) const
{
    return (!amount || *amount == cents) && (!amountFrom || cents >= *amountFrom) &&
           (!amountTo || cents <= *amountTo);
}

const ChargeRule& PixSimRules::find(qint64 cents) const
{
    for (const ChargeRule& rule : rules) {
        if (rule.matches(cents))
            return rule;
    }
    return fallback;
}

QString chargeActionName(ChargeRule::Action action)
{
    for (const auto& [name, a] : actionNames()) {
        if (a == action)
            return name;
    }
    return {};
}

Result<PixSimRules> PixSimRules::fromJson(const QJsonObject& json)
{
    PixSimRules rules;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString key = it.key();
        const QJsonValue v = it.value();
        if (key == QLatin1String("default")) {
            if (!v.isObject())
                return Error{QStringLiteral("\"default\" must be an object.")};
            auto rule = ruleFromJson(v.toObject(), QStringLiteral("default"), false);
            if (!rule)
                return rule.error();
            rules.fallback = rule.value();
        } else if (key == QLatin1String("rules")) {
            const QJsonArray list = v.toArray();
            if (!v.isArray())
                return Error{QStringLiteral("\"rules\" must be a list of objects.")};
            for (int i = 0; i < list.size(); ++i) {
                if (!list.at(i).isObject())
                    return Error{QStringLiteral("\"rules\" must be a list of objects.")};
                auto rule = ruleFromJson(list.at(i).toObject(), QStringLiteral("rule %1").arg(i + 1), true);
                if (!rule)
                    return rule.error();
                rules.rules << rule.value();
            }
        } else if (key == QLatin1String("delayMs") || key == QLatin1String("downAfter") ||
                   key == QLatin1String("downForMs") || key == QLatin1String("tokenSeconds") ||
                   key == QLatin1String("revokeTokensAt")) {
            const auto value = whole(v, kMaxMs);
            if (!value || (key == QLatin1String("tokenSeconds") && *value == 0))
                return Error{QStringLiteral("\"%1\" must be a whole number from %2 to 600000.")
                                 .arg(key)
                                 .arg(key == QLatin1String("tokenSeconds") ? 1 : 0)};
            (key == QLatin1String("delayMs")        ? rules.delayMs
             : key == QLatin1String("downAfter")    ? rules.downAfter
             : key == QLatin1String("downForMs")    ? rules.downForMs
             : key == QLatin1String("tokenSeconds") ? rules.tokenSeconds
                                                    : rules.revokeTokensAt) = int(*value);
        } else if (key == QLatin1String("refuseToken")) {
            if (!v.isBool())
                return Error{QStringLiteral("\"refuseToken\" must be true or false.")};
            rules.refuseToken = v.toBool();
        } else if (key == QLatin1String("down")) {
            if (v.toString() != QLatin1String("silent") && v.toString() != QLatin1String("close"))
                return Error{QStringLiteral("\"down\" must be \"silent\" or \"close\".")};
            rules.downCloses = v.toString() == QLatin1String("close");
        } else {
            return Error{QStringLiteral("\"%1\" is not a known setting.").arg(key)};
        }
    }
    return rules;
}

Result<PixSimRules> PixSimRules::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("Cannot read the rules %1: %2.").arg(path, file.errorString())};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Error{
            QStringLiteral("The rules %1 are not a JSON object: %2.").arg(path, error.errorString())};
    auto rules = fromJson(document.object());
    if (!rules)
        return Error{path + QStringLiteral(": ") + rules.errorMessage()};
    return rules;
}

} // namespace zel::pixsim
