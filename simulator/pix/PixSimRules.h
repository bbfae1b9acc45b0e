#pragma once

#include "text/Result.h"

#include <QJsonObject>
#include <QList>
#include <optional>

namespace zel::pixsim {

// How the provider simulator treats one charge, chosen by its amount as the TEF manager
// simulator chooses its answer: the first rule whose amount matches, else the default.
struct ChargeRule
{
    enum class Action {
        Pay,         // paid `afterMs` after it is created
        Never,       // nobody pays: ATIVA until its expiry, then REMOVIDA_PELO_PSP
        Expire,      // REMOVIDA_PELO_PSP `afterMs` after it is created
        PayOnRemove, // nobody pays until the till asks to remove it: the payment arrives first,
                     // the removal is refused and the charge shows CONCLUIDA
    };

    std::optional<qint64> amount; // whole cents; what is unset matches anything
    std::optional<qint64> amountFrom;
    std::optional<qint64> amountTo;

    Action action = Action::Pay;
    int afterMs = 200;
    int failRequests = 0; // the first N requests naming this charge answer 500 (a PUT creates nothing)
    int delayMs = 0;      // every answer about this charge waits this long

    bool matches(qint64 cents) const;
};

// The rules file:
//   {"default": {...}, "rules": [{...}, ...],
//    "delayMs": N, "refuseToken": false, "downAfter": N, "downForMs": N, "down": "silent" | "close",
//    "tokenSeconds": N, "revokeTokensAt": N}
// The top-level settings are the provider's as a whole: every answer delayed, the token refused,
// no answer at all once `downAfter` requests have come (the connection left open or closed; for
// `downForMs` only, when given: a provider that comes back, with every charge as it was), the
// tokens given so far dropped when the `revokeTokensAt`-th request to the API comes (as a
// provider does when it rotates its keys), so that request is answered 401.
struct PixSimRules
{
    QList<ChargeRule> rules;
    ChargeRule fallback;
    int delayMs = 0;
    bool refuseToken = false;
    int downAfter = 0; // 0: never down
    int downForMs = 0; // 0: down for good; else back (answering again) this long after it went down
    bool downCloses = false;
    int tokenSeconds = 3600;
    int revokeTokensAt = 0; // 0: never

    const ChargeRule& find(qint64 cents) const;

    static Result<PixSimRules> fromJson(const QJsonObject& json);
    static Result<PixSimRules> load(const QString& path);
};

QString chargeActionName(ChargeRule::Action action);

} // namespace zel::pixsim
