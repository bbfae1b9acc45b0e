#include "IntPosCodec.h"

#include "TefMessages.h"

namespace zel {

namespace {

const QString kFailedValue = QStringLiteral("XXX");
const QString kEndLine = QStringLiteral("999-999 = 0");
// DOS text files may end with this mark; what follows it is not part of the text.
constexpr char kEndOfFileMark = '\x1a';

QString fieldLine(const char* key, const QString& value)
{
    return QLatin1String(key) + QStringLiteral(" = ") + value;
}

// The reason `value` cannot go into a request line, or an empty text.
QString unsafeValue(const QString& value)
{
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return tefText("TefCaractereControle");
        if (c.unicode() > 0xFF)
            return tefText("TefCaractereLatin1").arg(c);
    }
    return {};
}

} // namespace

QString tefHeader(const QString& letter)
{
    return letter == QLatin1String("Q") ? QStringLiteral("CHQ") : QStringLiteral("CRT");
}

namespace {

struct RequestField
{
    const char* key;
    const char* nameKey;
    QString value;
};

Result<QByteArray> encodeFields(std::initializer_list<RequestField> fields)
{
    QByteArray bytes;
    for (const auto& field : fields) {
        if (const QString why = unsafeValue(field.value); !why.isEmpty())
            return Error{tefText("TefValorRecusado").arg(tefText(field.nameKey), field.value, why)};
        bytes += fieldLine(field.key, field.value).toLatin1() + "\r\n";
    }
    bytes += kEndLine.toLatin1() + "\r\n";
    return bytes;
}

} // namespace

Result<QByteArray> encodeIntPosRequest(const QString& header, const QString& sequence, const QString& coupon,
                                       const QString& amountCents)
{
    return encodeFields({{"000-000", "TefCampoOperacao", header},
                         {"001-000", "TefCampoSequencia", sequence},
                         {"002-000", "TefCampoCupom", coupon},
                         {"003-000", "TefCampoValor", amountCents}});
}

QString tefUndoHeader(const TefApproval& approval)
{
    return approval.pending ? QStringLiteral("NCN") : QStringLiteral("CNC");
}

Result<QByteArray> encodeTefUndoRequest(const TefApproval& approval, const QString& sequence)
{
    if (approval.pending)
        return encodeFields({{"000-000", "TefCampoOperacao", tefUndoHeader(approval)},
                             {"001-000", "TefCampoSequencia", sequence},
                             {"027-000", "TefCampoSequencia", approval.sequence}});
    return encodeFields({{"000-000", "TefCampoOperacao", tefUndoHeader(approval)},
                         {"001-000", "TefCampoSequencia", sequence},
                         {"003-000", "TefCampoValor", approval.amountCents},
                         {"012-000", "TefCampoNsu", approval.nsu},
                         {"027-000", "TefCampoSequencia", approval.sequence}});
}

Result<IntPosResponse> IntPosResponse::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaxIntPosResponseBytes)
        return Error{tefText("TefArquivoGrande").arg(kMaxIntPosResponseBytes / 1024)};
    if (bytes.contains('\0'))
        return Error{tefText("TefArquivoNaoTexto")};

    IntPosResponse response;
    const qsizetype eof = bytes.indexOf(kEndOfFileMark);
    const QString text = QString::fromLatin1(eof < 0 ? bytes : bytes.left(eof));
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        response.m_lines << line;
    }
    // A final line break leaves an empty piece after it.
    if (response.m_lines.last().isEmpty())
        response.m_lines.removeLast();
    else
        response.m_lastLineOpen = true;
    return response;
}

std::optional<QString> IntPosResponse::field(const QString& key) const
{
    return fieldIn(m_lines.size(), key);
}

std::optional<QString> IntPosResponse::settledField(const QString& key) const
{
    return fieldIn(settledLines(), key);
}

std::optional<QString> IntPosResponse::fieldIn(qsizetype count, const QString& key) const
{
    const QString name = key + QLatin1Char(' ');
    for (qsizetype i = 0; i < count; ++i) {
        const QString& line = m_lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(line).left(eq) == name)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

bool IntPosResponse::isComplete() const
{
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const QString line = m_lines.at(i).trimmed();
        if (!line.isEmpty())
            return line == kEndLine;
    }
    return false;
}

int IntPosResponse::settledLines() const
{
    const auto count = int(m_lines.size());
    return m_lastLineOpen && !isComplete() ? count - 1 : count;
}

TefResponseKind classifyTefResponse(const IntPosResponse& response, const QString& header,
                                    const QString& sequence, bool taken)
{
    // The header is the first line's; one not settled yet is not known.
    std::optional<QString> kind;
    if (response.settledLines() > 0 && response.line(0).startsWith(QLatin1String("000-000 ")))
        kind = response.settledField(QStringLiteral("000-000"));
    const bool failed = kind == kFailedValue;
    const std::optional<QString> named = response.settledField(QStringLiteral("001-000"));
    if (named) {
        if (*named != sequence)
            return TefResponseKind::Foreign;
        if (failed)
            return TefResponseKind::Failed;
        return kind == header ? TefResponseKind::Ours : TefResponseKind::Foreign;
    }
    if (kind && !failed && *kind != header)
        return TefResponseKind::Foreign;
    if (!response.isComplete())
        return TefResponseKind::Unnamed;
    // Finished without a sequence: only a failure may name none, and only once this request
    // was taken is it about this request.
    return failed && taken ? TefResponseKind::Failed : TefResponseKind::Foreign;
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

bool tefUndoDone(const IntPosResponse& response, TefResponseKind kind)
{
    return kind == TefResponseKind::Ours && response.value(QStringLiteral("009-000")) == QLatin1String("0");
}

} // namespace zel
