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

// An approval given to this till, as its response named it.
struct TefApproval
{
    QString sequence;     // 001-000 of the request
    QString nsu;          // 012-000 of the response
    QString amountCents;  // 003-000 of the request
    bool pending = false; // it has receipt lines: the manager waits for a confirmation (CNF)
};

// The request that undoes an approval: "NCN" (not confirmed) for a pending approval, "CNC"
// (an administrative cancellation naming its amount and NSU) for one the manager took as
// final. Under the new `sequence`; 027-000 names the approval's.
Result<QByteArray> encodeTefUndoRequest(const TefApproval& approval, const QString& sequence);
QString tefUndoHeader(const TefApproval& approval);

class IntPosResponse
{
public:
    // An error for a file over kMaxIntPosResponseBytes, and for one that is not text (it
    // holds a NUL byte). Anything else parses, however garbled its lines. The text ends at
    // an end-of-file mark (Ctrl-Z), as some writers put one after the last line.
    static Result<IntPosResponse> parse(const QByteArray& bytes);

    const QStringList& lines() const { return m_lines; }
    // The line at `index` from 0; empty beyond the last one.
    QString line(int index) const { return m_lines.value(index); }
    // The value, trimmed, of the first line whose text before its first "=" is `key` and
    // one blank; nothing when no line has the key.
    std::optional<QString> field(const QString& key) const;
    QString value(const QString& key) const { return field(key).value_or(QString()); }
    // The writer has finished: the last line that is not blank is "999-999 = 0", blanks
    // after it allowed.
    bool isComplete() const;
    // The lines a writer has finished: all of them once the response is complete, else those
    // followed by a line break (the last one may still be growing: "001-000 = 1" of "12").
    int settledLines() const;
    // field() over the settled lines only.
    std::optional<QString> settledField(const QString& key) const;

private:
    std::optional<QString> fieldIn(qsizetype count, const QString& key) const;

    QStringList m_lines;
    bool m_lastLineOpen = false; // no line break after the last line
};

// Whose a response is, from the lines it holds so far.
enum class TefResponseKind {
    Failed,  // "000-000 = XXX" for this exchange: the request could not be carried out
    Ours,    // the header of this request and this exchange's sequence
    Foreign, // another exchange's response, or anything else: set aside, the wait goes on
    Unnamed, // unfinished and naming no exchange yet: whose it is cannot be told so far
};
// The sequence is read by name (001-000) from the settled lines, values trimmed. A response
// naming this sequence is this exchange's: a failure (header XXX) or, with this request's
// header, its answer; with another header it is foreign. One naming another sequence is
// foreign. A finished failure naming no sequence is this exchange's only when `taken` (the
// manager has taken this request): before that it can only be left over from an earlier
// exchange. An unfinished file naming no sequence is Unnamed unless its header already shows
// it cannot be this exchange's.
TefResponseKind classifyTefResponse(const IntPosResponse& response, const QString& header,
                                    const QString& sequence, bool taken);

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

// The answer to an undo: true when the manager says the approval is (now or already) undone
// (009-000 "0" under the undo's header); the manager's message comes with it.
bool tefUndoDone(const IntPosResponse& response, TefResponseKind kind);

} // namespace zel
