#include "PixSimSession.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace zel::pix::test {

PixSimSession::PixSimSession(const QByteArray& rules, int timeoutMs, int expirySeconds)
{
    if (!m_dir.isValid())
        return;
    QFile file(m_dir.filePath("rules.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(rules) != rules.size())
        return;
    file.close();
    m_sim.setProcessChannelMode(QProcess::SeparateChannels);
    m_sim.start(ZEL_PIX_PROVIDER_SIM,
                {"--port", "0", "--rules", file.fileName(), "--state", m_dir.filePath("state.json"),
                 "--client-id", "caixa-1", "--client-secret", "segredo do caixa", "--key",
                 "recebedor@example.com"});
    if (!m_sim.waitForStarted(kWaitLimitMs) || !zel::test::awaitOutput(m_sim, m_log, "\n", kWaitLimitMs))
        return;
    const auto port = QRegularExpression("port=(\\d+)\n").match(QString::fromLatin1(m_log));
    if (!port.hasMatch())
        return;
    const QString base = QStringLiteral("http://127.0.0.1:") + port.captured(1);
    m_config.apiUrl = QUrl(base + "/v2");
    m_config.tokenUrl = QUrl(base + "/oauth/token");
    m_config.clientId = "caixa-1";
    m_config.clientSecret = "segredo do caixa";
    m_config.key = "recebedor@example.com";
    m_config.expirySeconds = expirySeconds;
    m_config.timeoutMs = timeoutMs;
    m_client = std::make_unique<PixClient>(m_config);
}

PixSimSession::~PixSimSession()
{
    m_client.reset();
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.terminate();
        EXPECT_TRUE(zel::test::ended(m_sim, kWaitLimitMs));
        EXPECT_EQ(m_sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_sim.exitCode(), 0) << m_sim.readAllStandardError().toStdString();
    }
}

std::optional<PixReply<PixCharge>> PixSimSession::create(const QString& txid, qint64 cents)
{
    return await<PixCharge>([&](auto done) { m_client->createCharge(txid, cents, "Mesa 7", done); });
}

std::optional<PixReply<PixCharge>> PixSimSession::status(const QString& txid)
{
    return await<PixCharge>([&](auto done) { m_client->chargeStatus(txid, done); });
}

std::optional<PixReply<PixCharge>> PixSimSession::remove(const QString& txid)
{
    return await<PixCharge>([&](auto done) { m_client->removeCharge(txid, done); });
}

std::optional<PixReply<PixRefund>> PixSimSession::refund(const QString& e2eid, const QString& id,
                                                         qint64 cents)
{
    return await<PixRefund>([&](auto done) { m_client->refund(e2eid, id, cents, done); });
}

std::optional<PixReply<PixCharge>> PixSimSession::statusUntil(const QString& txid, ChargeStatus wanted)
{
    std::optional<PixReply<PixCharge>> last;
    zel::test::eventually(
        [&] {
            last = status(txid);
            return !last || !last->ok() || last->result->status == wanted;
        },
        kWaitLimitMs);
    return last;
}

QJsonObject PixSimSession::state() const
{
    QFile file(m_dir.filePath("state.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject PixSimSession::recorded(const QString& txid) const
{
    for (const QJsonValue charge : state().value("charges").toArray()) {
        if (charge["txid"].toString() == txid)
            return charge.toObject();
    }
    return {};
}

int PixSimSession::recordedCount() const
{
    return int(state().value("charges").toArray().size());
}

} // namespace zel::pix::test
