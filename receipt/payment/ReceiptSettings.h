#pragma once

#include <QSettings>
#include <QString>

namespace zel {

// The one place the module's settings live: the system-scope store of organisation "KORVANA",
// application "Sistemas Integrados Korvana"; the receipt's keys are in its group "Vormel".
class SettingsStore : public QSettings
{
public:
    SettingsStore()
        : QSettings(QSettings::SystemScope, QStringLiteral("KORVANA"),
                    QStringLiteral("Sistemas Integrados Korvana"))
    {
    }
};
// A key of the receipt's group: "Vormel/<name>".
inline QString settingKey(const QString& name)
{
    return QStringLiteral("Vormel/") + name;
}

// The receipt's own settings, read from the same settings store and group as the fiscal
// printer's switch (system scope, KORVANA / "Sistemas Integrados Korvana", group "Vormel").
// A missing key leaves its text empty, which keeps its feature off.
struct ReceiptSettings
{
    QString usaTEF;            // "UsaTEF": "S" sends card payments through the TEF exchange
    QString usaTEFCheque;      // "UsaTEFCheque": "S" sends cheques through it
    QString pcMaxTroco;        // "PcMaxTroco": the largest change, as a percentage of ticket payments
    QString uidGerenciadorTEF; // "UidGerenciadorTEF": the TEF manager's account (id or name);
                               // empty: the till's own
};

ReceiptSettings readReceiptSettings();

} // namespace zel
