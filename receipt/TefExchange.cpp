#include "TefExchange.h"

#include "IntPosCodec.h"
#include "TefMessages.h"
#include "TefWaitScreen.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "text/ErrorLog.h"
#include "text/Money.h"
#include "toolkit/Waits.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocale>
#include <QSaveFile>
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
// How long the wait's own error notices stay up.
constexpr int kNoticeSeconds = 10;

std::chrono::milliseconds g_stallPeriod{10000};

QString withSlash(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void notice(const QString& text)
{
    reportError(lcTef(), QStringLiteral("TefAviso"), text);
    dialogs().TouchMessage(text, DialogType::Error, DialogButtons::None, 0, kNoticeSeconds, QString());
}

// An exchange that cannot go on: logged and kept for the host, shown to the operator.
void tefError(const QString& code, const QString& text)
{
    reportError(lcTef(), code, text);
    dialogs().TouchMessageDlg(text, DialogType::Error, DialogButtons::Ok, 0, 0, QString());
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
    explicit ResponseProbe(QString path) : m_path(std::move(path))
    {
        m_retry.setSingleShot(true);
        QObject::connect(&m_retry, &QTimer::timeout, &m_retry, [this] { m_due = true; });
        QObject::connect(&tefWatcher(), &QFileSystemWatcher::fileChanged, &m_retry,
                         [this](const QString& path) {
                             if (path == m_path)
                                 m_due = true;
                         });
    }

    // True when there are bytes to judge (current(), sameFor()); false while nothing is due,
    // the file is absent or it cannot be opened.
    bool look()
    {
        if (!m_due)
            return false;
        QFile file(m_path);
        // The manager renames its response into place, so the file may appear (or go) between
        // a failed open and a look at whether it is there: each failure is judged by one look
        // taken after it. Absent: the folder's watch announces it when it comes. There after
        // all: opened again. Only a file there that still cannot be opened is unreadable.
        bool opened = false;
        for (int attempt = 0; attempt < 2 && !opened; ++attempt) {
            opened = file.open(QIODevice::ReadOnly);
            if (!opened && !file.exists()) {
                forget();
                return false;
            }
        }
        if (!opened) {
            // There, but closed to us for now (a writer's lock, permissions): say so once.
            if (!m_unreadableShown) {
                m_unreadableShown = true;
                notice(tefText("TefRespostaIlegivel").arg(m_path, file.errorString()));
            }
            retryLater();
            return false;
        }
        const QByteArray bytes = file.read(kMaxIntPosResponseBytes + 1);
        if (!m_bytes || *m_bytes != bytes) {
            m_bytes = bytes;
            m_looks = 0;
            m_unchanged.start();
            m_current.emplace(IntPosResponse::parse(bytes));
        }
        ++m_looks;
        return true;
    }

    const Result<IntPosResponse>& current() const { return *m_current; }
    qsizetype size() const { return m_bytes->size(); }
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
        if (tefWatcher().files().contains(m_path))
            tefWatcher().removePath(m_path);
    }

private:
    QString m_path;
    bool m_due = true;
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
    Exchange(Peripherals& devices, QString letter, double amount, QString coupon)
        : m_devices(devices), m_letter(std::move(letter)), m_amount(amount), m_coupon(std::move(coupon))
    {
    }
    explicit Exchange(Peripherals& devices) : m_devices(devices), m_amount(0) {}

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
        TimedOut, // the wait's own limit passed with no answer (undo requests only)
    };
    struct Answer
    {
        std::optional<IntPosResponse> response; // none: the response stalled or never came
        TefResponseKind kind = TefResponseKind::Failed;
        QString aside; // where a stalled response went
        bool timedOut = false;
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

    Peripherals& m_devices;
    QString m_letter;
    double m_amount;
    QString m_coupon;
    QString m_header;
    QString m_sequence;
    QString m_requestPath;
    QString m_respDir; // ends with "/"
    QString m_responsePath;
    QSet<QString> m_shown; // notices already given in this exchange
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
    // Written aside and renamed into place: the manager never reads half a request.
    QSaveFile file(m_requestPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(request) != request.size() || !file.commit()) {
        tefError(QStringLiteral("TefRequisicaoNaoGravada"),
                 tefText("TefRequisicaoNaoGravada").arg(file.fileName(), file.errorString()));
        return false;
    }
    return true;
}

bool Exchange::run(TefApproval* approval)
{
    // Rounding to cents keeps a NaN out as well.
    if (!(RoundDec(m_amount, 2) > 0.0 && m_amount < 1e13)) {
        tefError(QStringLiteral("TefValorInvalido"), tefText("TefValorInvalido").arg(m_amount));
        return false;
    }
    if (!m_devices.CheckIntPosFiles() || !m_devices.CheckDirTef(m_letter))
        return false;
    // A manager that does not answer its activity check is named, so the card is not taken
    // for refused.
    if (!m_devices.CheckGPAtivo()) {
        tefError(QStringLiteral("TefInativo"), tefText("TefInativo"));
        return false;
    }

    const QString amountCents = centsText(m_amount);
    m_header = tefHeader(m_letter);
    m_sequence = m_devices.GetSequence();
    // No sequence means the counter could not be kept: a request without one could be approved
    // and never matched to its answer.
    if (m_sequence.trimmed().isEmpty()) {
        tefError(QStringLiteral("TefSemSequencia"), tefText("TefSemSequencia"));
        return false;
    }
    const QString dir = withSlash(m_devices.DirTef());
    m_requestPath = dir + QStringLiteral("req/intpos.001");
    m_respDir = dir + QStringLiteral("resp/");
    m_responsePath = m_respDir + QStringLiteral("intpos.001");

    const auto request = encodeIntPosRequest(m_header, m_sequence, m_coupon, amountCents);
    if (!request) {
        tefError(request.errorCode(), request.errorMessage());
        return false;
    }
    // A response already there answers an earlier request: out of the way before the manager
    // sees this one.
    if (QFileInfo::exists(m_responsePath))
        setAside();
    std::optional<Answer> answer;
    {
        const TefWaitScreen screen(tefText("TefAguardando"));
        if (!writeRequest(*request))
            return false;
        if (!m_devices.CheckGPAtivo(m_header, m_sequence))
            return false;
        answer = awaitAnswer();
    }
    if (!answer->response) {
        // Never confirmed, never recorded: the manager undoes what it may have approved.
        deleteFiles();
        tefError(QStringLiteral("TefRespostaIncompleta"),
                 tefText("TefRespostaIncompleta")
                     .arg(moneyLocale().toString(std::chrono::duration<double>(tefStallPeriod()).count()))
                     .arg(answer->aside.isEmpty() ? m_responsePath : answer->aside));
        return false;
    }
    const TefVerdict verdict = decideTefResponse(*answer->response, answer->kind);
    qCInfo(lcTef).noquote() << m_header << m_sequence << (verdict.approved ? "approved" : "not approved")
                            << verdict.message;
    if (verdict.show == TefVerdict::Show::Dialog)
        dialogs().TouchMessageDlg(verdict.message, DialogType::Information, DialogButtons::Ok, 0, 0,
                                  QString());
    else if (verdict.show == TefVerdict::Show::Notice)
        dialogs().TouchMessage(verdict.message, DialogType::Information, DialogButtons::None, 0, 5,
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
    if (!m_devices.CheckIntPosFiles() || !m_devices.CheckGPAtivo())
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
    if (QFileInfo::exists(m_responsePath))
        setAside();

    std::optional<Answer> answer;
    {
        const TefWaitScreen screen(tefText("TefDesfazendo").arg(amount));
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
        return undoFailure(TefUndo::NoAnswer, QStringLiteral("TefDesfazerSemResposta"),
                           tefText(retirada ? "TefDesfazerSemResposta" : "TefDesfazerIncerto")
                               .arg(amount)
                               .arg(moneyLocale().toString(
                                   std::chrono::duration<double>(tefUndoWait()).count())));
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
    if (!QFileInfo::exists(m_requestPath))
        return true;
    QFile status(m_respDir + QStringLiteral("intpos.sts"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const auto parsed = IntPosResponse::parse(status.read(kMaxIntPosResponseBytes + 1));
    return parsed && parsed->settledField(QStringLiteral("001-000")) == m_sequence;
}

Exchange::Step Exchange::judge(const ResponseProbe& probe) const
{
    const Result<IntPosResponse>& current = probe.current();
    if (!current) {
        // Too large is final. Not text may be a writer that filled the file with zeros
        // first: refused only once two looks apart found the same bytes.
        return probe.size() > kMaxIntPosResponseBytes || probe.looks() > 1 ? Step::Refuse : Step::Wait;
    }
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
    ResponseProbe probe(m_responsePath);
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
        if (step == Step::Refuse && !aside.isEmpty())
            noticeOnce(tefText("TefRespostaRecusada").arg(probe.current().errorMessage(), aside));
        // Another exchange's answer stays aside under its new name. One that could not be
        // moved is looked at again later, not over and over.
        if (aside.isEmpty())
            probe.retryLater();
        else
            probe.forget();
    }
}

QString Exchange::setAside()
{
    const QString target = m_devices.NewIntPosFileName(m_respDir);
    QFile response(m_responsePath);
    if (!target.isEmpty() && response.rename(target))
        return target;
    noticeOnce(tefText("TefRespostaNaoMovida")
                   .arg(m_responsePath, target.isEmpty() ? tefText("TefSemNomeLivre") : target,
                        response.errorString()));
    return {};
}

void Exchange::noticeOnce(const QString& text)
{
    if (m_shown.contains(text))
        return;
    m_shown.insert(text);
    notice(text);
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

TefUndoResult DesfazTEF(const TefApproval& approval)
{
    if (g_running) {
        tefError(QStringLiteral("TefEmAndamento"), tefText("TefEmAndamento"));
        return {TefUndo::NoAnswer, tefText("TefEmAndamento")};
    }
    g_running = true;
    struct Done
    {
        ~Done() { g_running = false; }
    } done;
    Exchange exchange(peripherals());
    return exchange.undo(approval);
}

bool ExecutaTEF(const QString& letter, double amount, const QString& nrCupom, TefApproval* approval)
{
    // The request and response names are fixed: a second exchange would overwrite the first.
    if (g_running) {
        tefError(QStringLiteral("TefEmAndamento"), tefText("TefEmAndamento"));
        return false;
    }
    g_running = true;
    struct Done
    {
        ~Done() { g_running = false; }
    } done;
    Exchange exchange(peripherals(), letter, amount, nrCupom);
    return exchange.run(approval);
}

} // namespace zel
