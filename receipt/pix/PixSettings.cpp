#include "PixSettings.h"

#include "PixProviderMessages.h"
#include "receipt/payment/ReceiptSettings.h"

#include <QHostAddress>

namespace zel::pix {

namespace {

QString read(const QSettings& store, const char* name)
{
    return store.value(settingKey(QLatin1String(name))).toString().trimmed();
}

Error missing(const char* name)
{
    return Error{pixProviderText("PixConfigFalta").arg(QLatin1String(name)),
                 QStringLiteral("PixConfigFalta")};
}

} // namespace

Status checkPixEndpoint(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery() ||
        url.hasFragment())
        return Error{pixProviderText("PixEnderecoInvalido").arg(url.toString()),
                     QStringLiteral("PixEnderecoInvalido")};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return Status::success();
    // Plain http carries the client's secret and the token in the clear: only to the provider
    // simulator on this machine, never across a network.
    const QString host = url.host().toLower();
    const bool loopback = host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
    if (scheme == QLatin1String("http") && loopback)
        return Status::success();
    return Error{pixProviderText("PixEnderecoInseguro").arg(url.toString()),
                 QStringLiteral("PixEnderecoInseguro")};
}

Result<PixSettings> readPixSettings(const QSettings& store)
{
    PixSettings settings;
    settings.staticCode = read(store, "PixEstatico").compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
    settings.key = read(store, "PixChave");
    settings.receiverName = read(store, "PixNomeRecebedor");
    settings.receiverCity = read(store, "PixCidadeRecebedor");

    const QString expiry = read(store, "PixExpiracao");
    if (!expiry.isEmpty()) {
        bool number = false;
        const int seconds = expiry.toInt(&number);
        if (!number || seconds < 1 || seconds > kMaxPixExpirySeconds)
            return Error{pixProviderText("PixConfigExpiracao").arg(kMaxPixExpirySeconds).arg(expiry),
                         QStringLiteral("PixConfigExpiracao")};
        settings.expirySeconds = seconds;
    }

    if (settings.key.isEmpty())
        return missing("PixChave");
    if (settings.staticCode) {
        // The module writes the whole code itself: the receiver's name and city are in it.
        if (settings.receiverName.isEmpty())
            return missing("PixNomeRecebedor");
        if (settings.receiverCity.isEmpty())
            return missing("PixCidadeRecebedor");
        return settings;
    }

    PixProviderConfig provider;
    provider.key = settings.key;
    provider.expirySeconds = settings.expirySeconds;
    // How long a request may go unanswered (PixTempoResposta, seconds): the provider's default
    // suits most; a till on a slow link may need more, a test of a silent provider less.
    if (const QString wait = read(store, "PixTempoResposta"); !wait.isEmpty()) {
        bool number = false;
        const int seconds = wait.toInt(&number);
        if (!number || seconds < 1 || seconds > 120)
            return Error{pixProviderText("PixConfigTempoResposta").arg(wait),
                         QStringLiteral("PixConfigTempoResposta")};
        provider.timeoutMs = seconds * 1000;
    }
    for (const auto& [name, url] :
         {std::pair{"PixUrl", &provider.apiUrl}, {"PixTokenUrl", &provider.tokenUrl}}) {
        const QString text = read(store, name);
        if (text.isEmpty())
            return missing(name);
        *url = QUrl(text, QUrl::StrictMode);
        if (const Status usable = checkPixEndpoint(*url); !usable)
            return Error{pixProviderText("PixConfigEndereco").arg(QLatin1String(name), usable.errorMessage()),
                         usable.errorCode()};
    }
    for (const auto& [name, value] :
         {std::pair{"PixClientId", &provider.clientId}, {"PixClientSecret", &provider.clientSecret}}) {
        // The secret is kept as written: blanks may belong to it.
        *value = store.value(settingKey(QLatin1String(name))).toString();
        if (value->isEmpty())
            return missing(name);
    }
    settings.provider = provider;
    return settings;
}

Result<PixSettings> readPixSettings()
{
    const SettingsStore store;
    return readPixSettings(store);
}

} // namespace zel::pix
