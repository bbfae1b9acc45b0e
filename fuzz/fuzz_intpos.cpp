// The IntPos codec of the TEF exchange. A response file is whatever the manager (or anything
// else) left in the folder: any bytes give a response or an error value, never a crash, and
// what the exchange decides from it keeps its promises: a response is this exchange's only
// when it names this exchange's sequence (or is a finished failure once the request was
// taken), and only one of this exchange's with this request's header may approve a payment.
// The input also feeds the request encoder: a request it writes reads back as the same fields.

#include "receipt/tef/IntPosCodec.h"

#include <cstdint>
#include <cstdlib>

namespace {

using zel::IntPosResponse;
using zel::TefResponseKind;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkDecision(const IntPosResponse& r, const QString& header, const QString& sequence, bool taken)
{
    const TefResponseKind kind = zel::classifyTefResponse(r, header, sequence, taken);
    const auto named = r.settledField(QStringLiteral("001-000"));
    switch (kind) {
    case TefResponseKind::Ours:
        check(named && *named == sequence);
        check(r.line(0).startsWith(QLatin1String("000-000 ")));
        check(r.settledField(QStringLiteral("000-000")) == header);
        break;
    case TefResponseKind::Failed:
        check(r.settledField(QStringLiteral("000-000")) == QStringLiteral("XXX"));
        check(named ? *named == sequence : taken && r.isComplete());
        break;
    case TefResponseKind::Unnamed:
        check(!named && !r.isComplete());
        break;
    case TefResponseKind::Foreign:
        break;
    }
    // The exchange decides on a finished response of its own only; a foreign one decides nothing.
    if (kind == TefResponseKind::Unnamed || (kind != TefResponseKind::Foreign && !r.isComplete()))
        return;
    const zel::TefVerdict verdict = zel::decideTefResponse(r, kind);
    check(!verdict.approved || kind == TefResponseKind::Ours);
    check(!verdict.keepFiles || verdict.approved);
    check(verdict.show == zel::TefVerdict::Show::Nothing || !verdict.message.isEmpty());
    if (kind == TefResponseKind::Foreign)
        check(verdict.show == zel::TefVerdict::Show::Nothing && verdict.message.isEmpty());
}

void fuzzResponse(const QByteArray& bytes)
{
    const auto parsed = IntPosResponse::parse(bytes);
    const bool refused = bytes.size() > zel::kMaxIntPosResponseBytes || bytes.contains('\0');
    check(parsed.ok() != refused);
    if (!parsed.ok()) {
        check(!parsed.errorMessage().isEmpty());
        return;
    }
    const IntPosResponse& r = *parsed;
    const int settled = r.settledLines();
    check(settled >= 0 && settled <= r.lines().size() && settled >= r.lines().size() - 1);
    for (const QString& line : r.lines())
        check(!line.contains(QLatin1Char('\n')));
    if (r.isComplete())
        check(settled == r.lines().size());

    checkDecision(r, QStringLiteral("CRT"), QStringLiteral("1"), false);
    checkDecision(r, QStringLiteral("CHQ"), QStringLiteral("1"), true);
    // The sequence the response names, so that the paths of a response of our own are reached.
    if (const auto named = r.settledField(QStringLiteral("001-000"))) {
        for (const bool taken : {false, true}) {
            checkDecision(r, QStringLiteral("CRT"), *named, taken);
            checkDecision(r, QStringLiteral("CHQ"), *named, taken);
        }
    }
}

// The request encoder: the input split at NUL bytes into its four values.
void fuzzRequest(const QByteArray& bytes)
{
    QList<QByteArray> parts = bytes.split('\0');
    while (parts.size() < 4)
        parts.append(QByteArray());
    QStringList values;
    for (int i = 0; i < 4; ++i)
        values << QString::fromUtf8(parts.at(i));
    const auto request = zel::encodeIntPosRequest(values[0], values[1], values[2], values[3]);
    if (!request.ok()) {
        check(!request.errorMessage().isEmpty());
        return;
    }
    const auto back = IntPosResponse::parse(*request);
    check(back.ok() && back->isComplete() && back->lines().size() == 5);
    const char* keys[] = {"000-000", "001-000", "002-000", "003-000"};
    for (int i = 0; i < 4; ++i)
        check(back->value(QLatin1String(keys[i])) == values[i].trimmed());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzzResponse(bytes);
    fuzzRequest(bytes);
    return 0;
}
