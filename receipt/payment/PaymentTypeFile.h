#pragma once

#include "text/Result.h"

#include <QHash>
#include <QString>

namespace zel {

class DataSet;

// The branch's full payment-type table, kept by the host in the data file "tiporece.cds" of the
// data directory (a data file of the dataset layer). The receipt reads only its CDTIPORECE and
// IDTIPORECE fields, for the largest-change rule.
namespace paymentTypes {

QString filePath(const QString& dataDir);

// The payment kind (IDTIPORECE) of each payment type (CDTIPORECE), loaded through `table`
// (index idxCdTipoRece on CDTIPORECE), which is closed again. A missing file, a file that is
// not a data file or lacks either field is an error value.
Result<QHash<QString, QString>> readKinds(DataSet& table, const QString& dataDir);

} // namespace paymentTypes
} // namespace zel
