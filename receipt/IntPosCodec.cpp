#include "IntPosCodec.h"

namespace zel {

namespace {

const QString kFailedHeader = QStringLiteral("000-000 = XXX");
const QString kEndLine = QStringLiteral("999-999 = 0");

QString fieldLine(const char* key, const QString& value)
{
    return QLatin1String(key) + QStringLiteral(" = ") + value;
}

// The reason `value` cannot go into a request line, or an empty text.
QString unsafeValue(const QString& value)
{
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("tem um caractere de controle");
        if (c.unicode() > 0xFF)
            return QStringLiteral("tem o caractere \"%1\", que o arquivo não comporta").arg(c);
    }
    return {};
}

} // namespace

QString tefHeader(const QString& letter)
{
    return letter == QLatin1String("Q") ? QStringLiteral("CHQ") : QStringLiteral("CRT");
}

Result<QByteArray> encodeIntPosRequest(const QString& header, const QString& sequence, const QString& coupon,
                                       const QString& amountCents)
{
    const struct
    {
        const char* key;
        const char* name;
        const QString& value;
    } fields[] = {{"000-000", "a operação", header},
                  {"001-000", "a sequência", sequence},
                  {"002-000", "o número do cupom", coupon},
                  {"003-000", "o valor", amountCents}};
    QByteArray bytes;
    for (const auto& field : fields) {
        if (const QString why = unsafeValue(field.value); !why.isEmpty())
            return Error{QStringLiteral("A requisição TEF não pode ser gravada: %1 \"%2\" %3.")
                             .arg(QLatin1String(field.name), field.value, why)};
        bytes += fieldLine(field.key, field.value).toLatin1() + "\r\n";
    }
    bytes += kEndLine.toLatin1() + "\r\n";
    return bytes;
}

Result<IntPosResponse> IntPosResponse::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaxIntPosResponseBytes)
        return Error{QStringLiteral("o arquivo passa de %1 KiB, o limite de uma resposta")
                         .arg(kMaxIntPosResponseBytes / 1024)};
    if (bytes.contains('\0'))
        return Error{QStringLiteral("o arquivo não é texto")};

    IntPosResponse response;
    const QString text = QString::fromLatin1(bytes);
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        response.m_lines << line;
    }
    // A final line break leaves an empty piece after it.
    if (response.m_lines.last().isEmpty())
        response.m_lines.removeLast();
    return response;
}

std::optional<QString> IntPosResponse::field(const QString& key) const
{
    const QString name = key + QLatin1Char(' ');
    for (const QString& line : m_lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(line).left(eq) == name)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

bool IntPosResponse::isComplete() const
{
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (!m_lines.at(i).isEmpty())
            return m_lines.at(i) == kEndLine;
    }
    return false;
}

TefResponseKind classifyTefResponse(const IntPosResponse& response, const QString& header,
                                    const QString& sequence)
{
    const bool thisSequence = response.line(1) == fieldLine("001-000", sequence);
    if (response.line(0) == kFailedHeader) {
        if (thisSequence || !response.field(QStringLiteral("001-000")))
            return TefResponseKind::Failed;
        return TefResponseKind::Foreign;
    }
    if (response.line(0) == fieldLine("000-000", header) && thisSequence)
        return TefResponseKind::Ours;
    return TefResponseKind::Foreign;
}

TefVerdict decideTefResponse(const IntPosResponse& response, TefResponseKind kind)
{
    TefVerdict verdict;
    if (kind == TefResponseKind::Foreign)
        return verdict;
    verdict.message = response.value(QStringLiteral("030-000"));
    if (kind == TefResponseKind::Failed) {
        verdict.show = verdict.message.isEmpty() ? TefVerdict::Show::Nothing : TefVerdict::Show::Dialog;
        return verdict;
    }
    const QString receiptLines = response.value(QStringLiteral("028-000"));
    const bool hasReceipt = !receiptLines.isEmpty() && receiptLines != QLatin1String("0");
    verdict.approved = response.value(QStringLiteral("009-000")) == QLatin1String("0");
    verdict.keepFiles = verdict.approved && hasReceipt;
    if (!verdict.message.isEmpty())
        verdict.show = hasReceipt ? TefVerdict::Show::Notice : TefVerdict::Show::Dialog;
    return verdict;
}

} // namespace zel
