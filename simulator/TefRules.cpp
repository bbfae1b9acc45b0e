#include "TefRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace zel {

namespace {

const QList<std::pair<QString, TefRule::Action>>& actionNames()
{
    static const QList<std::pair<QString, TefRule::Action>> names{
        {QStringLiteral("approve"), TefRule::Action::Approve},
        {QStringLiteral("decline"), TefRule::Action::Decline},
        {QStringLiteral("fail"), TefRule::Action::Fail},
        {QStringLiteral("malformed"), TefRule::Action::Malformed},
        {QStringLiteral("silent"), TefRule::Action::Silent},
        {QStringLiteral("notake"), TefRule::Action::NoTake},
    };
    return names;
}

std::optional<qint64> cents(const QJsonValue& v)
{
    // A number past the 64-bit range has no whole value to compare with: it is refused before
    // it is converted.
    const double d = v.toDouble();
    if (!v.isDouble() || !(d >= 0) || d >= 9223372036854775808.0 || d != std::floor(d))
        return std::nullopt;
    return qint64(d);
}

Result<TefRule> ruleFromJson(const QJsonObject& json, const QString& where, bool matching)
{
    TefRule rule;
    auto bad = [&](const QString& key, const QString& what) {
        return Error{QStringLiteral("%1: \"%2\" %3.").arg(where, key, what)};
    };
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString key = it.key();
        const QJsonValue v = it.value();
        if (matching && (key == QLatin1String("amount") || key == QLatin1String("amountFrom") ||
                         key == QLatin1String("amountTo"))) {
            const auto value = cents(v);
            if (!value)
                return bad(key, QStringLiteral("must be whole cents (1250 for 12,50)"));
            (key == QLatin1String("amount")       ? rule.amount
             : key == QLatin1String("amountFrom") ? rule.amountFrom
                                                  : rule.amountTo) = value;
        } else if (matching && key == QLatin1String("header")) {
            if (v.toString() != QLatin1String("CRT") && v.toString() != QLatin1String("CHQ") &&
                v.toString() != QLatin1String("CNC"))
                return bad(key, QStringLiteral("must be \"CRT\", \"CHQ\" or \"CNC\""));
            rule.header = v.toString();
        } else if (key == QLatin1String("action")) {
            bool known = false;
            for (const auto& [name, action] : actionNames()) {
                if (v.toString() == name) {
                    rule.action = action;
                    known = true;
                }
            }
            if (!known)
                return bad(key,
                           QStringLiteral("must be approve, decline, fail, malformed, silent or notake"));
        } else if (key == QLatin1String("status") || key == QLatin1String("message")) {
            if (!v.isString())
                return bad(key, QStringLiteral("must be a text"));
            if (key == QLatin1String("status"))
                rule.status = v.toString();
            else
                rule.message = v.toString();
        } else if (key == QLatin1String("receipt")) {
            if (!v.isArray())
                return bad(key, QStringLiteral("must be a list of texts"));
            QStringList lines;
            for (const QJsonValue line : v.toArray()) {
                if (!line.isString())
                    return bad(key, QStringLiteral("must be a list of texts"));
                lines << line.toString();
            }
            rule.receipt = lines;
        } else if (key == QLatin1String("delayMs") || key == QLatin1String("splitPauseMs")) {
            const auto value = cents(v);
            if (!value || *value > 600000)
                return bad(key, QStringLiteral("must be milliseconds from 0 to 600000"));
            (key == QLatin1String("delayMs") ? rule.delayMs : rule.splitPauseMs) = int(*value);
        } else if (key == QLatin1String("otherSequenceFirst") || key == QLatin1String("split")) {
            if (!v.isBool())
                return bad(key, QStringLiteral("must be true or false"));
            (key == QLatin1String("split") ? rule.split : rule.otherSequenceFirst) = v.toBool();
        } else {
            return bad(key, QStringLiteral("is not a known setting"));
        }
    }
    return rule;
}

} // namespace

bool TefRule::matches(const QString& requestHeader, qint64 value) const
{
    if (header.isEmpty() ? !isTefPaymentHeader(requestHeader) : header != requestHeader)
        return false;
    if (amount && *amount != value)
        return false;
    if (amountFrom && value < *amountFrom)
        return false;
    if (amountTo && value > *amountTo)
        return false;
    return true;
}

QString tefActionName(TefRule::Action action)
{
    for (const auto& [name, a] : actionNames()) {
        if (a == action)
            return name;
    }
    return {};
}

Result<TefRules> TefRules::fromJson(const QJsonObject& json)
{
    TefRules rules;
    for (auto it = json.begin(); it != json.end(); ++it) {
        if (it.key() == QLatin1String("default")) {
            if (!it.value().isObject())
                return Error{QStringLiteral("\"default\" must be an object.")};
            auto rule = ruleFromJson(it.value().toObject(), QStringLiteral("default"), false);
            if (!rule)
                return rule.error();
            rules.m_default = rule.value();
        } else if (it.key() == QLatin1String("rules")) {
            if (!it.value().isArray())
                return Error{QStringLiteral("\"rules\" must be a list of objects.")};
            const QJsonArray list = it.value().toArray();
            for (int i = 0; i < list.size(); ++i) {
                if (!list.at(i).isObject())
                    return Error{QStringLiteral("\"rules\" must be a list of objects.")};
                auto rule = ruleFromJson(list.at(i).toObject(), QStringLiteral("rule %1").arg(i + 1), true);
                if (!rule)
                    return rule.error();
                rules.m_rules << rule.value();
            }
        } else {
            return Error{QStringLiteral("\"%1\" is not a known setting.").arg(it.key())};
        }
    }
    return rules;
}

Result<TefRules> TefRules::load(const QString& path)
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

const TefRule& TefRules::find(const QString& header, qint64 value) const
{
    for (const auto& rule : m_rules) {
        if (rule.matches(header, value))
            return rule;
    }
    // The default is the payments' (a silent or declining manager for a scenario's sales): a
    // cancellation no rule speaks of is carried out.
    static const TefRule carriedOut;
    return isTefPaymentHeader(header) ? m_default : carriedOut;
}

bool isTefPaymentHeader(const QString& header)
{
    return header == QLatin1String("CRT") || header == QLatin1String("CHQ");
}

} // namespace zel
