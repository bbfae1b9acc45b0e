#pragma once

// Waiting in tests for what another process or a timer does: each wait ends on the event it
// needs. The limits here only stop a test that hangs; a passing test never comes near them,
// however loaded the machine is, so no test fails because the machine was slow.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <functional>

namespace zel::test {

// Long enough that only a hang reaches it.
inline constexpr int kHangLimitMs = 120000;

// True once `condition` holds. Events are dispatched between looks, so timers and watches of the
// test's own thread go on.
inline bool eventually(const std::function<bool()>& condition, int limitMs = kHangLimitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

// True once the process has ended, also when it ended before this call (where
// QProcess::waitForFinished answers false).
inline bool ended(QProcess& process, int limitMs = kHangLimitMs)
{
    if (process.state() == QProcess::NotRunning)
        return true;
    process.waitForFinished(limitMs);
    return process.state() == QProcess::NotRunning;
}

// Reads the process's output (its current read channel, or both when merged) into `log` until
// it holds `text`. False when the process ended without writing it.
inline bool awaitOutput(QProcess& process, QByteArray& log, const QByteArray& text,
                        int limitMs = kHangLimitMs)
{
    QElapsedTimer clock;
    clock.start();
    log += process.readAll();
    while (!log.contains(text)) {
        if (process.state() == QProcess::NotRunning || clock.elapsed() > limitMs) {
            log += process.readAll();
            return log.contains(text);
        }
        process.waitForReadyRead(100);
        log += process.readAll();
    }
    return true;
}

} // namespace zel::test
