#include "TefExchange.h"

#include "IntPosCodec.h"
#include "TefFolder.h"
#include "TefMessages.h"
#include "TefWaitScreen.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "text/ErrorLog.h"
#include "text/Money.h"
#include "text/SharedFiles.h"
#include "toolkit/Waits.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocale>
#include <QSet>
#include <QTimer>
#include <functional>
#include <optional>
#include <utility>

namespace zel {

namespace {

// A response still being written is looked at again after these delays, doubling, unless a
// change to the file comes first.
constexpr int kFirstRetryMs = 10;
constexpr int kLastRetryMs = 500;
// The wait's safety timer, for file systems that send no notification.
constexpr int kSafetyMs = 1000;
// A temporary request file this old was left by a run that ended while writing it.
constexpr std::chrono::seconds kLeftoverAge{60};
// How long the wait's own error notices stay up.
constexpr int kNoticeSeconds = 10;

std::chrono::milliseconds g_stallPeriod{10000};

QString withSlash(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// Something is at `path`, a dangling link included.
bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void notice(Dialogs& dialogs, const QString& text)
{
    reportError(lcTef(), QStringLiteral("TefAviso"), text);
    dialogs.TouchMessage(text, DialogType::Error, DialogButtons::None, 0, kNoticeSeconds, QString());
}

// An exchange that cannot go on: logged and kept for the host, shown to the operator.
void tefError(Dialogs& dialogs, const QString& code, const QString& text)
{
    reportError(lcTef(), code, text);
    dialogs.TouchMessageDlg(text, DialogType::Error, DialogButtons::Ok, 0, 0, QString());
}

// The file-system watch of the TEF waits, kept for the life of the process. Closing a watch
// makes the kernel wait out a grace period (tens of milliseconds on a busy machine), which
// would fall between the response arriving and the payment going on; a watch made anew for
// every wait paid that each time.
QFileSystemWatcher& tefWatcher()
{
    static auto* watcher = new QFileSystemWatcher; // never closed, on purpose
    return *watcher;
}

void watchPath(const QString& path)
{
    QFileSystemWatcher& watcher = tefWatcher();
    if (!watcher.directories().contains(path) && !watcher.files().contains(path) && QFileInfo::exists(path))
        watcher.addPath(path);
}

// Dispatches events until `ready` holds, woken by changes in `dir` and by a slow timer that
// also brings the watch back when the folder was made again.
void waitWatching(const QString& dir, const std::function<bool()>& ready)
{
    watchPath(dir);
    QTimer safety;
    QObject::connect(&safety, &QTimer::timeout, &safety, [&dir] { watchPath(dir); });
    safety.start(kSafetyMs);
    // The manager may already have charged the card: the answer is read even when the form
    // is closed meanwhile.
    waitWhile([&ready] { return !ready(); }, QStringLiteral("the TEF manager's response"),
              WaitEnd::OnCondition);
}

// Looks at the response file on behalf of the wait, which calls look() after every event.
// The folder watch of the wait announces a file that appears; a file that is there but not
// settled yet is watched itself and looked at again after a growing delay (or a change), so
// a slow writer is neither taken at its word too early nor polled in a tight loop.
class ResponseProbe
{
public:
    // `owner`: the account whose files may answer (nothing: none may).
    ResponseProbe(Dialogs& dialogs, QString path, std::optional<uid_t> owner)
        : m_dialogs(dialogs), m_path(std::move(path)), m_owner(owner)
    {
        m_retry.setSingleShot(true);
        QObject::connect(&m_retry, &QTimer::timeout, &m_retry, [this] { m_due = true; });
        QObject::connect(&tefWatcher(), &QFileSystemWatcher::fileChanged, &m_retry,
                         [this](const QString& path) {
                             if (path == m_path)
                                 m_due = true;
                         });
    }

    // True when there is something to judge (current(), refused()); false while nothing is due
    // or the file is absent. The file is opened without following a link and without waiting
    // (a FIFO there does not hold the till), and only a regular file is read, up to the size
    // limit. A file that cannot be read is named once and looked at again after a delay.
    bool look()
    {
        if (!m_due)
            return false;
        const sharedfiles::ReadFile file = sharedfiles::readRegular(m_path, kMaxIntPosResponseBytes);
        using Kind = sharedfiles::ReadFile::Kind;
        if (file.kind == Kind::Absent) {
            // The manager renames its response into place: the folder's watch announces it.
            forget();
            return false;
        }
        if (file.kind == Kind::Unreadable) {
            // There, but closed to us for now (permissions): say so once.
            if (!m_unreadableShown) {
                m_unreadableShown = true;
                notice(m_dialogs, tefText("TefRespostaIlegivel").arg(m_path, file.error));
            }
            blocked();
            if (blockedMs() < tefStallPeriod().count()) {
                retryLater();
                return false;
            }
            return true;
        }
        QByteArray bytes = file.bytes;
        std::optional<QString> refusal;
        if (file.kind == Kind::NotRegular)
            refusal = tefText("TefNaoArquivoComum");
        else if (file.kind == Kind::TooLarge)
            refusal = tefText("TefArquivoGrande").arg(kMaxIntPosResponseBytes / 1024);
        else if (!m_owner || file.owner != *m_owner)
            refusal = tefText("TefDonoEstranho").arg(QString::number(file.owner), tefManagerOwnerText());
        if (refusal)
            bytes = refusal->toUtf8(); // compared below like contents: a change is a new file
        if (!m_bytes || *m_bytes != bytes || m_refused != refusal.has_value()) {
            m_bytes = bytes;
            m_refused = refusal.has_value();
            m_looks = 0;
            m_unchanged.start();
            m_current.emplace(refusal ? Result<IntPosResponse>(Error{*refusal})
                                      : IntPosResponse::parse(bytes));
        }
        ++m_looks;
        return true;
    }

    const Result<IntPosResponse>& current() const { return *m_current; }
    qsizetype size() const { return m_bytes ? m_bytes->size() : 0; }
    // Not the manager's response whatever it holds: not a regular file, too large, or another
    // account's. current() says why.
    bool refused() const { return m_refused; }
    // How long the file at the name has neither been readable nor could be set aside.
    void blocked()
    {
        if (!m_blocked.isValid())
            m_blocked.start();
    }
    qint64 blockedMs() const { return m_blocked.isValid() ? m_blocked.elapsed() : 0; }
    // How many looks found these bytes, and for how long they have not changed.
    int looks() const { return m_looks; }
    qint64 unchangedMs() const { return m_unchanged.elapsed(); }

    // Look again only after the next delay (or a change of the file).
    void retryLater()
    {
        m_due = false;
        m_retry.start(m_delayMs);
        watchPath(m_path);
        m_delayMs = std::min(m_delayMs * 2, kLastRetryMs);
    }

    // The file was dealt with: the next one starts afresh.
    void forget()
    {
        m_due = true;
        m_retry.stop();
        m_delayMs = kFirstRetryMs;
        m_bytes.reset();
        m_current.reset();
        m_refused = false;
        m_blocked.invalidate();
        if (tefWatcher().files().contains(m_path))
            tefWatcher().removePath(m_path);
    }

private:
    Dialogs& m_dialogs;
    QString m_path;
    std::optional<uid_t> m_owner;
    bool m_due = true;
    bool m_refused = false;
    QElapsedTimer m_blocked;
    int m_delayMs = kFirstRetryMs;
    bool m_unreadableShown = false;
    std::optional<QByteArray> m_bytes;
    std::optional<Result<IntPosResponse>> m_current;
    int m_looks = 0;
    QElapsedTimer m_unchanged;
    QTimer m_retry;
};

class Exchange
{
public:
    Exchange(const TefContext& context, QString letter, double amount, QString coupon)
        : m_context(context), m_devices(context.devices), m_letter(std::move(letter)), m_amount(amount),
          m_coupon(std::move(coupon))
    {
    }
    explicit Exchange(const TefContext& context) : m_context(context), m_devices(context.devices), m_amount(0)
    {
    }

    bool run(TefApproval* approval);
    TefUndoResult undo(const TefApproval& approval);

private:
    // What the wait does with the file it looked at.
    enum class Step {
        Wait,     // not settled yet: look again later
        SetAside, // not this exchange's: move it away silently
        Refuse,   // no response at all: move it away with a notice
        Answer,   // this exchange's finished response
        Stalled,  // this exchange's response, unfinished and unchanged for too long
        Blocked,  // something at the response's name that could neither be read nor set aside
        TimedOut, // the wait's own limit passed with no answer (undo requests only)
    };
    struct Answer
    {
        std::optional<IntPosResponse> response; // none: the response stalled or never came
        TefResponseKind kind = TefResponseKind::Failed;
        QString aside; // where a stalled response went
        bool timedOut = false;
        bool blocked = false; // no response could be read: Step::Blocked
    };
    // Writes the request whole (a temporary file renamed into place); false, with the error
    // shown, when it cannot be written.
    bool writeRequest(const QByteArray& request);
    Step judge(const ResponseProbe& probe) const;
    // The manager has this request: it removed the request file, or its status file names
    // this sequence.
    bool taken() const;
    // Waits for this exchange's response (or its failure), moving every file that arrives
    // aside: the answers of other exchanges silently, files that are no response with a
    // notice, while the wait goes on.
    Answer awaitAnswer();
    // Moves the response file to a free name; an empty text when it could not.
    QString setAside();
    void noticeOnce(const QString& text);
    void deleteFiles() { m_devices.DeleteIntPosFiles(m_respDir, m_sequence); }

    const TefContext& m_context;
    Peripherals& m_devices;
    QString m_letter;
    double m_amount;
    QString m_coupon;
    QString m_header;
    QString m_sequence;
    QString m_requestPath;
    QString m_respDir; // ends with "/"
    QString m_responsePath;
    std::optional<uid_t> m_owner;             // whose files are the manager's (tefManagerOwner)
    QSet<QString> m_shown;                    // notices already given in this exchange
    std::optional<QDeadlineTimer> m_deadline; // an undo waits this long at most
};

// An undo's own failure: logged and kept for the host; the caller tells the operator.
TefUndoResult undoFailure(TefUndo outcome, const QString& code, const QString& text)
{
    reportError(lcTef(), code, text);
    return {outcome, text};
}

bool Exchange::writeRequest(const QByteArray& request)
{
    // Written to a new file of its own and renamed into place: the manager never reads half a
    // request, and a link planted at the name is replaced, not written through. The temporary
    // files of a run that ended half-way through such a write go first.
    sharedfiles::removeLeftovers(m_requestPath, kLeftoverAge);
    if (const QString error = sharedfiles::writeWhole(m_requestPath, request); !error.isEmpty()) {
        tefError(m_context.dialogs, QStringLiteral("TefRequisicaoNaoGravada"),
                 tefText("TefRequisicaoNaoGravada").arg(m_requestPath, error));
        return false;
    }
    return true;
}

bool Exchange::run(TefApproval* approval)
{
    // Rounding to cents keeps a NaN out as well.
    if (!(RoundDec(m_amount, 2) > 0.0 && m_amount < 1e13)) {
        tefError(m_context.dialogs, QStringLiteral("TefValorInvalido"),
                 tefText("TefValorInvalido").arg(m_amount));
        return false;
    }
    if (!m_devices.CheckIntPosFiles() || !m_devices.CheckDirTef(m_letter))
        return false;
    // Anyone could answer in a folder open to all: no card goes through it.
    if (const QString problem = tefFolderProblem(withSlash(m_devices.DirTef())); !problem.isEmpty()) {
        tefError(m_context.dialogs, QStringLiteral("TefPastaAberta"), problem);
        return false;
    }
    m_owner = tefManagerOwner();
    // A manager that does not answer its activity check is named, so the card is not taken
    // for refused.
    if (!m_devices.CheckGPAtivo()) {
        tefError(m_context.dialogs, QStringLiteral("TefInativo"), tefText("TefInativo"));
        return false;
    }

    const QString amountCents = centsText(m_amount);
    m_header = tefHeader(m_letter);
    m_sequence = m_devices.GetSequence();
    // No sequence means the counter could not be kept: a request without one could be approved
    // and never matched to its answer.
    if (m_sequence.trimmed().isEmpty()) {
        tefError(m_context.dialogs, QStringLiteral("TefSemSequencia"), tefText("TefSemSequencia"));
        return false;
    }
    const QString dir = withSlash(m_devices.DirTef());
    m_requestPath = dir + QStringLiteral("req/intpos.001");
    m_respDir = dir + QStringLiteral("resp/");
    m_responsePath = m_respDir + QStringLiteral("intpos.001");

    const auto request = encodeIntPosRequest(m_header, m_sequence, m_coupon, amountCents);
    if (!request) {
        tefError(m_context.dialogs, request.errorCode(), request.errorMessage());
        return false;
    }
    // A response already there answers an earlier request: out of the way before the manager
    // sees this one.
    if (present(m_responsePath))
        setAside();
    std::optional<Answer> answer;
    {
        const TefWaitScreen screen(m_context.waitLabel, tefText("TefAguardando"));
        if (!writeRequest(*request))
            return false;
        if (!m_devices.CheckGPAtivo(m_header, m_sequence))
            return false;
        answer = awaitAnswer();
    }
    if (!answer->response && answer->blocked) {
        deleteFiles();
        tefError(m_context.dialogs, QStringLiteral("TefRespostaBloqueada"),
                 tefText("TefRespostaBloqueada")
                     .arg(m_responsePath)
                     .arg(moneyLocale().toString(std::chrono::duration<double>(tefStallPeriod()).count())));
        return false;
    }
    if (!answer->response) {
        // Never confirmed, never recorded: the manager undoes what it may have approved.
        deleteFiles();
        tefError(m_context.dialogs, QStringLiteral("TefRespostaIncompleta"),
                 tefText("TefRespostaIncompleta")
                     .arg(moneyLocale().toString(std::chrono::duration<double>(tefStallPeriod()).count()))
                     .arg(answer->aside.isEmpty() ? m_responsePath : answer->aside));
        return false;
    }
    const TefVerdict verdict = decideTefResponse(*answer->response, answer->kind);
    qCInfo(lcTef).noquote() << m_header << m_sequence << (verdict.approved ? "approved" : "not approved")
                            << verdict.message;
    if (verdict.show == TefVerdict::Show::Dialog)
        m_context.dialogs.TouchMessageDlg(verdict.message, DialogType::Information, DialogButtons::Ok, 0, 0,
                                          QString());
    else if (verdict.show == TefVerdict::Show::Notice)
        m_context.dialogs.TouchMessage(verdict.message, DialogType::Information, DialogButtons::None, 0, 5,
                                       QString());
    if (verdict.keepFiles)
        m_devices.setInContCuponsTEF(m_devices.inContCuponsTEF() + 1);
    else
        deleteFiles();
    if (verdict.approved && approval)
        *approval = TefApproval{m_sequence, answer->response->value(QStringLiteral("012-000")), amountCents,
                                verdict.keepFiles};
    return verdict.approved;
}

TefUndoResult Exchange::undo(const TefApproval& approval)
{
    const QString amount = formatCurrency(approval.amountCents.toLongLong() / 100.0);
    if (!m_devices.CheckIntPosFiles())
        return undoFailure(TefUndo::NoAnswer, QStringLiteral("TefDesfazerInativo"),
                           tefText("TefDesfazerInativo").arg(amount));
    if (const QString problem = tefFolderProblem(withSlash(m_devices.DirTef())); !problem.isEmpty())
        return undoFailure(TefUndo::NoAnswer, QStringLiteral("TefPastaAberta"), problem);
    m_owner = tefManagerOwner();
    if (!m_devices.CheckGPAtivo())
        return undoFailure(TefUndo::NoAnswer, QStringLiteral("TefDesfazerInativo"),
                           tefText("TefDesfazerInativo").arg(amount));
    m_header = tefUndoHeader(approval);
    m_sequence = m_devices.GetSequence();
    if (m_sequence.trimmed().isEmpty())
        return undoFailure(TefUndo::NoAnswer, QStringLiteral("TefSemSequencia"), tefText("TefSemSequencia"));
    const QString dir = withSlash(m_devices.DirTef());
    m_requestPath = dir + QStringLiteral("req/intpos.001");
    m_respDir = dir + QStringLiteral("resp/");
    m_responsePath = m_respDir + QStringLiteral("intpos.001");
    const auto request = encodeTefUndoRequest(approval, m_sequence);
    if (!request)
        return undoFailure(TefUndo::Refused, request.errorCode(), request.errorMessage());
    if (present(m_responsePath))
        setAside();

    std::optional<Answer> answer;
    {
        const TefWaitScreen screen(m_context.waitLabel, tefText("TefDesfazendo").arg(amount));
        if (!writeRequest(*request))
            return {TefUndo::NoAnswer, tefText("TefDesfazerInativo").arg(amount)};
        m_deadline.emplace(std::chrono::milliseconds(tefUndoWait()));
        if (m_devices.CheckGPAtivo(m_header, m_sequence))
            answer = awaitAnswer();
    }
    if (!answer || !answer->response) {
        // A request the manager never took is taken back, so that it cannot act on it later,
        // behind the operator's back; one it took may still be carried out.
        const bool retirada = !taken() && QFile::remove(m_requestPath);
        deleteFiles();
        return undoFailure(
            TefUndo::NoAnswer, QStringLiteral("TefDesfazerSemResposta"),
            tefText(retirada ? "TefDesfazerSemResposta" : "TefDesfazerIncerto")
                .arg(amount)
                .arg(moneyLocale().toString(std::chrono::duration<double>(tefUndoWait()).count())));
    }
    const QString message = answer->response->value(QStringLiteral("030-000"));
    deleteFiles();
    if (!tefUndoDone(*answer->response, answer->kind))
        return undoFailure(TefUndo::Refused, QStringLiteral("TefDesfazerRecusado"),
                           tefText("TefDesfazerRecusado").arg(amount, message));
    // The approval's own files (its slip) are not printed any more.
    m_devices.DeleteIntPosFiles(m_respDir, approval.sequence);
    qCInfo(lcTef).noquote() << m_header << m_sequence << "undid" << approval.sequence << message;
    return {TefUndo::Undone, message};
}

bool Exchange::taken() const
{
    const QFileInfo request(m_requestPath);
    if (!request.exists() && !request.isSymLink())
        return true;
    // The status file counts as the manager's word only when the manager wrote it.
    const sharedfiles::ReadFile status =
        sharedfiles::readRegular(m_respDir + QStringLiteral("intpos.sts"), kMaxIntPosResponseBytes);
    if (status.kind != sharedfiles::ReadFile::Kind::Regular || !m_owner || status.owner != *m_owner)
        return false;
    const auto parsed = IntPosResponse::parse(status.bytes);
    return parsed && parsed->settledField(QStringLiteral("001-000")) == m_sequence;
}

Exchange::Step Exchange::judge(const ResponseProbe& probe) const
{
    // Something that could neither be read nor moved away for the whole stall period: the
    // exchange ends rather than hold the till (Back and Exit are off while it waits).
    if (probe.blockedMs() >= tefStallPeriod().count())
        return Step::Blocked;
    const Result<IntPosResponse>& current = probe.current();
    if (!current) {
        // Not a regular file, too large or another account's is final. Not text may be a
        // writer that filled the file with zeros first: refused only once two looks apart
        // found the same bytes.
        return probe.refused() || probe.looks() > 1 ? Step::Refuse : Step::Wait;
    }
    // Nothing answers a request the manager has not taken: a response there before is left
    // over, or put there by someone else.
    if (!taken())
        return Step::SetAside;
    const bool stalled = probe.unchangedMs() >= tefStallPeriod().count();
    switch (classifyTefResponse(current.value(), m_header, m_sequence, taken())) {
    case TefResponseKind::Foreign:
        return Step::SetAside;
    case TefResponseKind::Ours:
    case TefResponseKind::Failed:
        if (current->isComplete())
            return Step::Answer;
        return stalled ? Step::Stalled : Step::Wait;
    case TefResponseKind::Unnamed:
        // Stuck before naming any exchange: this one's once the manager has the request,
        // else a left-over.
        if (!stalled)
            return Step::Wait;
        return taken() ? Step::Stalled : Step::SetAside;
    }
    return Step::Wait;
}

Exchange::Answer Exchange::awaitAnswer()
{
    ResponseProbe probe(m_context.dialogs, m_responsePath, m_owner);
    for (;;) {
        Step step = Step::Wait;
        waitWatching(m_respDir.chopped(1), [&] {
            if (m_deadline && m_deadline->hasExpired()) {
                step = Step::TimedOut;
                return true;
            }
            if (!probe.look())
                return false;
            step = judge(probe);
            if (step == Step::Wait)
                probe.retryLater();
            return step != Step::Wait;
        });
        if (step == Step::TimedOut)
            return {std::nullopt, TefResponseKind::Failed, QString(), true};
        const QString aside = setAside();
        if (step == Step::Answer) {
            // This exchange's answer counts even when it could not be moved: it was read whole.
            const IntPosResponse& response = probe.current().value();
            return {response, classifyTefResponse(response, m_header, m_sequence, true), aside};
        }
        if (step == Step::Stalled)
            return {std::nullopt, TefResponseKind::Failed, aside};
        if (step == Step::Blocked)
            return {std::nullopt, TefResponseKind::Failed, aside, false, true};
        if (step == Step::Refuse && !aside.isEmpty())
            noticeOnce(tefText("TefRespostaRecusada").arg(probe.current().errorMessage(), aside));
        // Another exchange's answer stays aside under its new name. One that could not be
        // moved is looked at again later, not over and over.
        if (aside.isEmpty()) {
            probe.blocked();
            probe.retryLater();
        } else {
            probe.forget();
        }
    }
}

QString Exchange::setAside()
{
    const QString target = m_devices.NewIntPosFileName(m_respDir);
    // The name itself is moved, whatever it holds: nothing is opened or copied.
    const QString error = target.isEmpty() ? QString() : sharedfiles::moveAside(m_responsePath, target);
    if (!target.isEmpty() && error.isEmpty())
        return target;
    noticeOnce(tefText("TefRespostaNaoMovida")
                   .arg(m_responsePath, target.isEmpty() ? tefText("TefSemNomeLivre") : target, error));
    return {};
}

void Exchange::noticeOnce(const QString& text)
{
    if (m_shown.contains(text))
        return;
    m_shown.insert(text);
    notice(m_context.dialogs, text);
}

bool g_running = false;

} // namespace

bool tefExchangeRunning()
{
    return g_running;
}

std::chrono::milliseconds tefStallPeriod()
{
    return g_stallPeriod;
}

std::chrono::milliseconds setTefStallPeriod(std::chrono::milliseconds period)
{
    return std::exchange(g_stallPeriod, period);
}

std::chrono::milliseconds g_undoWait{20000};

std::chrono::milliseconds tefUndoWait()
{
    return g_undoWait;
}

std::chrono::milliseconds setTefUndoWait(std::chrono::milliseconds period)
{
    return std::exchange(g_undoWait, period);
}

TefUndoResult DesfazTEF(const TefContext& context, const TefApproval& approval)
{
    if (g_running) {
        tefError(context.dialogs, QStringLiteral("TefEmAndamento"), tefText("TefEmAndamento"));
        return {TefUndo::NoAnswer, tefText("TefEmAndamento")};
    }
    g_running = true;
    struct Done
    {
        ~Done() { g_running = false; }
    } done;
    Exchange exchange(context);
    return exchange.undo(approval);
}

bool ExecutaTEF(const TefContext& context, const QString& letter, double amount, const QString& nrCupom,
                TefApproval* approval)
{
    // The request and response names are fixed: a second exchange would overwrite the first.
    if (g_running) {
        tefError(context.dialogs, QStringLiteral("TefEmAndamento"), tefText("TefEmAndamento"));
        return false;
    }
    g_running = true;
    struct Done
    {
        ~Done() { g_running = false; }
    } done;
    Exchange exchange(context, letter, amount, nrCupom);
    return exchange.run(approval);
}

} // namespace zel
