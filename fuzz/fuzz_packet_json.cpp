// The JSON codec of data packets: any input gives a packet or an error value, never a crash;
// a packet it accepts survives writing and reading back, and a dataset takes it as it is.

#include "dataset/DataSet.h"
#include "dataset/PacketJson.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("TZ", "UTC"); // local date-times have no gap or overlap to trip the round trip
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto packet = zel::packetFromJsonText(text);
    if (!packet.ok()) {
        if (packet.errorMessage().isEmpty())
            std::abort(); // an error must say what is wrong
        return 0;
    }
    for (auto format : {QJsonDocument::Compact, QJsonDocument::Indented}) {
        const auto again = zel::packetFromJsonText(zel::packetToJsonText(*packet, format));
        if (!again.ok() || !(again.value() == packet.value()))
            std::abort();
    }
    zel::DataSet ds;
    try {
        ds.setData(*packet);
    } catch (const zel::DataSetError&) {
        if (!packet->fields.isEmpty())
            std::abort(); // a packet with fields the codec accepted must fit a dataset
        return 0;
    }
    if (!(ds.data() == packet.value()))
        std::abort();
    return 0;
}
