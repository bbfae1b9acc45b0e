#include "PaymentTypeFile.h"

#include "dataset/DataSet.h"
#include "receipt/payment/ReceiptMessages.h"

#include <QDir>
#include <QFileInfo>

namespace zel::paymentTypes {

namespace {
const QString kIndex = QStringLiteral("idxCdTipoRece");
const QString kCode = QStringLiteral("CDTIPORECE");
const QString kKind = QStringLiteral("IDTIPORECE");
} // namespace

QString filePath(const QString& dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("tiporece.cds"));
}

Result<QHash<QString, QString>> readKinds(DataSet& table, const QString& dataDir)
{
    const QString path = filePath(dataDir);
    if (!QFileInfo::exists(path))
        return Error{receiptMessages().Msg(QStringLiteral("ArquivoAusente")).arg(path)};
    table.close();
    if (const Status loaded = table.loadFromFile(path); !loaded)
        return Error{QStringLiteral("%1: %2").arg(path, loaded.errorMessage())};
    QHash<QString, QString> kinds;
    if (!table.hasField(kCode) || !table.hasField(kKind)) {
        table.close();
        return Error{receiptMessages().Msg(QStringLiteral("ArquivoSemCampos")).arg(path, kCode, kKind)};
    }
    bool indexed = false;
    for (const IndexDef& index : table.indexDefs())
        indexed = indexed || index.name == kIndex;
    if (!indexed)
        table.addIndex(IndexDef{kIndex, {kCode}});
    table.setIndexName(kIndex);
    for (table.first(); !table.eof(); table.next()) {
        const QString code = table.fieldByName(kCode).asString();
        if (!kinds.contains(code))
            kinds.insert(code, table.fieldByName(kKind).asString());
    }
    table.close();
    return kinds;
}

} // namespace zel::paymentTypes
