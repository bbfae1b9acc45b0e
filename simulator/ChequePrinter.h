#pragma once

#include "SimulatorConfig.h"

#include <QString>
#include <QStringList>

namespace zel {

// The simulated cheque printer: it prints nothing and logs every text it receives, with
// control characters named ("<ESC>B001"), in memory and appended to a log file.
//
// Kind 1 takes texts (ImpChqChar), kind 2 takes commands (EnviaComImpChq); a text or
// command for the other kind, or any with no cheque printer configured, is logged as
// refused and fails: false, or -1 for a command. A command answers the number of
// characters it delivered.
class ChequePrinter
{
public:
    ChequePrinter(int kind, QString logPath);

    int kind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    const ChequeFaults& faults() const { return m_faults; }
    void setFaults(const ChequeFaults& faults) { m_faults = faults; }

    bool printText(const QString& text);
    int sendCommand(const QString& command);
    bool acknowledge(int result);
    bool close(bool opcao1, bool opcao2);

    // Every entry so far, oldest first, e.g. "ImpChqChar <ESC>B001".
    const QStringList& log() const { return m_log; }
    int lastResult() const { return m_lastResult; }
    QString logPath() const { return m_logPath; }

private:
    void append(const QString& entry);

    int m_kind;
    ChequeFaults m_faults;
    QString m_logPath;
    QStringList m_log;
    int m_lastResult = 0;
};

} // namespace zel
