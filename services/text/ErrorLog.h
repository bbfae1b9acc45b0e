#pragma once

#include <QLoggingCategory>
#include <QString>

// What went wrong, for the host as well as for the operator. Every refusal and device failure the
// module shows the operator is also logged under one of these categories, so a host can route or
// silence them with QLoggingCategory's rules ("zel.*.warning=false"), and the last one is kept for
// the host to read (LastError in the module's header) after a call answered false.
Q_DECLARE_LOGGING_CATEGORY(lcReceipt) // "zel.receipt": the receipt, its totals and its commands
Q_DECLARE_LOGGING_CATEGORY(lcTef)     // "zel.tef": the card exchange with the TEF manager
Q_DECLARE_LOGGING_CATEGORY(lcDevices) // "zel.devices": the fiscal printer and the other devices

namespace zel {

struct ErrorRecord
{
    QString code; // the catalogue key of the text: stable, for a host to act on
    QString text; // the text the operator read, in Portuguese
};

// Logs the error under `category` as a warning and keeps it as the last one.
void reportError(const QLoggingCategory& category, const QString& code, const QString& text);
// The last error reported since clearLastError; empty code and text when none was.
ErrorRecord lastError();
void clearLastError();

} // namespace zel
