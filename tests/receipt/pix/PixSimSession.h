#pragma once

// The Pix client against pix-provider-sim running as a separate process: the simulator started
// with a rules file, the client pointed at it, and each operation awaited on the event loop.

#include "receipt/pix/PixClient.h"
#include "support/Eventually.h"
#include "support/QStringPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

namespace zel::pix::test {

// Long enough that only a hang reaches it; every wait ends on the event it needs first.
inline constexpr int kWaitLimitMs = 20000;

class PixSimSession
{
public:
    // Starts the simulator with `rules` (JSON) and a client with `timeoutMs`; ready() says
    // whether both are up, log() what the simulator wrote if not.
    PixSimSession(const QByteArray& rules, int timeoutMs, int expirySeconds = 300);
    ~PixSimSession();

    bool ready() const { return m_client != nullptr; }
    QByteArray log() const { return m_log; }
    PixClient& client() { return *m_client; }
    PixProviderConfig config() const { return m_config; }

    static QString newTxid() { return QUuid::createUuid().toString(QUuid::Id128); }

    template <class T> std::optional<PixReply<T>> await(const std::function<void(PixClient::Done<T>)>& start)
    {
        std::optional<PixReply<T>> got;
        start([&got](const PixReply<T>& reply) { got = reply; });
        zel::test::eventually([&got] { return got.has_value(); }, kWaitLimitMs);
        return got;
    }

    std::optional<PixReply<PixCharge>> create(const QString& txid, qint64 cents);
    std::optional<PixReply<PixCharge>> status(const QString& txid);
    std::optional<PixReply<PixCharge>> remove(const QString& txid);
    std::optional<PixReply<PixRefund>> refund(const QString& e2eid, const QString& id, qint64 cents);
    // Asks for the charge until it shows `wanted` (the till's own way of following a charge).
    std::optional<PixReply<PixCharge>> statusUntil(const QString& txid, ChargeStatus wanted);

    // The charge as the simulator's state file has it (empty when it holds none).
    QJsonObject recorded(const QString& txid) const;
    int recordedCount() const;
    // How many access tokens the simulator has handed out.
    int tokensIssued() const { return state().value("tokensIssued").toInt(); }

private:
    QJsonObject state() const;

    QTemporaryDir m_dir;
    QProcess m_sim;
    QByteArray m_log;
    PixProviderConfig m_config;
    std::unique_ptr<PixClient> m_client;
};

} // namespace zel::pix::test
