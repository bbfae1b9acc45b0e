#include "PixClient.h"

#include "PixProviderMessages.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <dlfcn.h>
#include <memory>

namespace zel::pix {

namespace {

// A token is given up this long before the provider says it expires, so that a request sent
// just before the end does not arrive with a dead token.
qint64 tokenMarginMs(qint64 lifeSeconds)
{
    return std::min<qint64>(60'000, lifeSeconds * 100); // a tenth of its life, a minute at most
}

// The base address and a path of the API, as one address.
QUrl apiAddress(const QUrl& base, const QString& path)
{
    QUrl url = base;
    QString basePath = url.path();
    while (basePath.endsWith(u'/'))
        basePath.chop(1);
    url.setPath(basePath + path);
    return url;
}

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

} // namespace

namespace {

// Qt Network, once used, leaves connections to the application object (its lookup and
// connection caches) that fire when the application ends. A host that unloads this module
// before that would also unload Qt Network, if nothing else of the host uses it, and crash at
// its own exit; so the library is kept loaded for the rest of the process once a client exists.
void keepNetworkLoaded()
{
    static const bool kept = [] {
        Dl_info info{};
        if (::dladdr(reinterpret_cast<const void*>(&QNetworkAccessManager::staticMetaObject), &info) &&
            info.dli_fname)
            return ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NODELETE | RTLD_NOLOAD) != nullptr;
        return false;
    }();
    (void)kept;
}

} // namespace

PixClient::PixClient(PixProviderConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_network(new QNetworkAccessManager(this))
{
    keepNetworkLoaded();
    // A redirect would carry the token to an address this till was never told about.
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

PixClient::~PixClient() = default;

QString PixClient::timeoutText() const
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(m_config.timeoutMs / 1000.0, 'g', 3);
}

template <class T>
PixReply<T> PixClient::reply(const Answer& answer, Result<T> (*parse)(const QByteArray&)) const
{
    using Kind = Answer::Kind;
    switch (answer.kind) {
    case Kind::NotSent:
        return {PixOutcome::NotSent, Error{answer.error, QStringLiteral("PixNaoEnviado")}, answer.problem,
                answer.status};
    case Kind::NoAnswer:
        return {PixOutcome::Unknown,
                Error{pixProviderText("PixSemResposta").arg(timeoutText()), QStringLiteral("PixSemResposta")},
                std::nullopt};
    case Kind::NetworkError:
        return {PixOutcome::Unknown,
                Error{pixProviderText("PixFalhaRede").arg(answer.error), QStringLiteral("PixFalhaRede")},
                std::nullopt};
    case Kind::TooLarge:
        return {PixOutcome::Malformed,
                Error{pixProviderText("PixRespostaIlegivel")
                          .arg(pixProviderText("PixRespostaGrande").arg(kMaxPixAnswerBytes / 1024)),
                      QStringLiteral("PixRespostaGrande")},
                std::nullopt, answer.status};
    case Kind::Http:
        break;
    }
    if (isSuccess(answer.status)) {
        Result<T> value = parse(answer.body);
        const PixOutcome outcome = value ? PixOutcome::Done : PixOutcome::Malformed;
        return {outcome, std::move(value), std::nullopt, answer.status};
    }
    // A problem document, or whatever the provider sent instead of one (a proxy's HTML page):
    // the status alone then says what happened.
    std::optional<PixProblem> problem;
    if (auto read = parseProblem(answer.body))
        problem = read.value();
    const QString title =
        problem ? (!problem->title.isEmpty() ? problem->title : problem->detail) : QString();
    if (answer.status >= 500) {
        const QString why = title.isEmpty() ? QString() : title.trimmed() + u' ';
        return {PixOutcome::Unknown,
                Error{pixProviderText("PixFalhaProvedor").arg(answer.status).arg(why).simplified(),
                      QStringLiteral("PixFalhaProvedor")},
                problem, answer.status};
    }
    Error refused = title.isEmpty()
                        ? Error{pixProviderText("PixRecusouSemTitulo").arg(answer.status),
                                QStringLiteral("PixRecusouSemTitulo")}
                        : Error{pixProviderText("PixRecusou").arg(title), QStringLiteral("PixRecusou")};
    return {PixOutcome::Refused, std::move(refused), problem, answer.status};
}

template <class T>
void PixClient::run(const Result<PixRequest>& request, Result<T> (*parse)(const QByteArray&), Done<T> done)
{
    const auto finish = [this, parse, done = std::move(done)](const Answer& answer) {
        done(reply(answer, parse));
    };
    std::optional<Error> refusal;
    if (!request)
        refusal = request.error();
    for (const QUrl& url : {m_config.apiUrl, m_config.tokenUrl}) {
        if (const Status usable = checkPixEndpoint(url); !refusal && !usable)
            refusal = usable.error();
    }
    if (refusal) {
        Answer answer;
        answer.kind = Answer::Kind::NotSent;
        answer.error = refusal->message;
        // Called from the event loop, as every other ending is.
        QTimer::singleShot(0, this, [finish, answer] { finish(answer); });
        return;
    }
    send(Call{*request, finish});
}

void PixClient::createCharge(const QString& txid, qint64 amountCents, const QString& description,
                             Done<PixCharge> done)
{
    run(createChargeRequest(txid, amountCents, m_config.key, m_config.expirySeconds, description),
        &parseCharge, std::move(done));
}

void PixClient::chargeStatus(const QString& txid, Done<PixCharge> done)
{
    run(chargeStatusRequest(txid), &parseCharge, std::move(done));
}

void PixClient::removeCharge(const QString& txid, Done<PixCharge> done)
{
    run(removeChargeRequest(txid), &parseCharge, std::move(done));
}

void PixClient::refund(const QString& endToEndId, const QString& refundId, qint64 amountCents,
                       Done<PixRefund> done)
{
    run(refundRequest(endToEndId, refundId, amountCents), &parseRefund, std::move(done));
}

void PixClient::send(Call call)
{
    if (hasToken()) {
        dispatch(std::move(call));
        return;
    }
    m_waitingForToken.append(std::move(call));
    if (!m_fetchingToken)
        fetchToken();
}

void PixClient::dispatch(Call call)
{
    QNetworkRequest request(apiAddress(m_config.apiUrl, call.request.path));
    request.setRawHeader("Authorization", m_authorization);
    if (!call.request.body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QByteArray verb = call.request.verb;
    const QByteArray body = call.request.body;
    exchange(request, verb, body, [this, call = std::move(call)](const Answer& answer) mutable {
        if (answer.kind == Answer::Kind::Http && answer.status == 401 && !call.repeated) {
            call.repeated = true;
            m_authorization.clear();
            send(std::move(call));
            return;
        }
        call.finish(answer);
    });
}

void PixClient::fetchToken()
{
    m_fetchingToken = true;
    QNetworkRequest request(m_config.tokenUrl);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Authorization", basicAuthorization(m_config.clientId, m_config.clientSecret));
    exchange(request, "POST", tokenRequestBody(), [this](const Answer& answer) { tokenAnswered(answer); });
}

void PixClient::tokenAnswered(const Answer& answer)
{
    m_fetchingToken = false;
    QList<Call> waiting;
    waiting.swap(m_waitingForToken);

    // Why there is no token, in a sentence; nothing when there is one.
    QString why;
    std::optional<PixProblem> problem;
    switch (answer.kind) {
    case Answer::Kind::Http:
        if (isSuccess(answer.status)) {
            const auto token = parseToken(answer.body);
            if (token) {
                m_authorization = "Bearer " + token->accessToken.toUtf8();
                m_tokenLife.setRemainingTime(token->expiresInSeconds * 1000 -
                                             tokenMarginMs(token->expiresInSeconds));
            } else {
                why = token.errorMessage();
            }
        } else {
            if (auto read = parseProblem(answer.body))
                problem = read.value();
            why = problem && !problem->title.isEmpty()
                      ? problem->title
                      : pixProviderText("PixRecusouSemTitulo").arg(answer.status);
        }
        break;
    case Answer::Kind::NotSent:
        why = answer.error;
        break;
    case Answer::Kind::NoAnswer:
        why = pixProviderText("PixTokenSemResposta").arg(timeoutText());
        break;
    case Answer::Kind::NetworkError:
        why = answer.error + u'.';
        break;
    case Answer::Kind::TooLarge:
        why = pixProviderText("PixRespostaIlegivel")
                  .arg(pixProviderText("PixRespostaGrande").arg(kMaxPixAnswerBytes / 1024));
        break;
    }
    if (why.isEmpty()) {
        for (Call& call : waiting)
            dispatch(std::move(call));
        return;
    }
    // Without a token nothing was asked of the API: no charge can exist because of these calls.
    Answer refused;
    refused.kind = Answer::Kind::NotSent;
    refused.status = answer.status;
    refused.error = pixProviderText("PixSemToken").arg(why);
    refused.problem = problem;
    for (const Call& call : waiting)
        call.finish(refused);
}

void PixClient::exchange(QNetworkRequest request, const QByteArray& verb, const QByteArray& body, Finish then)
{
    // No byte from the provider for this long ends the request: the till never waits on a
    // provider that stopped answering.
    request.setTransferTimeout(m_config.timeoutMs);
    QNetworkReply* reply = m_network->sendCustomRequest(request, verb, body);
    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooLarge](qint64 received, qint64) {
        if (received > kMaxPixAnswerBytes && !*tooLarge) {
            *tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, tooLarge, then = std::move(then)] {
        reply->deleteLater();
        Answer answer;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QNetworkReply::NetworkError error = reply->error();
        if (*tooLarge) {
            answer.kind = Answer::Kind::TooLarge;
        } else if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
            // Also when the status line came and the body stalled: the answer is not whole.
            answer.kind = Answer::Kind::NoAnswer;
        } else if (status.isValid() && status.toInt() > 0) {
            answer.kind = Answer::Kind::Http;
            answer.status = status.toInt();
            answer.body = reply->readAll();
        } else if (error == QNetworkReply::ConnectionRefusedError ||
                   error == QNetworkReply::HostNotFoundError) {
            // No connection was made: the request cannot have arrived.
            answer.kind = Answer::Kind::NotSent;
            answer.error = pixProviderText("PixInalcancavel").arg(reply->errorString());
        } else {
            answer.kind = Answer::Kind::NetworkError;
            answer.error = reply->errorString();
        }
        then(answer);
    });
}

} // namespace zel::pix
