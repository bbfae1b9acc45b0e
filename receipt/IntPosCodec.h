#pragma once

#include "text/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zel {

// The IntPos files of the TEF exchange: text, one field per line ("001-000 = 42"), CR LF
// between lines, Latin-1. No widget and no file here: the exchange reads and writes the
// files, this turns them into values and decides what a response means.

// A response file larger than this is not a TEF response: it is set aside unread.
inline constexpr qsizetype kMaxIntPosResponseBytes = 256 * 1024;

// The request's operation: "CHQ" for a cheque consultation (letter "Q"), "CRT" for the cards.
QString tefHeader(const QString& letter);

// The five request lines: operation, sequence, coupon number, amount in whole cents, end.
// An error when a value holds a line break or another control character, or a character
// Latin-1 cannot carry: such a value would change the lines the manager reads.
Result<QByteArray> encodeIntPosRequest(const QString& header, const QString& sequence, const QString& coupon,
                                       const QString& amountCents);

class IntPosResponse
{
public:
    // An error for a file over kMaxIntPosResponseBytes, and for one that is not text (it
    // holds a NUL byte). Anything else parses, however garbled its lines.
    static Result<IntPosResponse> parse(const QByteArray& bytes);

    const QStringList& lines() const { return m_lines; }
    // The line at `index` from 0; empty beyond the last one.
    QString line(int index) const { return m_lines.value(index); }
    // The value, trimmed, of the first line whose text before its first "=" is `key` and
    // one blank; nothing when no line has the key.
    std::optional<QString> field(const QString& key) const;
    QString value(const QString& key) const { return field(key).value_or(QString()); }
    // The writer has finished: the last line (trailing empty lines aside) is "999-999 = 0".
    bool isComplete() const;

private:
    QStringList m_lines;
};

// Whose a response is, from its first two lines.
enum class TefResponseKind {
    Failed,  // "000-000 = XXX" for this exchange: the request could not be carried out
    Ours,    // the header of this request and this exchange's sequence
    Foreign, // another exchange's response, or anything else: set aside, the wait goes on
};
// A failure response counts as this exchange's when its second line names this sequence or
// when it names no exchange at all; one naming another exchange is foreign, because the
// manager may still answer this one.
TefResponseKind classifyTefResponse(const IntPosResponse& response, const QString& header,
                                    const QString& sequence);

// What the exchange does with a response of its own.
struct TefVerdict
{
    enum class Show {
        Nothing,
        Dialog, // the message with OK
        Notice, // the message without buttons, while the receipt lines are printed
    };

    bool approved = false;  // the payment may be recorded
    bool keepFiles = false; // approved with receipt lines: files stay, one more receipt to print
    QString message;        // field 030-000
    Show show = Show::Nothing;
};
TefVerdict decideTefResponse(const IntPosResponse& response, TefResponseKind kind);

} // namespace zel
