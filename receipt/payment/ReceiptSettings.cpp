#include "ReceiptSettings.h"

namespace zel {

ReceiptSettings readReceiptSettings()
{
    const SettingsStore settings;
    ReceiptSettings result;
    if (settings.status() != QSettings::NoError)
        return result;
    const auto text = [&settings](const QString& name) {
        const QString key = settingKey(name);
        return settings.contains(key) ? settings.value(key).toString() : QString();
    };
    result.usaTEF = text(QStringLiteral("UsaTEF"));
    result.usaTEFCheque = text(QStringLiteral("UsaTEFCheque"));
    result.pcMaxTroco = text(QStringLiteral("PcMaxTroco"));
    result.uidGerenciadorTEF = text(QStringLiteral("UidGerenciadorTEF")).trimmed();
    return result;
}

} // namespace zel
