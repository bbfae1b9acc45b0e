#include "ChequePrinter.h"

#include "devices/ControlText.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

namespace zel {

ChequePrinter::ChequePrinter(int kind, QString logPath) : m_kind(kind), m_logPath(std::move(logPath)) {}

void ChequePrinter::append(const QString& entry)
{
    m_log << entry;
    if (m_logPath.isEmpty())
        return;
    QFile file(m_logPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        qWarning("cheque printer: cannot append to %s: %s", qPrintable(m_logPath),
                 qPrintable(file.errorString()));
        return;
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << entry << '\n';
}

namespace {

// Why a text or command is refused: the wrong kind of printer, a simulated fault, or nothing.
QString refusal(bool rightKind, int kind, Fault& fault)
{
    if (!rightKind)
        return QStringLiteral(" [recusado: impressora de tipo %1]").arg(kind);
    if (fault.trip())
        return QStringLiteral(" [falha simulada]");
    return {};
}

} // namespace

bool ChequePrinter::printText(const QString& text)
{
    const QString refused = refusal(m_kind == 1, m_kind, m_faults.refuseText);
    append(QStringLiteral("ImpChqChar ") + showControlChars(text) + refused);
    return refused.isEmpty();
}

int ChequePrinter::sendCommand(const QString& command)
{
    const QString refused = refusal(m_kind == 2, m_kind, m_faults.refuseCommand);
    append(QStringLiteral("EnviaComImpChq ") + showControlChars(command) + refused);
    m_lastResult = refused.isEmpty() ? int(command.size()) : -1;
    return m_lastResult;
}

bool ChequePrinter::acknowledge(int result)
{
    append(QStringLiteral("Retorno_Imp %1").arg(result));
    return result >= 0;
}

bool ChequePrinter::close(bool opcao1, bool opcao2)
{
    const QString refused = refusal(m_kind == 1 || m_kind == 2, m_kind, m_faults.refuseClose);
    append(QStringLiteral("Fecha_Imp_Chq_Sweda %1 %2")
               .arg(opcao1 ? QStringLiteral("true") : QStringLiteral("false"),
                    opcao2 ? QStringLiteral("true") : QStringLiteral("false")) +
           (refused.startsWith(QLatin1String(" [falha")) ? refused : QString()));
    return refused.isEmpty();
}

} // namespace zel
