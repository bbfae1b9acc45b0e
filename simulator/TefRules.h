#pragma once

#include "text/Result.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <optional>

namespace zel {

// How the TEF manager simulator answers one request.
struct TefRule
{
    enum class Action {
        Approve,   // 009-000 = 0
        Decline,   // 009-000 = `status`
        Fail,      // "000-000 = XXX": the request failed
        Malformed, // the right header and sequence, then garbled fields
        Silent,    // takes the request (status file) and never answers
        NoTake,    // leaves the request alone: no status file, no answer
    };

    // What the rule matches; unset parts match anything. Amounts are whole cents, as the
    // request carries them in 003-000.
    std::optional<qint64> amount;
    std::optional<qint64> amountFrom;
    std::optional<qint64> amountTo;
    QString header; // "CRT", "CHQ" or "CNC"; empty: both payment kinds (CRT, CHQ), never CNC

    Action action = Action::Approve;
    QString status = QStringLiteral("5"); // 009-000 of a decline
    std::optional<QString> message;       // 030-000; unset: the action's usual text
    std::optional<QStringList> receipt;   // 029 lines; unset: a card slip when approved
    int delayMs = 0;                      // before the response is written
    bool otherSequenceFirst = false;      // first a response with another sequence
    bool split = false;                   // the response written in two halves
    int splitPauseMs = 500;               // the pause between the halves

    bool matches(const QString& requestHeader, qint64 cents) const;
};

QString tefActionName(TefRule::Action action);
// "CRT" and "CHQ": the requests that ask for a payment.
bool isTefPaymentHeader(const QString& header);

// The rules file: {"default": {...}, "rules": [{...}, ...]}. The first rule that matches a
// request decides; the default answers the rest of the payment requests (approval when the
// file gives none). A cancellation (CNC) is answered only by rules that name its header, and
// carried out when none matches.
class TefRules
{
public:
    static Result<TefRules> fromJson(const QJsonObject& json);
    static Result<TefRules> load(const QString& path);

    const TefRule& find(const QString& header, qint64 cents) const;
    const QList<TefRule>& rules() const { return m_rules; }
    const TefRule& fallback() const { return m_default; }

private:
    QList<TefRule> m_rules;
    TefRule m_default;
};

} // namespace zel
