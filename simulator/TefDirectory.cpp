#include "TefDirectory.h"

#include "IntPos.h"
#include "devices/ControlText.h"
#include "text/ErrorLog.h"
#include "text/SharedFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace zel {

namespace {

// How long a busy sequence counter is waited for before the wait is logged.
constexpr int kSequenceQuietWaitMs = 1000;
// How much older than the longest wait a lock must be to count as left by a terminal that stopped.
constexpr int kSequenceStaleMarginMs = 60000;

// Who holds a lock, as its lock file says.
QString lockHolder(const QLockFile& lock)
{
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return QStringLiteral("another terminal");
    return QStringLiteral("process %1%2 on %3")
        .arg(pid)
        .arg(application.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(application),
             host.isEmpty() ? QStringLiteral("an unknown machine") : host);
}

QString withSlash(QString dir)
{
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

TefDirectory::TefDirectory(TefSettings settings, QString stateDir)
    : m_settings(std::move(settings)), m_stateDir(std::move(stateDir))
{
    m_settings.dir = withSlash(m_settings.dir);
}

void TefDirectory::setDir(const QString& dir)
{
    m_settings.dir = withSlash(dir);
}

bool TefDirectory::waitUntil(const QString& dir, int timeoutMs, const std::function<bool()>& ready)
{
    if (ready())
        return true;
    QDeadlineTimer deadline(std::max(0, timeoutMs));
    if (QCoreApplication::instance() == nullptr) {
        // No event loop to wait in: sleep in small steps.
        while (!deadline.hasExpired()) {
            QThread::msleep(50);
            if (ready())
                return true;
        }
        return false;
    }
    QEventLoop loop;
    bool done = false;
    auto check = [&] {
        if (ready()) {
            done = true;
            loop.quit();
        } else if (deadline.hasExpired()) {
            loop.quit();
        }
    };
    QFileSystemWatcher watcher;
    if (QFileInfo(dir).isDir())
        watcher.addPath(dir);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    // A change between the first look and the watch would be announced by nothing but the
    // safety timer: look again now that the folder is watched.
    if (ready())
        return true;
    QTimer safety;
    safety.setInterval(100);
    QObject::connect(&safety, &QTimer::timeout, &loop, check);
    safety.start();
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, check);
    timeout.start(std::max(0, timeoutMs));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done;
}

bool TefDirectory::checkFiles()
{
    if (m_settings.dir.isEmpty())
        return false;
    if (QString why; !makeExchangeFolders(m_settings.dir, &why)) {
        qWarning("tef: the exchange folders under %s cannot be used: %s", qPrintable(m_settings.dir),
                 qPrintable(why));
        return false;
    }
    for (const QString& stale : {requestPath(), statusPath()}) {
        if (QFile::exists(stale) && !QFile::remove(stale)) {
            qWarning("tef: cannot remove the leftover %s", qPrintable(stale));
            return false;
        }
    }
    return true;
}

bool TefDirectory::checkDir(const QString& letter) const
{
    if (m_settings.dir.isEmpty() || letter.size() != 1 ||
        !m_settings.letters.contains(letter, Qt::CaseInsensitive))
        return false;
    return QFileInfo(m_settings.dir + QStringLiteral("req")).isDir() &&
           QFileInfo(m_settings.dir + QStringLiteral("resp")).isDir();
}

bool TefDirectory::writeRequest(const QString& header, const QString& sequence)
{
    IntPosFile request;
    request.add(intpos::kHeader, header);
    request.add(intpos::kSequence, sequence);
    request.addEnd();
    return writeFileWhole(requestPath(), request.toBytes());
}

bool TefDirectory::checkActive()
{
    if (m_settings.dir.isEmpty())
        return false;
    const QString sequence = nextSequence();
    if (sequence.isEmpty() || !writeRequest(QStringLiteral("ATV"), sequence))
        return false;
    return waitStatus(QStringLiteral("ATV"), sequence, m_settings.activityTimeoutMs);
}

bool TefDirectory::waitTaken(const QString& header, const QString& sequence)
{
    if (m_settings.dir.isEmpty() || sequence.isEmpty())
        return false;
    return waitStatus(header, sequence, m_settings.takenTimeoutMs);
}

bool TefDirectory::waitStatus(const QString& header, const QString& sequence, int timeoutMs)
{
    const QString status = statusPath();
    const bool taken = waitUntil(m_settings.dir + QStringLiteral("resp"), timeoutMs, [&] {
        const auto file = readIntPosFile(status);
        return file && file->isComplete() && file->header() == header && file->sequence() == sequence;
    });
    if (taken) {
        QFile::remove(status);
        return true;
    }
    // Nobody took it: withdraw the request if it is still ours.
    const auto request = readIntPosFile(requestPath());
    if (request && request->sequence() == sequence)
        QFile::remove(requestPath());
    qWarning("tef: the manager did not take request %s %s", qPrintable(header), qPrintable(sequence));
    return false;
}

bool TefDirectory::lockSequence(QLockFile& lock, QString* why)
{
    // Two terminals taking numbers at once each hold the lock a moment: that short wait is
    // not worth a word.
    const auto ready = [&] { return lock.tryLock(0) || lock.error() != QLockFile::LockFailedError; };
    const int timeoutMs = std::max(0, m_settings.sequenceTimeoutMs);
    QElapsedTimer clock;
    clock.start();
    if (!waitUntil(m_stateDir, std::min(timeoutMs, kSequenceQuietWaitMs), ready) &&
        timeoutMs > kSequenceQuietWaitMs) {
        qCInfo(lcDevices, "tef: the sequence counter is held by %s; waiting up to %g s for it",
               qPrintable(lockHolder(lock)), timeoutMs / 1000.0);
        waitUntil(m_stateDir, int(std::max<qint64>(0, timeoutMs - clock.elapsed())), ready);
    }
    if (lock.error() == QLockFile::NoError)
        return true;
    if (lock.error() == QLockFile::LockFailedError)
        *why = QStringLiteral("the counter was still held by %1 after %2 s, the longest a terminal waits")
                   .arg(lockHolder(lock))
                   .arg(QString::number(clock.elapsed() / 1000.0, 'f', 1));
    else
        *why = QStringLiteral("its lock %1 cannot be made (no permission or no room)").arg(lock.fileName());
    return false;
}

QString TefDirectory::nextSequence()
{
    QDir().mkpath(m_stateDir);
    const QString path = QDir(m_stateDir).filePath(QStringLiteral("tef-sequence"));
    QLockFile lock(path + QStringLiteral(".lock"));
    // A holder on this machine that died is seen at once (its process is gone); one elsewhere
    // that stopped leaves a lock that only its age tells apart from a live holder, so a lock
    // counts as left behind only well after the longest wait.
    lock.setStaleLockTime(std::max(0, m_settings.sequenceTimeoutMs) + kSequenceStaleMarginMs);
    if (QString why; !lockSequence(lock, &why)) {
        // Without the lock another instance may hand out the same number.
        qCWarning(lcDevices, "tef: no TEF sequence handed out from %s: %s", qPrintable(path),
                  qPrintable(why));
        return {};
    }

    qint64 last = 0;
    QFile file(path);
    if (file.exists()) {
        bool ok = false;
        if (file.open(QIODevice::ReadOnly)) {
            last = file.readAll().trimmed().toLongLong(&ok);
            file.close();
        }
        if (!ok || last < 0) {
            // An unreadable counter must not send numbers back to 1: restart above any
            // number a counter of this age could have reached.
            qCWarning(lcDevices, "tef: sequence counter %s is unreadable; restarting from the clock",
                      qPrintable(path));
            last = QDateTime::currentSecsSinceEpoch();
        }
    }
    const qint64 next = last + 1;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(next) + '\n') < 0 || !out.commit()) {
        // A number not saved would be handed out again by the next call.
        qCWarning(lcDevices, "tef: no TEF sequence handed out: cannot save the counter %s: %s",
                  qPrintable(path), qPrintable(out.errorString()));
        return {};
    }
    const QString sequence = QString::number(next);
    m_issued.insert(sequence);
    return sequence;
}

QString TefDirectory::newFileName(const QString& dir) const
{
    const QString base = withSlash(dir);
    for (int n = 2;; ++n) {
        const QString path = base + QStringLiteral("intpos.%1").arg(n, 3, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(path) && !QFileInfo::exists(path + QStringLiteral(".tmp")))
            return path;
    }
}

bool TefDirectory::deleteFiles(const QString& dir, const QString& sequence)
{
    if (sequence.isEmpty())
        return false;
    bool ok = true;
    // Listed without a name filter, which would build a pattern matcher on every call: this
    // runs between the manager's answer and the payment going on.
    QDirIterator entries(dir, QDir::Files);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (!entries.fileName().startsWith(QLatin1String("intpos."), Qt::CaseInsensitive))
            continue;
        const auto file = readIntPosFile(path);
        if (file && file->sequence() == sequence && !QFile::remove(path)) {
            qWarning("tef: cannot remove %s", qPrintable(path));
            ok = false;
        }
    }
    return ok;
}

QList<TefDirectory::PendingReceipt> TefDirectory::pendingReceipts(int maxCount) const
{
    QList<PendingReceipt> receipts;
    if (m_settings.dir.isEmpty() || maxCount <= 0)
        return receipts;
    const QDir folder(m_settings.dir + QStringLiteral("resp"));
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("intpos.*")}, QDir::Files)) {
        const QString suffix = info.fileName().mid(7);
        if (suffix == QLatin1String("001") || suffix == QLatin1String("sts") ||
            suffix.endsWith(QLatin1String(".tmp")))
            continue;
        const auto file = readIntPosFile(info.filePath());
        if (!file || !m_issued.contains(file->sequence()) ||
            file->value(intpos::kStatus) != QLatin1String("0"))
            continue;
        const int count = file->value(intpos::kReceiptCount).toInt();
        if (count <= 0)
            continue;
        PendingReceipt receipt{info.filePath(), file->sequence(), {}};
        for (int n = 1; n <= count; ++n) {
            QString line = file->value(intpos::receiptLineKey(n));
            if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
                line = line.mid(1, line.size() - 2);
            // The slip goes to the printer as text: a control character in it would be a
            // printer command written by whoever wrote the response.
            receipt.lines << printableText(line);
        }
        receipts << receipt;
    }
    // Sequences grow with every exchange: the highest are the newest.
    std::sort(receipts.begin(), receipts.end(), [](const PendingReceipt& a, const PendingReceipt& b) {
        return a.sequence.toLongLong() < b.sequence.toLongLong();
    });
    if (receipts.size() > maxCount)
        receipts = receipts.mid(receipts.size() - maxCount);
    return receipts;
}

TefDirectory::Settlement TefDirectory::settle(const QString& header, const QString& approval, QString* error)
{
    auto fail = [&](const QString& why, Settlement outcome = Settlement::NoAnswer) {
        if (error)
            *error = QStringLiteral("%1 %2: %3").arg(header, approval, why);
        return outcome;
    };
    if (m_settings.dir.isEmpty())
        return fail(QStringLiteral("no TEF directory"));
    const QString sequence = nextSequence();
    if (sequence.isEmpty())
        return fail(QStringLiteral("no sequence"));
    IntPosFile request;
    request.add(intpos::kHeader, header);
    request.add(intpos::kSequence, sequence);
    request.add(intpos::kTarget, approval);
    request.addEnd();
    if (!writeFileWhole(requestPath(), request.toBytes()))
        return fail(QStringLiteral("cannot write the request"));
    if (!waitStatus(header, sequence, m_settings.takenTimeoutMs))
        return fail(QStringLiteral("the manager did not take the request"));

    // The answer, setting aside anything else that stands in its place.
    std::optional<IntPosFile> answer;
    const QString response = responsePath();
    waitUntil(m_settings.dir + QStringLiteral("resp"), m_settings.takenTimeoutMs, [&] {
        const auto file = readIntPosFile(response);
        if (!file || !file->isComplete())
            return false;
        if ((file->header() == header || file->header() == QLatin1String("XXX")) &&
            file->sequence() == sequence) {
            answer = file;
            QFile::remove(response);
            return true;
        }
        sharedfiles::moveAside(response, newFileName(m_settings.dir + QStringLiteral("resp")));
        return false;
    });
    if (!answer)
        return fail(QStringLiteral("the manager did not answer"));
    if (answer->header() != header || answer->value(intpos::kStatus) != QLatin1String("0"))
        return fail(answer->value(intpos::kMessage), Settlement::Refused);
    return Settlement::Settled;
}

void TefDirectory::discard(const QList<PendingReceipt>& printed)
{
    for (const auto& receipt : printed) {
        m_issued.remove(receipt.sequence);
        if (!QFile::remove(receipt.path))
            qWarning("tef: cannot remove the printed exchange %s", qPrintable(receipt.path));
    }
}

} // namespace zel
