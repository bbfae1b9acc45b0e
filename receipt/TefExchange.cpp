#include "TefExchange.h"

#include "IntPosCodec.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "text/Money.h"
#include "toolkit/Waits.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QSet>
#include <QTimer>
#include <functional>
#include <optional>

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

QString withSlash(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void notice(const QString& text)
{
    dialogs().TouchMessage(text, DialogType::Error, DialogButtons::None, 0, kNoticeSeconds, QString());
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
    waitWhile([&ready] { return !ready(); }, QStringLiteral("the TEF manager's response"), WaitEnd::OnCondition);
}

// Looks at the response file on behalf of the wait, which calls ready() after every event.
// The folder watch of the wait announces a file that appears; a file that is there but not
// finished is watched itself and looked at again after a growing delay, so a slow writer is
// neither taken at its word too early nor polled in a tight loop.
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

    // True when the file holds something to act on: a finished response, or a file that is no
    // response at all (found() then holds the error).
    bool ready()
    {
        if (!m_due)
            return false;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (!file.exists()) {
                forget();
                return false;
            }
            // There, but closed to us for now (a writer's lock, permissions): say so once.
            if (!m_unreadableShown) {
                m_unreadableShown = true;
                notice(QStringLiteral("A resposta do TEF (%1) não pode ser lida: %2. A espera continua.")
                           .arg(m_path, file.errorString()));
            }
            retryLater();
            return false;
        }
        const QByteArray bytes = file.read(kMaxIntPosResponseBytes + 1);
        auto parsed = IntPosResponse::parse(bytes);
        if (!parsed) {
            // Too large is final. Not text may be a writer that filled the file with zeros
            // first: rejected only once two looks apart found the same bytes.
            if (bytes.size() <= kMaxIntPosResponseBytes && m_suspect != bytes) {
                m_suspect = bytes;
                watch();
                retryLater();
                return false;
            }
        } else if (!parsed->isComplete()) {
            m_suspect.reset();
            watch();
            retryLater();
            return false;
        }
        m_found.emplace(std::move(parsed));
        return true;
    }

    const Result<IntPosResponse>& found() const { return *m_found; }

    // Look again only after the next delay (or a change of the file).
    void retryLater()
    {
        m_due = false;
        m_retry.start(m_delayMs);
        m_delayMs = std::min(m_delayMs * 2, kLastRetryMs);
    }

    // The file was dealt with: the next one starts afresh.
    void forget()
    {
        m_due = true;
        m_retry.stop();
        m_delayMs = kFirstRetryMs;
        m_suspect.reset();
        m_found.reset();
        if (tefWatcher().files().contains(m_path))
            tefWatcher().removePath(m_path);
    }

private:
    void watch() { watchPath(m_path); }

    QString m_path;
    bool m_due = true;
    int m_delayMs = kFirstRetryMs;
    bool m_unreadableShown = false;
    std::optional<QByteArray> m_suspect;
    std::optional<Result<IntPosResponse>> m_found;
    QTimer m_retry;
};

class Exchange
{
public:
    Exchange(Peripherals& devices, QString letter, double amount, QString coupon)
        : m_devices(devices), m_letter(std::move(letter)), m_amount(amount), m_coupon(std::move(coupon))
    {
    }

    bool run();

private:
    struct Answer
    {
        IntPosResponse response;
        TefResponseKind kind;
    };
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
    QString m_respDir; // ends with "/"
    QString m_responsePath;
    QSet<QString> m_shown; // notices already given in this exchange
};

bool Exchange::run()
{
    // Rounding to cents keeps a NaN out as well.
    if (!(RoundDec(m_amount, 2) > 0.0 && m_amount < 1e13)) {
        dialogs().TouchMessageDlg(QStringLiteral("Valor inválido para o TEF: %1.").arg(m_amount),
                                  DialogType::Error, DialogButtons::Ok, 0, 0, QString());
        return false;
    }
    if (!m_devices.CheckIntPosFiles() || !m_devices.CheckDirTef(m_letter) || !m_devices.CheckGPAtivo())
        return false;

    const QString amountCents = centsText(m_amount);
    m_header = tefHeader(m_letter);
    m_sequence = m_devices.GetSequence();
    const QString dir = withSlash(m_devices.DirTef());
    m_respDir = dir + QStringLiteral("resp/");
    m_responsePath = m_respDir + QStringLiteral("intpos.001");

    const auto request = encodeIntPosRequest(m_header, m_sequence, m_coupon, amountCents);
    if (!request) {
        dialogs().TouchMessageDlg(request.errorMessage(), DialogType::Error, DialogButtons::Ok, 0, 0,
                                  QString());
        return false;
    }
    // Written aside and renamed into place: the manager never reads half a request.
    QSaveFile file(dir + QStringLiteral("req/intpos.001"));
    if (!file.open(QIODevice::WriteOnly) || file.write(*request) != request->size() || !file.commit()) {
        dialogs().TouchMessageDlg(QStringLiteral("A requisição TEF não pode ser gravada em %1: %2.")
                                      .arg(file.fileName(), file.errorString()),
                                  DialogType::Error, DialogButtons::Ok, 0, 0, QString());
        return false;
    }
    if (!m_devices.CheckGPAtivo(m_header, m_sequence))
        return false;

    const Answer answer = awaitAnswer();
    const TefVerdict verdict = decideTefResponse(answer.response, answer.kind);
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
    return verdict.approved;
}

Exchange::Answer Exchange::awaitAnswer()
{
    ResponseProbe probe(m_responsePath);
    for (;;) {
        waitWatching(m_respDir.chopped(1), [&probe] { return probe.ready(); });
        const QString aside = setAside();
        const Result<IntPosResponse>& found = probe.found();
        if (found) {
            // This exchange's answer counts even when it could not be moved: it was read whole.
            const TefResponseKind kind = classifyTefResponse(found.value(), m_header, m_sequence);
            if (kind != TefResponseKind::Foreign)
                return {found.value(), kind};
        } else if (!aside.isEmpty()) {
            noticeOnce(
                QStringLiteral("Um arquivo de resposta do TEF foi recusado: %1. Ele foi guardado como %2 "
                               "e a espera pela resposta continua.")
                    .arg(found.errorMessage(), aside));
        }
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
    noticeOnce(QStringLiteral("A resposta do TEF não pode ser movida de %1 para %2: %3.")
                   .arg(m_responsePath, target.isEmpty() ? QStringLiteral("(nenhum nome livre)") : target,
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

bool ExecutaTEF(const QString& letter, double amount, const QString& nrCupom)
{
    // The request and response names are fixed: a second exchange would overwrite the first.
    if (g_running) {
        dialogs().TouchMessageDlg(QStringLiteral("Já há uma transação TEF em andamento."), DialogType::Error,
                                  DialogButtons::Ok, 0, 0, QString());
        return false;
    }
    g_running = true;
    struct Done
    {
        ~Done() { g_running = false; }
    } done;
    Exchange exchange(peripherals(), letter, amount, nrCupom);
    return exchange.run();
}

} // namespace zel
