#pragma once

#include <QString>

namespace zel::pixsim {

// The copy-and-paste text of a dynamic charge, as the provider would hand it out: the EMV
// merchant-presented layout (two-digit id, two-digit length, value), the Pix account naming
// the charge's location, and the CRC16 at the end. Written here on purpose and not with the
// module's own composer: the simulator stands for the provider, and a code both sides wrote
// with the same routine would prove nothing about either.
QString dynamicPayload(const QString& location, const QString& receiverName, const QString& city);

// CRC16/CCITT-FALSE (polynomial 0x1021, start 0xFFFF) of `text`, as four upper-case hex digits.
QString payloadCrc(const QByteArray& text);

} // namespace zel::pixsim
