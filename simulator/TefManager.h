#pragma once

#include "IntPos.h"
#include "TefApprovals.h"
#include "TefRules.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <memory>
#include <optional>

namespace zel {

// The TEF manager of tef-manager-sim. It watches req/ and resp/ of the TEF directory (with
// a slow timer besides, for file systems that send no notification) and for each complete
// request: writes the status file resp/intpos.sts echoing its header and sequence, removes
// the request, and answers in resp/intpos.001 as the rules say, one response at a time (it
// waits until the client has moved the previous one away). The activity check ("ATV") gets
// the status file only. Confirmations ("CNF") and undos ("NCN") settle a pending approval,
// a cancellation ("CNC") takes back a pending or confirmed one; every approval is listed in
// tef-approvals.json as pending, confirmed, undone or cancelled.
//
// A folder removed and made again is watched again. stop() finishes a response half
// written and withdraws the payment and cancellation answers still owed (each becomes a
// failure, written at once), so no request it took is left unanswered; start() removes what
// an earlier run left half written.
class TefManager : public QObject
{
    Q_OBJECT
public:
    // `once`: finish after the first payment request (activity checks do not count).
    TefManager(QString dir, TefRules rules, bool once, QObject* parent = nullptr);

    // Makes req/ and resp/ when missing and starts watching; false with a message when the
    // directory cannot be used.
    bool start(QString* error);
    // Finishes or withdraws what is owed, then emits finished().
    void stop();

    const QList<ManagerApproval>& approvals() const { return m_approvals; }

signals:
    void finished();

private:
    struct Output
    {
        QByteArray bytes;
        qint64 notBefore = 0; // on m_clock
        bool split = false;
        int splitPauseMs = 0;
        QString header, sequence;                // the request it answers; empty for a stray response
        bool withdrawable = false;               // a payment's or a cancellation's: a failure at a stop
        std::optional<ManagerApproval> approval; // listed (or its new state) before the response appears
    };

    // The answer to a payment or cancellation request, without its end line, and what it does
    // to the list of approvals once written.
    struct Reply
    {
        IntPosFile response;
        std::optional<ManagerApproval> approval;
    };

    void scan();
    void keepWatching();
    void clearUnfinished();
    void settle(const IntPosFile& request);
    void recordApproval(const ManagerApproval& approval);
    void drainForStop();
    static Output failure(const QString& header, const QString& sequence, const QString& message);
    void takeRequest();
    void answer(const IntPosFile& request);
    Reply paymentReply(const IntPosFile& request, const TefRule& rule, qint64 cents);
    Reply cancellationReply(const IntPosFile& request, const TefRule& rule, qint64 cents);
    void answerFailure(const QString& header, const QString& sequence, const QString& message);
    // Removes the request and writes the status file that echoes it.
    void take(const QString& header, const QString& sequence);
    void pump();
    void finishSplit();
    void outputDone(const Output& output);

    QString path(const char* relative) const { return m_dir + QLatin1String(relative); }

    QString m_dir;
    TefRules m_rules;
    bool m_once;
    QFileSystemWatcher m_watcher;
    QTimer m_safety;
    QTimer m_wake;  // fires when the first queued output is due
    QTimer m_retry; // looks again at a request still being written
    QTimer m_splitPause;
    QElapsedTimer m_clock;
    QList<Output> m_queue;
    bool m_splitting = false;
    std::unique_ptr<QFile> m_splitFile; // the response being written in two halves
    qint64 m_incompleteSince = -1;
    QSet<QString> m_leftAlone; // sequences of requests a rule told us not to take
    QList<ManagerApproval> m_approvals;
    std::optional<Output> m_silentOwed; // taken by a "silent" rule, answered only at a stop
    bool m_stopping = false;
    qint64 m_stopDeadline = 0;
};

} // namespace zel
