#include "PixProviderSim.h"

#include "SimPayload.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTcpSocket>
#include <QTimer>
#include <QUuid>
#include <cstdio>

namespace zel::pixsim {

namespace {

const QString kRemovedByReceiver = QStringLiteral("REMOVIDA_PELO_USUARIO_RECEBEDOR");

// The API's amounts, read here on their own: the simulator must not share the till's reader,
// or a mistake in it would be agreed with on both sides.
std::optional<qint64> amountCents(const QJsonValue& v)
{
    static const QRegularExpression shape(QStringLiteral("^\\d{1,10}\\.\\d{2}$"));
    const QString text = v.toString();
    if (!v.isString() || !shape.match(text).hasMatch())
        return std::nullopt;
    return text.left(text.size() - 3).toLongLong() * 100 + text.right(2).toLongLong();
}

QString amountText(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

bool matchesId(const QString& id, int from, int to)
{
    static const QRegularExpression alnum(QStringLiteral("^[a-zA-Z0-9]+$"));
    return id.size() >= from && id.size() <= to && alnum.match(id).hasMatch();
}

QByteArray header(const QHttpServerRequest& request, const QByteArray& name)
{
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString timeText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

PixProviderSim::PixProviderSim(PixSimOptions options, QObject* parent)
    : QAbstractHttpServer(parent), m_options(std::move(options))
{
    restoreState();
}

// A provider keeps its charges when it goes down: started again on the same state file, the
// simulator knows every charge it made and what became of it (nothing that was due to happen
// to them while it was down happens any more; their rule is the one for their amount now).
void PixProviderSim::restoreState()
{
    QFile file(m_options.statePath);
    if (m_options.statePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QJsonArray charges =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("charges")).toArray();
    for (const QJsonValue& value : charges) {
        const QJsonObject o = value.toObject();
        Charge charge;
        charge.txid = o.value(QStringLiteral("txid")).toString();
        charge.cents = o.value(QStringLiteral("amount")).toInteger();
        if (charge.txid.isEmpty() || charge.cents <= 0)
            continue;
        charge.amountText = amountText(charge.cents);
        charge.key = o.value(QStringLiteral("key")).toString();
        charge.description = o.value(QStringLiteral("description")).toString();
        charge.expirySeconds = o.value(QStringLiteral("expirySeconds")).toInt(86400);
        charge.created =
            QDateTime::fromString(o.value(QStringLiteral("created")).toString(), Qt::ISODateWithMs);
        charge.status = o.value(QStringLiteral("status")).toString();
        charge.location = o.value(QStringLiteral("location")).toString();
        charge.copyAndPaste = o.value(QStringLiteral("copyAndPaste")).toString();
        charge.e2eid = o.value(QStringLiteral("e2eid")).toString();
        charge.paidAt =
            QDateTime::fromString(o.value(QStringLiteral("paidAt")).toString(), Qt::ISODateWithMs);
        for (const QJsonValue& r : o.value(QStringLiteral("refunds")).toArray()) {
            const QJsonObject ro = r.toObject();
            charge.refunds.append(
                {ro.value(QStringLiteral("id")).toString(), ro.value(QStringLiteral("rtrId")).toString(),
                 ro.value(QStringLiteral("amount")).toInteger(),
                 ro.value(QStringLiteral("status")).toString(), QDateTime::currentDateTimeUtc()});
        }
        charge.rule = m_options.rules.find(charge.cents);
        m_charges.append(charge);
    }
}

PixProviderSim::~PixProviderSim() = default;

quint16 PixProviderSim::start(quint16 port, QString* error)
{
    m_port = listen(QHostAddress::LocalHost, port);
    if (m_port == 0 && error)
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port);
    if (m_port != 0)
        writeState();
    return m_port;
}

bool PixProviderSim::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    ++m_requests;
    const PixSimRules& rules = m_options.rules;
    if (rules.downAfter > 0 && m_requests > rules.downAfter && !m_downSince.isValid())
        m_downSince.start();
    const bool down =
        m_downSince.isValid() && (rules.downForMs == 0 || m_downSince.elapsed() < rules.downForMs);
    if (down) {
        if (rules.downCloses) {
            const QPointer<QTcpSocket> alive(socket);
            QTimer::singleShot(0, this, [alive] {
                if (alive)
                    alive->abort();
            });
        } else {
            m_unanswered.append(std::make_shared<QHttpServerResponder>(makeResponder(request, socket)));
        }
        return true;
    }
    const Reply reply = answer(request);
    const QByteArray bytes = QJsonDocument(reply.body).toJson(QJsonDocument::Compact);
    const QByteArray type = reply.status >= 400 ? "application/problem+json" : "application/json";
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    // The client may have given up and closed the connection while a slow answer waited.
    const QPointer<QTcpSocket> alive(socket);
    auto write = [responder, alive, bytes, type, status = reply.status] {
        if (alive && alive->state() == QAbstractSocket::ConnectedState)
            responder->write(bytes, type, QHttpServerResponder::StatusCode(status));
    };
    const int delay = rules.delayMs + reply.delayMs;
    if (delay > 0)
        QTimer::singleShot(delay, this, write);
    else
        write();
    return true;
}

void PixProviderSim::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const Reply reply =
        problem(404, QStringLiteral("NaoEncontrado"), QStringLiteral("Recurso não encontrado."));
    makeResponder(request, socket)
        .write(QJsonDocument(reply.body).toJson(QJsonDocument::Compact), "application/problem+json",
               QHttpServerResponder::StatusCode::NotFound);
}

PixProviderSim::Reply PixProviderSim::answer(const QHttpServerRequest& request)
{
    using Method = QHttpServerRequest::Method;
    const QString path = request.url().path();
    if (path == QLatin1String("/oauth/token")) {
        if (request.method() != Method::Post)
            return problem(405, QStringLiteral("MetodoNaoPermitido"),
                           QStringLiteral("Método não permitido."));
        return token(request);
    }
    const QStringList segments = path.split(u'/', Qt::SkipEmptyParts);
    if (segments.size() < 3 || segments.at(0) != QLatin1String("v2"))
        return problem(404, QStringLiteral("NaoEncontrado"), QStringLiteral("Recurso não encontrado."));

    if (++m_apiRequests == m_options.rules.revokeTokensAt)
        m_tokens.clear();
    const QByteArray authorization = header(request, "Authorization");
    if (!authorization.startsWith("Bearer ") || !m_tokens.contains(authorization.mid(7)))
        return problem(401, QStringLiteral("AcessoNegado"), QStringLiteral("Token de acesso inválido."),
                       QStringLiteral("Peça um novo token em /oauth/token."));

    if (segments.at(1) == QLatin1String("cob") && segments.size() == 3) {
        const QString txid = segments.at(2);
        if (!matchesId(txid, 26, 35))
            return problem(400, QStringLiteral("CobOperacaoInvalida"), QStringLiteral("txid inválido."),
                           QStringLiteral("O txid deve ter de 26 a 35 letras e algarismos."));
        if (request.method() == Method::Put)
            return createCharge(txid, request.body());
        auto it =
            std::find_if(m_charges.begin(), m_charges.end(), [&](const Charge& c) { return c.txid == txid; });
        if (it == m_charges.end())
            return problem(404, QStringLiteral("CobNaoEncontrado"),
                           QStringLiteral("Cobrança não encontrada."));
        if (auto failure = failing(txid, it->rule))
            return *failure;
        Reply reply;
        if (request.method() == Method::Get)
            reply = {200, chargeJson(*it)};
        else if (request.method() == Method::Patch)
            reply = removeCharge(*it, request.body());
        else
            reply =
                problem(405, QStringLiteral("MetodoNaoPermitido"), QStringLiteral("Método não permitido."));
        reply.delayMs = it->rule.delayMs;
        return reply;
    }
    if (segments.at(1) == QLatin1String("pix") && segments.size() == 5 &&
        segments.at(3) == QLatin1String("devolucao") && request.method() == Method::Put)
        return refund(segments.at(2), segments.at(4), request.body());
    return problem(404, QStringLiteral("NaoEncontrado"), QStringLiteral("Recurso não encontrado."));
}

PixProviderSim::Reply PixProviderSim::token(const QHttpServerRequest& request)
{
    if (m_options.rules.refuseToken)
        return problem(401, QStringLiteral("AcessoNegado"),
                       QStringLiteral("Credenciais do cliente recusadas."));
    const QByteArray authorization = header(request, "Authorization");
    const QByteArray expected =
        "Basic " + (m_options.clientId + u':' + m_options.clientSecret).toUtf8().toBase64();
    if (authorization != expected)
        return problem(401, QStringLiteral("AcessoNegado"),
                       QStringLiteral("Credenciais do cliente inválidas."));
    if (!request.body().split('&').contains("grant_type=client_credentials"))
        return problem(400, QStringLiteral("RequisicaoInvalida"),
                       QStringLiteral("grant_type não suportado."));
    const QByteArray token = newId("", 40).toLatin1();
    m_tokens.insert(token);
    ++m_tokensIssued;
    writeState();
    return {200,
            {{QStringLiteral("access_token"), QString::fromLatin1(token)},
             {QStringLiteral("token_type"), QStringLiteral("Bearer")},
             {QStringLiteral("expires_in"), m_options.rules.tokenSeconds},
             {QStringLiteral("scope"), QStringLiteral("cob.write cob.read pix.write pix.read")}}};
}

std::optional<PixProviderSim::Reply> PixProviderSim::failing(const QString& txid, const ChargeRule& rule)
{
    int& failed = m_failed[txid];
    if (failed >= rule.failRequests)
        return std::nullopt;
    ++failed;
    Reply reply = problem(500, QStringLiteral("ServicoIndisponivel"), QStringLiteral("Serviço indisponível."),
                          QStringLiteral("Falha interna do provedor; tente de novo."));
    reply.delayMs = rule.delayMs;
    return reply;
}

PixProviderSim::Reply PixProviderSim::createCharge(const QString& txid, const QByteArray& body)
{
    const auto invalid = [](const QString& detail) {
        return problem(400, QStringLiteral("CobOperacaoInvalida"), QStringLiteral("Cobrança inválida."),
                       detail);
    };
    for (const Charge& charge : m_charges) {
        if (charge.txid == txid)
            return invalid(QStringLiteral("Já existe uma cobrança com este txid."));
    }
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(body, &error).object();
    if (error.error != QJsonParseError::NoError)
        return invalid(QStringLiteral("O corpo não é JSON."));
    const auto cents =
        amountCents(json.value(QStringLiteral("valor")).toObject().value(QStringLiteral("original")));
    if (!cents || *cents == 0)
        return invalid(QStringLiteral("valor.original deve ser como 12.34 e maior que zero."));
    const QJsonValue key = json.value(QStringLiteral("chave"));
    if (!key.isString() || key.toString().isEmpty() ||
        (!m_options.key.isEmpty() && key.toString() != m_options.key))
        return invalid(QStringLiteral("A chave não pertence a este recebedor."));
    const QJsonValue expiry =
        json.value(QStringLiteral("calendario")).toObject().value(QStringLiteral("expiracao"));
    if (!expiry.isUndefined() && (!expiry.isDouble() || expiry.toDouble() < 1 ||
                                  expiry.toDouble() > 2147483 || expiry.toDouble() != double(expiry.toInt())))
        return invalid(QStringLiteral("calendario.expiracao deve ser um número de segundos."));

    const ChargeRule& rule = m_options.rules.find(*cents);
    if (auto failure = failing(txid, rule))
        return *failure;

    Charge charge;
    charge.txid = txid;
    charge.cents = *cents;
    charge.amountText = amountText(*cents);
    charge.key = key.toString();
    charge.description = json.value(QStringLiteral("solicitacaoPagador")).toString();
    charge.expirySeconds = expiry.isUndefined() ? 86400 : expiry.toInt();
    charge.created = QDateTime::currentDateTimeUtc();
    charge.status = QStringLiteral("ATIVA");
    charge.location =
        QStringLiteral("127.0.0.1:%1/qr/v2/%2").arg(m_port).arg(QUuid::createUuid().toString(QUuid::Id128));
    charge.copyAndPaste =
        dynamicPayload(charge.location, QStringLiteral("LOJA SIMULADA"), QStringLiteral("SAO PAULO"));
    charge.rule = rule;
    m_charges.append(charge);

    if (rule.action == ChargeRule::Action::Pay) {
        QTimer::singleShot(rule.afterMs, this, [this, txid] {
            for (Charge& c : m_charges) {
                if (c.txid == txid && c.status == QLatin1String("ATIVA"))
                    pay(c);
            }
        });
    } else if (rule.action == ChargeRule::Action::Expire) {
        QTimer::singleShot(rule.afterMs, this,
                           [this, txid] { expire(txid, QStringLiteral("REMOVIDA_PELO_PSP")); });
    }
    QTimer::singleShot(qint64(charge.expirySeconds) * 1000, this,
                       [this, txid] { expire(txid, QStringLiteral("REMOVIDA_PELO_PSP")); });
    writeState();
    return {201, chargeJson(charge), rule.delayMs};
}

PixProviderSim::Reply PixProviderSim::removeCharge(Charge& charge, const QByteArray& body)
{
    const QJsonObject json = QJsonDocument::fromJson(body).object();
    if (json.value(QStringLiteral("status")).toString() != kRemovedByReceiver)
        return problem(400, QStringLiteral("CobOperacaoInvalida"), QStringLiteral("Cobrança inválida."),
                       QStringLiteral("Só a remoção pelo recebedor pode ser pedida."));
    // The payer's bank got there first: the payment is settled before the removal is looked at.
    if (charge.status == QLatin1String("ATIVA") && charge.rule.action == ChargeRule::Action::PayOnRemove)
        pay(charge);
    if (charge.status == QLatin1String("CONCLUIDA"))
        return problem(400, QStringLiteral("CobOperacaoInvalida"), QStringLiteral("A cobrança já foi paga."),
                       QStringLiteral("Uma cobrança concluída não pode ser removida."));
    if (charge.status == QLatin1String("REMOVIDA_PELO_PSP"))
        return problem(400, QStringLiteral("CobOperacaoInvalida"), QStringLiteral("A cobrança expirou."));
    if (charge.status == QLatin1String("ATIVA")) {
        charge.status = kRemovedByReceiver;
        writeState();
    }
    return {200, chargeJson(charge)};
}

PixProviderSim::Reply PixProviderSim::refund(const QString& e2eid, const QString& id, const QByteArray& body)
{
    const auto invalid = [](const QString& detail) {
        return problem(400, QStringLiteral("DevolucaoInvalida"), QStringLiteral("Devolução inválida."),
                       detail);
    };
    if (!matchesId(e2eid, 1, 35) || !matchesId(id, 1, 35))
        return invalid(QStringLiteral("e2eid e id devem ter de 1 a 35 letras e algarismos."));
    auto charge =
        std::find_if(m_charges.begin(), m_charges.end(), [&](const Charge& c) { return c.e2eid == e2eid; });
    if (charge == m_charges.end())
        return problem(404, QStringLiteral("PixNaoEncontrado"), QStringLiteral("Pix não encontrado."));
    const auto cents = amountCents(QJsonDocument::fromJson(body).object().value(QStringLiteral("valor")));
    if (!cents || *cents == 0)
        return invalid(QStringLiteral("valor deve ser como 12.34 e maior que zero."));
    qint64 refunded = 0;
    for (const Refund& r : charge->refunds) {
        if (r.id == id) {
            // The same request again (its answer was lost): the same refund.
            if (r.cents == *cents)
                return {201, refundJson(r), charge->rule.delayMs};
            return invalid(QStringLiteral("Já existe uma devolução com este id e outro valor."));
        }
        if (r.status != QLatin1String("NAO_REALIZADO"))
            refunded += r.cents;
    }
    if (refunded + *cents > charge->cents)
        return invalid(QStringLiteral("O valor das devoluções passaria do valor pago."));
    Refund made{id, newId("D99999999", 23), *cents, QStringLiteral("DEVOLVIDO"),
                QDateTime::currentDateTimeUtc()};
    charge->refunds.append(made);
    writeState();
    return {201, refundJson(made), charge->rule.delayMs};
}

void PixProviderSim::pay(Charge& charge)
{
    charge.status = QStringLiteral("CONCLUIDA");
    charge.paidAt = QDateTime::currentDateTimeUtc();
    charge.e2eid = newId("E99999999", 23);
    writeState();
}

void PixProviderSim::expire(const QString& txid, const QString& reason)
{
    for (Charge& charge : m_charges) {
        if (charge.txid == txid && charge.status == QLatin1String("ATIVA")) {
            charge.status = reason;
            writeState();
        }
    }
}

QJsonObject PixProviderSim::refundJson(const Refund& refund)
{
    return {
        {QStringLiteral("id"), refund.id},
        {QStringLiteral("rtrId"), refund.rtrId},
        {QStringLiteral("valor"), amountText(refund.cents)},
        {QStringLiteral("horario"), QJsonObject{{QStringLiteral("solicitacao"), timeText(refund.requested)}}},
        {QStringLiteral("status"), refund.status}};
}

QJsonObject PixProviderSim::chargeJson(const Charge& charge) const
{
    QJsonObject json{
        {QStringLiteral("calendario"), QJsonObject{{QStringLiteral("criacao"), timeText(charge.created)},
                                                   {QStringLiteral("expiracao"), charge.expirySeconds}}},
        {QStringLiteral("txid"), charge.txid},
        {QStringLiteral("revisao"), 0},
        {QStringLiteral("location"), charge.location},
        {QStringLiteral("status"), charge.status},
        {QStringLiteral("valor"), QJsonObject{{QStringLiteral("original"), charge.amountText}}},
        {QStringLiteral("chave"), charge.key},
        {QStringLiteral("pixCopiaECola"), charge.copyAndPaste},
    };
    if (!charge.description.isEmpty())
        json.insert(QStringLiteral("solicitacaoPagador"), charge.description);
    if (!charge.e2eid.isEmpty()) {
        QJsonArray refunds;
        for (const Refund& refund : charge.refunds)
            refunds.append(refundJson(refund));
        json.insert(QStringLiteral("pix"),
                    QJsonArray{QJsonObject{{QStringLiteral("endToEndId"), charge.e2eid},
                                           {QStringLiteral("txid"), charge.txid},
                                           {QStringLiteral("valor"), charge.amountText},
                                           {QStringLiteral("horario"), timeText(charge.paidAt)},
                                           {QStringLiteral("devolucoes"), refunds}}});
    }
    return json;
}

PixProviderSim::Reply PixProviderSim::problem(int status, const QString& name, const QString& title,
                                              const QString& detail)
{
    QJsonObject body{{QStringLiteral("type"), QStringLiteral("https://pix.bcb.gov.br/api/v2/error/") + name},
                     {QStringLiteral("title"), title},
                     {QStringLiteral("status"), status}};
    if (!detail.isEmpty())
        body.insert(QStringLiteral("detail"), detail);
    return {status, body};
}

void PixProviderSim::writeState()
{
    if (m_options.statePath.isEmpty())
        return;
    QJsonArray charges;
    for (const Charge& charge : m_charges) {
        QJsonArray refunds;
        qint64 refunded = 0;
        for (const Refund& refund : charge.refunds) {
            refunds.append(QJsonObject{{QStringLiteral("id"), refund.id},
                                       {QStringLiteral("rtrId"), refund.rtrId},
                                       {QStringLiteral("amount"), refund.cents},
                                       {QStringLiteral("status"), refund.status}});
            if (refund.status == QLatin1String("DEVOLVIDO"))
                refunded += refund.cents;
        }
        QJsonObject entry{{QStringLiteral("txid"), charge.txid},
                          {QStringLiteral("amount"), charge.cents},
                          {QStringLiteral("status"), charge.status},
                          {QStringLiteral("rule"), chargeActionName(charge.rule.action)},
                          {QStringLiteral("refunds"), refunds},
                          {QStringLiteral("refunded"), refunded},
                          // What a restart needs to answer for the charge as before.
                          {QStringLiteral("key"), charge.key},
                          {QStringLiteral("description"), charge.description},
                          {QStringLiteral("expirySeconds"), charge.expirySeconds},
                          {QStringLiteral("created"), timeText(charge.created)},
                          {QStringLiteral("location"), charge.location},
                          {QStringLiteral("copyAndPaste"), charge.copyAndPaste}};
        if (!charge.e2eid.isEmpty()) {
            entry.insert(QStringLiteral("e2eid"), charge.e2eid);
            entry.insert(QStringLiteral("paidAt"), timeText(charge.paidAt));
        }
        charges.append(entry);
    }
    QSaveFile file(m_options.statePath);
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("port"), m_port},
                                                       {QStringLiteral("tokensIssued"), m_tokensIssued},
                                                       {QStringLiteral("charges"), charges}})
                                 .toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        std::fprintf(stderr, "pix-provider-sim: cannot write the state %s: %s\n",
                     qPrintable(m_options.statePath), qPrintable(file.errorString()));
}

QString PixProviderSim::newId(const char* prefix, int randomChars) const
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString id = QLatin1String(prefix);
    for (int i = 0; i < randomChars; ++i)
        id += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))]);
    return id;
}

} // namespace zel::pixsim
