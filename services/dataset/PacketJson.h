#pragma once

// Data packets as JSON, for hosts, scenario files and the demo:
//
//   {"fields": [{"name": "CDTIPORECE", "type": "string", "size": 3,
//                "label": "Tipo", "format": "", "visible": true}, ...],
//    "rows":   [["001", 12.5, null, "2026-12-07T10:00:00"],
//               {"CDTIPORECE": "002", "VRMOVIVEND": 3}]}
//
// Types: string, integer, float, date, datetime, boolean. A row is an array in field order or
// an object keyed by field name (missing fields are null). Dates are "yyyy-MM-dd", date-times
// ISO 8601 in local time ("yyyy-MM-ddTHH:mm:ss[.zzz]"; an offset or "Z" is converted).
// Only "name" and "type" are required of a field; "rows" may be left out.

#include "DataPacket.h"
#include "text/Result.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zel {

QJsonObject packetToJsonObject(const DataPacket& packet);
QJsonDocument packetToJson(const DataPacket& packet);
QByteArray packetToJsonText(const DataPacket& packet,
                            QJsonDocument::JsonFormat format = QJsonDocument::Indented);

// Unknown types or members, values of the wrong type, rows of the wrong length, text longer
// than its field's size and missing required members are error values that say where.
Result<DataPacket> packetFromJson(const QJsonValue& value);
Result<DataPacket> packetFromJson(const QJsonDocument& document);
Result<DataPacket> packetFromJsonText(const QByteArray& text);

} // namespace zel
