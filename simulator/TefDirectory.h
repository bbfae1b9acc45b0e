#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class QLockFile;

namespace zel {

struct TefSettings
{
    QString dir;                             // ends with "/"; empty: no TEF
    QString letters = QStringLiteral("CDQ"); // the payment letters this directory serves
    int activityTimeoutMs = 7000;            // the wait for the manager's answer to the activity check
    int takenTimeoutMs = 7000;               // the wait for the manager to take a request
    int sequenceTimeoutMs = 60000;           // the wait while another terminal holds the sequence counter
};

// The client side of the IntPos file exchange over a real directory with req/ and resp/.
// Waits never spin: they watch the directory and run a local event loop that keeps the
// screen painting (user input waits until the call returns), with a slow timer as a safety
// net for file systems that send no notification.
class TefDirectory
{
public:
    // `stateDir` keeps the sequence counter, shared by every instance that uses it.
    TefDirectory(TefSettings settings, QString stateDir);

    const TefSettings& settings() const { return m_settings; }
    QString dir() const { return m_settings.dir; }
    void setDir(const QString& dir); // a final "/" is added when missing
    // How long the activity check and a request wait for the manager.
    void setWaits(int activityTimeoutMs, int takenTimeoutMs)
    {
        m_settings.activityTimeoutMs = activityTimeoutMs;
        m_settings.takenTimeoutMs = takenTimeoutMs;
    }

    QString requestPath() const { return m_settings.dir + QStringLiteral("req/intpos.001"); }
    QString responsePath() const { return m_settings.dir + QStringLiteral("resp/intpos.001"); }
    QString statusPath() const { return m_settings.dir + QStringLiteral("resp/intpos.sts"); }

    // Makes req/ and resp/ when missing and removes what an earlier exchange left that
    // would confuse this one: a request nobody took and a stale status file.
    bool checkFiles();
    bool checkDir(const QString& letter) const;
    // The activity check: writes an "ATV" request and waits for the manager's status file.
    bool checkActive();
    // Waits for the status file that echoes the request's header and sequence. When it
    // does not come, the request is withdrawn so that a late manager does not act on it.
    bool waitTaken(const QString& header, const QString& sequence);

    // A sequence no run has handed out before: a counter in the state directory, taken
    // under a lock so that two instances never get the same one. While another terminal
    // holds the lock it waits, keeping the screen painting, up to `sequenceTimeoutMs`.
    // Empty, with a warning under "zel.devices" that says why, when the lock cannot be had
    // or the counter cannot be saved: a number that was not saved would be handed out again.
    QString nextSequence();
    // The first name "intpos.NNN" (from 002) that no file in `dir` uses.
    QString newFileName(const QString& dir) const;
    // Removes every "intpos.*" file in `dir` whose sequence field is `sequence`.
    bool deleteFiles(const QString& dir, const QString& sequence);

    // The approved exchanges of this instance whose files were kept for their receipt lines
    // to be printed: the newest `maxCount` of them (the current sale's; older ones belong to
    // abandoned sales), printed oldest first.
    struct PendingReceipt
    {
        QString path;
        QString sequence;
        QStringList lines;
    };
    QList<PendingReceipt> pendingReceipts(int maxCount) const;
    // Removes the files of receipts that were printed.
    void discard(const QList<PendingReceipt>& printed);

    // Sends a confirmation ("CNF": the sale with approval `approval` was recorded) or an undo
    // ("NCN": it was not) and waits, as long as for the take, for the manager's answer.
    // Anything but Settled comes with `error` saying why.
    enum class Settlement { Settled, Refused, NoAnswer };
    Settlement settle(const QString& header, const QString& approval, QString* error);

    // Waits until `ready` holds or `timeoutMs` pass, watching `dir`; answers `ready`.
    static bool waitUntil(const QString& dir, int timeoutMs, const std::function<bool()>& ready);

private:
    bool waitStatus(const QString& header, const QString& sequence, int timeoutMs);
    // Takes the sequence counter's lock, waiting while another terminal holds it; false with
    // the reason in `why`.
    bool lockSequence(QLockFile& lock, QString* why);
    bool writeRequest(const QString& header, const QString& sequence);

    TefSettings m_settings;
    QString m_stateDir;
    QSet<QString> m_issued; // sequences handed out by this instance
};

} // namespace zel
