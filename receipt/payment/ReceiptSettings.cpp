#include "ReceiptSettings.h"

#include <QSettings>

namespace zel {

ReceiptSettings readReceiptSettings()
{
    QSettings settings(QSettings::SystemScope, QStringLiteral("KORVANA"),
                       QStringLiteral("Sistemas Integrados Korvana"));
    ReceiptSettings result;
    if (settings.status() != QSettings::NoError)
        return result;
    settings.beginGroup(QStringLiteral("Vormel"));
    const auto text = [&settings](const QString& key) {
        return settings.contains(key) ? settings.value(key).toString() : QString();
    };
    result.usaTEF = text(QStringLiteral("UsaTEF"));
    result.usaTEFCheque = text(QStringLiteral("UsaTEFCheque"));
    result.pcMaxTroco = text(QStringLiteral("PcMaxTroco"));
    result.uidGerenciadorTEF = text(QStringLiteral("UidGerenciadorTEF")).trimmed();
    return result;
}

} // namespace zel
