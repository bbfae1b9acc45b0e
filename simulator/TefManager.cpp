#include "TefManager.h"

#include "text/SharedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <unistd.h>

namespace zel {

namespace {

// A request still being written when it first shows up gets this long to be finished.
constexpr int kIncompleteGraceMs = 3000;
// At a stop, how long the answers still owed wait for the client to take the response before.
constexpr int kStopGraceMs = 3000;
// The administrative cancellation of an approval, pending or confirmed.
const QString kCancellation = QStringLiteral("CNC");
// Names whose presence at the start shows that an earlier run stopped half-way through a write.
constexpr const char* kWritingMark = "tef-manager-sim.writing";

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
    m_splitPause.setSingleShot(true);
    connect(&m_splitPause, &QTimer::timeout, this, &TefManager::finishSplit);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TefManager::scan);
    connect(&m_safety, &QTimer::timeout, this, &TefManager::scan);
    connect(&m_wake, &QTimer::timeout, this, &TefManager::scan);
    connect(&m_retry, &QTimer::timeout, this, &TefManager::scan);
}

bool TefManager::start(QString* error)
{
    if (QString why; !makeExchangeFolders(m_dir, &why)) {
        if (error)
            *error = why;
        return false;
    }
    clearUnfinished();
    m_approvals = tefapprovals::read(m_dir);
    // The root too: removing or making req/ or resp/ again shows there.
    m_watcher.addPath(m_dir);
    m_watcher.addPath(path("req"));
    m_watcher.addPath(path("resp"));
    m_safety.start();
    log(QStringLiteral("watching %1").arg(m_dir));
    QTimer::singleShot(0, this, &TefManager::scan);
    return true;
}

void TefManager::clearUnfinished()
{
    // Temporary files are named <file>.<random>.tmp beside the file they become.
    const QList<std::pair<const char*, QString>> temporaries = {
        {"resp", QStringLiteral("intpos.001.*.tmp")},
        {"resp", QStringLiteral("intpos.sts.*.tmp")},
        {"", QStringLiteral("tef-approvals.json.*.tmp")}};
    for (const auto& [folder, pattern] : temporaries) {
        const QDir dir(path(folder));
        for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::System | QDir::Hidden)) {
            if (QFile::remove(dir.filePath(name)))
                log(QStringLiteral("removed %1 left unfinished by an earlier run").arg(name));
        }
    }
    if (!QFile::exists(path(kWritingMark)))
        return;
    const auto half = readIntPosFile(path("resp/intpos.001"));
    if (half && !half->isComplete() && QFile::remove(path("resp/intpos.001"))) {
        log(QStringLiteral("removed a response an earlier run left half written"));
        // The till that sent the request may still be waiting for it: it gets a failure of its
        // sequence, ends its exchange and records nothing (an approval the earlier run listed
        // stays pending until the till's closing undoes it).
        const QString sequence = half->sequence().trimmed();
        if (!sequence.isEmpty()) {
            m_queue << failure(half->header().trimmed(), sequence, QStringLiteral("Transacao interrompida"));
            log(QStringLiteral("request %1 answered as interrupted").arg(sequence));
        }
    }
    QFile::remove(path(kWritingMark));
}

void TefManager::keepWatching()
{
    const QStringList watched = m_watcher.directories();
    for (const char* name : {"req", "resp"}) {
        const QString dir = path(name);
        if (!QFileInfo(dir).isDir() && !sharedfiles::makeFolder(dir))
            continue;
        if (!watched.contains(dir) && m_watcher.addPath(dir))
            log(QStringLiteral("watching %1 again").arg(dir));
    }
    if (!watched.contains(m_dir) && QFileInfo(m_dir).isDir())
        m_watcher.addPath(m_dir);
}

void TefManager::scan()
{
    keepWatching();
    pump();
    // One exchange at a time: a new request waits until the answers of the last are out.
    if (m_queue.isEmpty() && !m_splitting && !m_stopping)
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
    m_silentOwed.reset(); // a new request: the client has given up waiting for that one
    // The request is gone before the status says it was taken.
    QFile::remove(path("req/intpos.001"));
    IntPosFile status;
    status.add(intpos::kHeader, header);
    status.add(intpos::kSequence, sequence);
    status.addEnd();
    writeFileWhole(path("resp/intpos.sts"), status.toBytes());
}

TefManager::Output TefManager::failure(const QString& header, const QString& sequence, const QString& message)
{
    IntPosFile response;
    response.add(intpos::kHeader, QStringLiteral("XXX"));
    response.add(intpos::kSequence, sequence);
    response.add(intpos::kMessage, message);
    response.addEnd();
    Output output;
    output.bytes = response.toBytes();
    output.header = header;
    output.sequence = sequence;
    output.withdrawable = isTefPaymentHeader(header) || header == kCancellation;
    return output;
}

void TefManager::answerFailure(const QString& header, const QString& sequence, const QString& message)
{
    Output output = failure(header, sequence, message);
    output.notBefore = m_clock.elapsed();
    m_queue << output;
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
    if (header == QLatin1String("CNF") || header == QLatin1String("NCN")) {
        take(header, sequence);
        settle(request);
        return;
    }
    const bool payment = isTefPaymentHeader(header);
    if (!payment && header != kCancellation) {
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
        if (m_once && payment)
            emit finished();
        return;
    }
    take(header, sequence);
    if (rule.action == TefRule::Action::Silent) {
        m_silentOwed = failure(header, sequence, QString());
        if (m_once && payment)
            emit finished();
        return;
    }

    Reply reply;
    if (rule.action == TefRule::Action::Fail) {
        reply.response.add(intpos::kHeader, QStringLiteral("XXX"));
        reply.response.add(intpos::kSequence, sequence);
        reply.response.add(intpos::kMessage, rule.message.value_or(QStringLiteral("Falha na comunicacao")));
    } else if (rule.action == TefRule::Action::Malformed) {
        // Header and sequence are right, the fields are not: no status, no message.
        reply.response.add(intpos::kHeader, header);
        reply.response.add(intpos::kSequence, sequence);
        reply.response = IntPosFile::parse(reply.response.toBytes() +
                                           "009-000 0\r\n#### \x01\x02 ####\r\n= =\r\n030-000\r\n");
    } else {
        reply = payment ? paymentReply(request, rule, cents) : cancellationReply(request, rule, cents);
    }
    reply.response.addEnd();

    const qint64 due = m_clock.elapsed() + rule.delayMs;
    if (rule.otherSequenceFirst) {
        Output stray;
        stray.bytes = reply.response.toBytes().replace(("001-000 = " + sequence + "\r\n").toLatin1(),
                                                       ("001-000 = 9" + sequence + "\r\n").toLatin1());
        stray.notBefore = due;
        m_queue << stray;
    }
    m_queue << Output{
        reply.response.toBytes(), due, rule.split, rule.splitPauseMs, header, sequence, true, reply.approval};
    pump();
}

TefManager::Reply TefManager::paymentReply(const IntPosFile& request, const TefRule& rule, qint64 cents)
{
    const QString header = request.header();
    const QString sequence = request.sequence();
    const QString nsu = tefNsuOf(sequence);
    const bool approved = rule.action == TefRule::Action::Approve;
    Reply reply;
    IntPosFile& response = reply.response;
    response.add(intpos::kHeader, header);
    response.add(intpos::kSequence, sequence);
    response.add(intpos::kCoupon, request.value(intpos::kCoupon));
    response.add(intpos::kAmount, request.value(intpos::kAmount));
    response.add(intpos::kStatus, approved ? QStringLiteral("0") : rule.status);
    if (approved) {
        response.add(intpos::kNsu, nsu);
        response.add(intpos::kAuthorization, nsu);
    }
    // A decline prints nothing unless its rule gives lines (some networks print a refusal slip).
    QStringList slip = approved ? rule.receipt.value_or(defaultSlip(header, cents, nsu))
                                : rule.receipt.value_or(QStringList());
    // A rule's slip names the amount and the NSU of each exchange by "{valor}" and "{nsu}".
    for (QString& line : slip)
        line.replace(QLatin1String("{valor}"), amountText(cents)).replace(QLatin1String("{nsu}"), nsu);
    response.add(intpos::kReceiptCount, QString::number(slip.size()));
    for (int i = 0; i < slip.size(); ++i)
        response.add(intpos::receiptLineKey(i + 1), QLatin1Char('"') + slip.at(i) + QLatin1Char('"'));
    response.add(intpos::kMessage, rule.message.value_or(approved ? QStringLiteral("Transacao aprovada")
                                                                  : QStringLiteral("Transacao negada")));
    if (approved) {
        // Receipt lines to print wait for the till's confirmation; without them the payment
        // is recorded with nothing to print, and needs none.
        reply.approval = ManagerApproval{
            sequence, cents,
            slip.isEmpty() ? ManagerApproval::State::Confirmed : ManagerApproval::State::Pending, nsu};
    }
    return reply;
}

TefManager::Reply TefManager::cancellationReply(const IntPosFile& request, const TefRule& rule, qint64 cents)
{
    const QString sequence = request.sequence();
    const QString target = request.value(intpos::kTarget);
    const QString nsu = request.value(intpos::kNsu);
    Reply reply;
    QString status = QStringLiteral("0");
    QString message;
    if (rule.action == TefRule::Action::Decline) {
        status = rule.status;
        message = rule.message.value_or(QStringLiteral("Cancelamento negado"));
    } else {
        auto it = std::find_if(m_approvals.begin(), m_approvals.end(),
                               [&](const ManagerApproval& a) { return a.sequence == target; });
        // Each refusal names what the till got wrong; the approval stays as it was.
        if (target.isEmpty() || it == m_approvals.end())
            message = QStringLiteral("Transacao desconhecida");
        else if (it->cents != cents)
            message = QStringLiteral("Valor nao confere");
        else if (it->nsu != nsu)
            message = QStringLiteral("NSU nao confere");
        else if (it->state == ManagerApproval::State::Undone)
            message = QStringLiteral("Transacao ja desfeita");
        if (!message.isEmpty()) {
            status = QStringLiteral("1");
        } else {
            // Done again when it was already: the till that never read the first answer asks again.
            message = rule.message.value_or(QStringLiteral("Transacao cancelada"));
            if (it->state != ManagerApproval::State::Cancelled) {
                reply.approval = *it;
                reply.approval->state = ManagerApproval::State::Cancelled;
            }
        }
    }
    log(QStringLiteral("CNC %1 of %2: %3")
            .arg(sequence, target, status == QLatin1String("0") ? QStringLiteral("done") : message));
    IntPosFile& response = reply.response;
    response.add(intpos::kHeader, kCancellation);
    response.add(intpos::kSequence, sequence);
    response.add(intpos::kAmount, request.value(intpos::kAmount));
    response.add(intpos::kStatus, status);
    response.add(intpos::kNsu, nsu);
    response.add(intpos::kTarget, target);
    response.add(intpos::kReceiptCount, QStringLiteral("0"));
    response.add(intpos::kMessage, message);
    return reply;
}

void TefManager::settle(const IntPosFile& request)
{
    const QString header = request.header();
    const QString sequence = request.sequence();
    const QString target = request.value(intpos::kTarget);
    const bool confirm = header == QLatin1String("CNF");
    const auto wanted = confirm ? ManagerApproval::State::Confirmed : ManagerApproval::State::Undone;
    QString refusal;
    auto it = std::find_if(m_approvals.begin(), m_approvals.end(),
                           [&](const ManagerApproval& a) { return a.sequence == target; });
    if (target.isEmpty() || it == m_approvals.end()) {
        refusal = QStringLiteral("Transacao %1 desconhecida").arg(target);
    } else if (it->state == ManagerApproval::State::Pending) {
        ManagerApproval settled = *it;
        settled.state = wanted;
        recordApproval(settled);
    } else if (it->state == ManagerApproval::State::Cancelled) {
        refusal = QStringLiteral("Transacao %1 ja cancelada").arg(target);
    } else if (it->state != wanted) {
        refusal = confirm ? QStringLiteral("Transacao %1 ja desfeita").arg(target)
                          : QStringLiteral("Transacao %1 ja confirmada").arg(target);
    }
    log(QStringLiteral("%1 %2 of %3: %4")
            .arg(header, sequence, target, refusal.isEmpty() ? QStringLiteral("done") : refusal));
    IntPosFile response;
    response.add(intpos::kHeader, header);
    response.add(intpos::kSequence, sequence);
    response.add(intpos::kTarget, target);
    response.add(intpos::kStatus, refusal.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"));
    response.add(intpos::kMessage, refusal.isEmpty() ? (confirm ? QStringLiteral("Transacao confirmada")
                                                                : QStringLiteral("Transacao desfeita"))
                                                     : refusal);
    response.addEnd();
    m_queue << Output{response.toBytes(), m_clock.elapsed(), false, 0, header, sequence, false, {}};
    pump();
}

void TefManager::recordApproval(const ManagerApproval& approval)
{
    auto it = std::find_if(m_approvals.begin(), m_approvals.end(),
                           [&](const ManagerApproval& a) { return a.sequence == approval.sequence; });
    if (it == m_approvals.end())
        m_approvals << approval;
    else
        *it = approval;
    log(QStringLiteral("approval %1 (%2): %3")
            .arg(approval.sequence, QString::number(approval.cents), tefApprovalStateName(approval.state)));
    if (!tefapprovals::write(m_dir, m_approvals))
        log(QStringLiteral("cannot write %1").arg(tefapprovals::path(m_dir)));
}

void TefManager::pump()
{
    while (!m_queue.isEmpty() && !m_splitting) {
        Output& next = m_queue.first();
        const qint64 wait = next.notBefore - m_clock.elapsed();
        if (wait > 0) {
            m_wake.start(int(wait));
            return;
        }
        // The client has not taken the previous response yet.
        if (QFile::exists(path("resp/intpos.001")))
            return;
        // The approval is listed before the client can read it: a client that has the answer
        // finds the approval in the list (to confirm or undo it) at once.
        if (next.approval) {
            recordApproval(*next.approval);
            next.approval.reset();
        }
        if (next.split && !m_stopping) {
            // The file stays open over the pause, as a slow writer holds it. The mark tells a
            // later run, should this one be killed in the pause, that the file is its own.
            // Both are created anew, never through a link someone planted under either name.
            QString error;
            QFile::remove(path(kWritingMark));
            if (const int mark = sharedfiles::createExclusive(path(kWritingMark), 0660, &error); mark >= 0)
                ::close(mark);
            const int fd = sharedfiles::createExclusive(path("resp/intpos.001"), 0660, &error);
            m_splitFile = std::make_unique<QFile>();
            if (fd < 0 || !m_splitFile->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
                log(QStringLiteral("cannot write the response: %1")
                        .arg(fd < 0 ? error : m_splitFile->errorString()));
                if (fd >= 0)
                    ::close(fd);
                m_splitFile.reset();
                return;
            }
            m_splitFile->write(next.bytes.left(next.bytes.size() / 2));
            m_splitFile->flush();
            m_splitting = true;
            m_splitPause.start(next.splitPauseMs);
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
    QFile::remove(path(kWritingMark));
    m_splitting = false;
    outputDone(output);
    if (!m_stopping)
        scan();
}

void TefManager::outputDone(const Output& output)
{
    log(QStringLiteral("response written (%1 bytes)").arg(output.bytes.size()));
    if (output.withdrawable && isTefPaymentHeader(output.header) && m_once && !m_stopping)
        emit finished();
}

void TefManager::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    log(QStringLiteral("stopping"));
    m_safety.stop();
    m_retry.stop();
    m_wake.stop();
    // A response half written is finished: the client may already have read its first lines.
    if (m_splitting) {
        m_splitPause.stop();
        finishSplit();
    }
    // The payment and cancellation answers still owed are withdrawn: each becomes a failure,
    // written now, so the till ends its exchange, no approval it never read is given and no
    // approval is cancelled without its word. Other answers (a confirmation already settled)
    // go out as they are. Stray responses are dropped.
    QList<Output> owed;
    for (const Output& output : std::as_const(m_queue)) {
        if (output.sequence.isEmpty())
            continue;
        owed << (output.withdrawable
                     ? failure(output.header, output.sequence, QStringLiteral("Gerenciador TEF encerrado"))
                     : output);
        owed.last().notBefore = 0;
    }
    if (m_silentOwed) {
        owed << failure(m_silentOwed->header, m_silentOwed->sequence,
                        QStringLiteral("Gerenciador TEF encerrado"));
        m_silentOwed.reset();
    }
    m_queue = owed;
    m_stopDeadline = m_clock.elapsed() + kStopGraceMs;
    drainForStop();
}

void TefManager::drainForStop()
{
    pump();
    if (!m_queue.isEmpty() && m_clock.elapsed() < m_stopDeadline) {
        // The client has yet to take the response before: give it a moment.
        QTimer::singleShot(50, this, &TefManager::drainForStop);
        return;
    }
    for (const Output& output : std::as_const(m_queue))
        log(QStringLiteral("request %1 left unanswered: resp/intpos.001 was never taken away")
                .arg(output.sequence));
    emit finished();
}

} // namespace zel
