#include "TefManager.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

namespace zel {

namespace {

// A request still being written when it first shows up gets this long to be finished.
constexpr int kIncompleteGraceMs = 3000;

void log(const QString& text)
{
    qInfo("tef-manager-sim: %s", qPrintable(text));
}

QString amountText(qint64 cents)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(double(cents) / 100.0, 'f', 2);
}

QStringList defaultSlip(const QString& header, qint64 cents, const QString& nsu)
{
    return {header == QLatin1String("CHQ") ? QStringLiteral("CONSULTA DE CHEQUE")
                                           : QStringLiteral("REDE SIMULADA"),
            QStringLiteral("CARTAO ************0001"),
            QStringLiteral("VALOR APROVADO R$ %1").arg(amountText(cents)), QStringLiteral("NSU %1").arg(nsu)};
}

} // namespace

TefManager::TefManager(QString dir, TefRules rules, bool once, QObject* parent)
    : QObject(parent), m_dir(std::move(dir)), m_rules(std::move(rules)), m_once(once)
{
    if (!m_dir.endsWith(QLatin1Char('/')))
        m_dir += QLatin1Char('/');
    m_clock.start();
    m_safety.setInterval(500);
    m_wake.setSingleShot(true);
    m_retry.setSingleShot(true);
    m_retry.setInterval(50);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TefManager::scan);
    connect(&m_safety, &QTimer::timeout, this, &TefManager::scan);
    connect(&m_wake, &QTimer::timeout, this, &TefManager::scan);
    connect(&m_retry, &QTimer::timeout, this, &TefManager::scan);
}

bool TefManager::start(QString* error)
{
    QDir root(m_dir);
    if (!root.mkpath(QStringLiteral("req")) || !root.mkpath(QStringLiteral("resp"))) {
        if (error)
            *error = QStringLiteral("cannot create req/ and resp/ under %1").arg(m_dir);
        return false;
    }
    m_watcher.addPath(path("req"));
    m_watcher.addPath(path("resp"));
    m_safety.start();
    log(QStringLiteral("watching %1").arg(m_dir));
    QTimer::singleShot(0, this, &TefManager::scan);
    return true;
}

void TefManager::scan()
{
    pump();
    // One exchange at a time: a new request waits until the answers of the last are out.
    if (m_queue.isEmpty() && !m_splitting)
        takeRequest();
}

void TefManager::takeRequest()
{
    const QString requestPath = path("req/intpos.001");
    if (!QFile::exists(requestPath)) {
        m_incompleteSince = -1;
        return;
    }
    const auto request = readIntPosFile(requestPath);
    if (!request)
        return; // the writer still holds it; the next scan tries again
    if (!request->isComplete()) {
        if (m_incompleteSince < 0)
            m_incompleteSince = m_clock.elapsed();
        if (m_clock.elapsed() - m_incompleteSince < kIncompleteGraceMs) {
            // Writing into the file does not change the folder: look again shortly.
            m_retry.start();
            return;
        }
        log(QStringLiteral("removed a request that was never finished"));
        QFile::remove(requestPath);
        m_incompleteSince = -1;
        return;
    }
    m_incompleteSince = -1;
    const QString sequence = request->sequence();
    if (m_leftAlone.contains(sequence))
        return;
    if (!request->isWellFormed() || request->header().isEmpty() || sequence.isEmpty()) {
        if (sequence.isEmpty()) {
            QFile::remove(requestPath);
            log(QStringLiteral("removed a malformed request without a sequence"));
            return;
        }
        log(QStringLiteral("malformed request %1 refused").arg(sequence));
        take(request->header(), sequence);
        answerFailure(request->header(), sequence, QStringLiteral("Requisicao invalida"));
        return;
    }
    answer(*request);
}

void TefManager::take(const QString& header, const QString& sequence)
{
    // The request is gone before the status says it was taken.
    QFile::remove(path("req/intpos.001"));
    IntPosFile status;
    status.add(intpos::kHeader, header);
    status.add(intpos::kSequence, sequence);
    status.addEnd();
    writeFileWhole(path("resp/intpos.sts"), status.toBytes());
}

void TefManager::answerFailure(const QString& header, const QString& sequence, const QString& message)
{
    Q_UNUSED(header);
    IntPosFile response;
    response.add(intpos::kHeader, QStringLiteral("XXX"));
    response.add(intpos::kSequence, sequence);
    response.add(intpos::kMessage, message);
    response.addEnd();
    m_queue << Output{response.toBytes(), m_clock.elapsed(), false, 0, true};
    pump();
}

void TefManager::answer(const IntPosFile& request)
{
    const QString header = request.header();
    const QString sequence = request.sequence();

    if (header == QLatin1String("ATV")) {
        take(header, sequence);
        log(QStringLiteral("activity check %1 answered").arg(sequence));
        return;
    }
    if (header != QLatin1String("CRT") && header != QLatin1String("CHQ")) {
        take(header, sequence);
        log(QStringLiteral("request %1: operation %2 not supported").arg(sequence, header));
        answerFailure(header, sequence, QStringLiteral("Operacao nao suportada: %1").arg(header));
        return;
    }
    static const QRegularExpression digits(QStringLiteral("^\\d{1,15}$"));
    const QString amount = request.value(intpos::kAmount);
    if (!digits.match(amount).hasMatch()) {
        take(header, sequence);
        log(QStringLiteral("request %1: amount \"%2\" refused").arg(sequence, amount));
        answerFailure(header, sequence, QStringLiteral("Valor invalido"));
        return;
    }
    const qint64 cents = amount.toLongLong();
    const TefRule& rule = m_rules.find(header, cents);
    log(QStringLiteral("request %1 %2 %3: %4").arg(header, sequence, amount, tefActionName(rule.action)));

    if (rule.action == TefRule::Action::NoTake) {
        m_leftAlone.insert(sequence);
        if (m_once)
            emit finished();
        return;
    }
    take(header, sequence);
    if (rule.action == TefRule::Action::Silent) {
        if (m_once)
            emit finished();
        return;
    }

    IntPosFile response;
    const QString nsu = sequence.right(6).rightJustified(6, QLatin1Char('0'));
    switch (rule.action) {
    case TefRule::Action::Fail:
        response.add(intpos::kHeader, QStringLiteral("XXX"));
        response.add(intpos::kSequence, sequence);
        response.add(intpos::kMessage, rule.message.value_or(QStringLiteral("Falha na comunicacao")));
        break;
    case TefRule::Action::Malformed:
        // Header and sequence are right, the fields are not: no status, no message.
        response.add(intpos::kHeader, header);
        response.add(intpos::kSequence, sequence);
        response =
            IntPosFile::parse(response.toBytes() + "009-000 0\r\n#### \x01\x02 ####\r\n= =\r\n030-000\r\n");
        break;
    default: {
        const bool approved = rule.action == TefRule::Action::Approve;
        response.add(intpos::kHeader, header);
        response.add(intpos::kSequence, sequence);
        response.add(intpos::kCoupon, request.value(intpos::kCoupon));
        response.add(intpos::kAmount, amount);
        response.add(intpos::kStatus, approved ? QStringLiteral("0") : rule.status);
        if (approved) {
            response.add(intpos::kNsu, nsu);
            response.add(intpos::kAuthorization, nsu);
        }
        // A decline prints nothing unless its rule gives lines (some networks print a refusal slip).
        const QStringList slip =
            approved ? rule.receipt.value_or(defaultSlip(header, cents, nsu)) : rule.receipt.value_or(QStringList());
        response.add(intpos::kReceiptCount, QString::number(slip.size()));
        for (int i = 0; i < slip.size(); ++i)
            response.add(intpos::receiptLineKey(i + 1), QLatin1Char('"') + slip.at(i) + QLatin1Char('"'));
        response.add(intpos::kMessage, rule.message.value_or(approved ? QStringLiteral("Transacao aprovada")
                                                                      : QStringLiteral("Transacao negada")));
    }
    }
    response.addEnd();

    const qint64 due = m_clock.elapsed() + rule.delayMs;
    if (rule.otherSequenceFirst) {
        IntPosFile stray = IntPosFile::parse(response.toBytes().replace(
            ("001-000 = " + sequence + "\r\n").toLatin1(), ("001-000 = 9" + sequence + "\r\n").toLatin1()));
        m_queue << Output{stray.toBytes(), due, false, 0, false};
    }
    m_queue << Output{response.toBytes(), due, rule.split, rule.splitPauseMs, true};
    pump();
}

void TefManager::pump()
{
    while (!m_queue.isEmpty() && !m_splitting) {
        const Output& next = m_queue.first();
        const qint64 wait = next.notBefore - m_clock.elapsed();
        if (wait > 0) {
            m_wake.start(int(wait));
            return;
        }
        // The client has not taken the previous response yet.
        if (QFile::exists(path("resp/intpos.001")))
            return;
        if (next.split) {
            // The file stays open over the pause, as a slow writer holds it.
            m_splitFile = std::make_unique<QFile>(path("resp/intpos.001"));
            if (!m_splitFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                log(QStringLiteral("cannot write the response: %1").arg(m_splitFile->errorString()));
                m_splitFile.reset();
                return;
            }
            m_splitFile->write(next.bytes.left(next.bytes.size() / 2));
            m_splitFile->flush();
            m_splitting = true;
            QTimer::singleShot(next.splitPauseMs, this, &TefManager::finishSplit);
            return;
        }
        if (!writeFileWhole(path("resp/intpos.001"), next.bytes))
            return;
        const Output done = m_queue.takeFirst();
        outputDone(done);
    }
}

void TefManager::finishSplit()
{
    const Output output = m_queue.takeFirst();
    if (m_splitFile) {
        m_splitFile->write(output.bytes.mid(output.bytes.size() / 2));
        m_splitFile->close();
        m_splitFile.reset();
    }
    m_splitting = false;
    outputDone(output);
    scan();
}

void TefManager::outputDone(const Output& output)
{
    log(QStringLiteral("response written (%1 bytes)").arg(output.bytes.size()));
    if (output.endsRequest && m_once)
        emit finished();
}

} // namespace zel
