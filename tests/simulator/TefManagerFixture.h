#pragma once

// The TEF manager simulator run as a separate process, and the client side of its exchange.

#include "IntPos.h"
#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"
#include "support/Eventually.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace zel {

inline const char* kRules = R"({
  "default": {"action": "approve", "receipt": []},
  "rules": [
    {"header": "CHQ", "action": "decline", "message": "Cheque sem fundos"},
    {"amount": 1000, "action": "approve"},
    {"amount": 1500, "action": "approve"},
    {"amount": 2000, "action": "decline", "status": "51", "message": "Saldo insuficiente"},
    {"amount": 2100, "action": "decline", "status": "05", "message": "Nao autorizada",
     "receipt": ["COMPROVANTE DE RECUSA", "VALOR 21,00"]},
    {"amount": 3000, "action": "fail", "message": "Falha de comunicacao"},
    {"amount": 4000, "action": "approve", "delayMs": 800, "receipt": []},
    {"amount": 5000, "action": "approve", "otherSequenceFirst": true, "receipt": []},
    {"amount": 6000, "action": "approve", "split": true, "splitPauseMs": 2000, "receipt": []},
    {"amount": 7000, "action": "malformed"},
    {"amountFrom": 8000, "amountTo": 8999, "action": "notake"},
    {"amount": 4100, "action": "approve", "delayMs": 20000},
    {"amount": 6100, "action": "approve", "split": true, "splitPauseMs": 20000},
    {"amount": 9000, "action": "silent"},
    {"header": "CNC", "amount": 1300, "action": "decline", "status": "57", "message": "Cancelamento nao permitido"},
    {"header": "CNC", "amount": 1400, "action": "silent"},
    {"header": "CNC", "amount": 1700, "action": "fail"}
  ]
})";

// What the exchange saw, read the way the module reads it.
struct Outcome
{
    IntPosFile response;
    int setAside = 0;     // responses of another exchange moved aside
    bool sawHalf = false; // the response file was seen before it was complete
    qint64 elapsedMs = 0;
};

class TefManagerProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A manager that is running answers: the waits for it end on its answer, however loaded
        // the machine is. Tests of an answer that never comes shorten them (noAnswerExpected).
        m_config.tef.activityTimeoutMs = test::kHangLimitMs / 4;
        m_config.tef.takenTimeoutMs = test::kHangLimitMs / 4;
        m_devices = std::make_unique<SimulatedPeripherals>(m_config);
        QFile file(rulesPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kRules);
        file.close();
        start();
    }

    QString rulesPath() const { return m_dir.filePath(QStringLiteral("rules.json")); }

    // Short waits, for a manager that is not to answer (stopped, or told not to take the request).
    void noAnswerExpected() { m_devices->tef().setWaits(1000, 1000); }

    void TearDown() override
    {
        if (m_manager.state() == QProcess::NotRunning)
            return;
        m_manager.terminate(); // SIGTERM
        EXPECT_TRUE(test::ended(m_manager));
        EXPECT_EQ(m_manager.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_manager.exitCode(), 0) << m_manager.readAll().toStdString();
    }

    // Starts the manager on the TEF directory with the rules above.
    void start()
    {
        m_output.clear();
        m_manager.setProcessChannelMode(QProcess::MergedChannels);
        m_manager.start(QStringLiteral(ZEL_TEF_MANAGER_SIM),
                        {QStringLiteral("--dir"), m_config.tef.dir, QStringLiteral("--rules"), rulesPath()});
        ASSERT_TRUE(m_manager.waitForStarted(test::kHangLimitMs));
        ASSERT_TRUE(awaitOutput("watching")) << m_output.toStdString();
    }

    // Reads the manager's log until it holds `text`.
    bool awaitOutput(const char* text) { return test::awaitOutput(m_manager, m_output, text); }

    // SIGTERM, and the manager's orderly end.
    void stopManager()
    {
        m_manager.terminate();
        EXPECT_TRUE(test::ended(m_manager));
        EXPECT_EQ(m_manager.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_manager.exitCode(), 0);
        m_output += m_manager.readAll();
    }

    // A payment request the manager has taken; its sequence.
    QString sendTaken(const QString& cents)
    {
        EXPECT_TRUE(m_devices->CheckIntPosFiles());
        const QString sequence = m_devices->GetSequence();
        writeRequest(request(QStringLiteral("CRT"), sequence, cents));
        EXPECT_TRUE(m_devices->CheckGPAtivo(QStringLiteral("CRT"), sequence));
        return sequence;
    }

    QString req() const { return m_config.tef.dir + QStringLiteral("req/intpos.001"); }
    QString resp() const { return m_config.tef.dir + QStringLiteral("resp/"); }

    // The request as the module writes it: straight into req/intpos.001.
    void writeRequest(const QByteArray& bytes)
    {
        QFile file(req());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    static QByteArray request(const QString& header, const QString& sequence, const QString& amount)
    {
        return QStringLiteral("000-000 = %1\r\n001-000 = %2\r\n002-000 = \r\n003-000 = %3\r\n999-999 = 0\r\n")
            .arg(header, sequence, amount)
            .toLatin1();
    }

    // Waits for the response of this exchange, moving aside the ones of other exchanges.
    Outcome awaitResponse(const QString& header, const QString& sequence)
    {
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        const QString path = resp() + QStringLiteral("intpos.001");
        while (clock.elapsed() < test::kHangLimitMs) {
            TefDirectory::waitUntil(resp(), test::kHangLimitMs, [&] {
                const auto file = readIntPosFile(path);
                if (file && !file->isComplete())
                    outcome.sawHalf = true;
                return file && file->isComplete();
            });
            const auto file = readIntPosFile(path);
            if (!file || !file->isComplete())
                break;
            EXPECT_TRUE(QFile::rename(path, m_devices->NewIntPosFileName(resp())));
            const bool ours = (file->header() == header || file->header() == QLatin1String("XXX")) &&
                              file->sequence() == sequence;
            if (ours) {
                outcome.response = *file;
                outcome.elapsedMs = clock.elapsed();
                return outcome;
            }
            ++outcome.setAside;
        }
        ADD_FAILURE() << "no response for " << sequence.toStdString();
        return outcome;
    }

    // The whole exchange as the module runs it, up to the response.
    Outcome exchange(const QString& letter, const QString& cents)
    {
        const QString header = letter == QLatin1String("Q") ? QStringLiteral("CHQ") : QStringLiteral("CRT");
        EXPECT_TRUE(m_devices->CheckIntPosFiles());
        EXPECT_TRUE(m_devices->CheckDirTef(letter));
        EXPECT_TRUE(m_devices->CheckGPAtivo());
        const QString sequence = m_devices->GetSequence();
        writeRequest(request(header, sequence, cents));
        if (!m_devices->CheckGPAtivo(header, sequence)) {
            ADD_FAILURE() << "request not taken";
            return {};
        }
        EXPECT_FALSE(QFile::exists(req())); // the manager removes what it took
        return awaitResponse(header, sequence);
    }

    QTemporaryDir m_dir;
    SimulatorConfig m_config = simtest::config(m_dir);
    std::unique_ptr<SimulatedPeripherals> m_devices;
    QProcess m_manager;
    QByteArray m_output; // the manager's log so far
};

} // namespace zel
