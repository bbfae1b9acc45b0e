#pragma once

#include "text/Result.h"

#include <QSettings>
#include <QString>
#include <QUrl>
#include <optional>

namespace zel::pix {

// How long one request to the provider may go without a byte before it is given up as
// unanswered. A customer is waiting at the till: a provider slower than this is not one the
// operator can wait for, and the charge is looked up again instead.
inline constexpr int kPixRequestTimeoutMs = 15000;
// The longest life a charge may be given (PixExpiracao): a day.
inline constexpr int kMaxPixExpirySeconds = 24 * 3600;

// Where and as whom the till talks to its Pix provider.
struct PixProviderConfig
{
    QUrl apiUrl;   // the API's base address, up to and including its version ("https://.../v2")
    QUrl tokenUrl; // where the access token is asked for
    QString clientId;
    QString clientSecret;
    QString key; // the receiver's Pix key the charges are paid into
    int expirySeconds = 300;
    int timeoutMs = kPixRequestTimeoutMs;
};

// An address the client may send the till's credentials to: https (its certificate is checked
// as usual), or plain http only to this very machine, which is where the provider simulator
// listens. Anything else is an error value saying why.
Status checkPixEndpoint(const QUrl& url);

// The Pix settings of the receipt's group: the provider's, or a static code the module
// composes itself (PixEstatico "S") with no provider at all.
struct PixSettings
{
    bool staticCode = false;
    QString key;          // PixChave
    QString receiverName; // PixNomeRecebedor
    QString receiverCity; // PixCidadeRecebedor
    int expirySeconds = 300;
    std::optional<PixProviderConfig> provider; // set unless staticCode
};

// Reads the keys "PixUrl", "PixTokenUrl", "PixClientId", "PixClientSecret", "PixChave",
// "PixNomeRecebedor", "PixCidadeRecebedor", "PixExpiracao" (seconds, 300 when missing),
// "PixTempoResposta" (seconds a request may go unanswered, 15 when missing) and
// "PixEstatico" under settingKey(). A key the chosen kind needs and does not find, an expiry
// that is not a number of seconds, or an address checkPixEndpoint refuses is an error value
// naming the key.
Result<PixSettings> readPixSettings(const QSettings& store);
// The same from the module's settings store.
Result<PixSettings> readPixSettings();

} // namespace zel::pix
