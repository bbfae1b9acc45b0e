#pragma once

#include "dataset/DataSet.h"
#include "dialogs/Dialogs.h"

#include <QString>
#include <optional>

namespace zel {

// Throws DataSetError naming the fields of the lookups that the receipt's client or consumer
// table lacks, so a table the host sent without them fails once, clearly, before any lookup.
void requireClientFields(const DataSet& clientes);
void requireConsumerFields(const DataSet& consumidores);

// A client row of the receipt's client table, as the consumer unit keeps it.
struct ClientFound
{
    QString cdCliente;    // CDCLIENTE
    QString nmCliente;    // NMRAZSOCCLIE
    QString nmFantClie;   // NMFANTCLIE
    QString nrInsJurClie; // NRINSJURCLIE under the mask of its person type
    bool operator==(const ClientFound&) const = default;
};

// Finds the client the operator typed: first as a taxpayer number, brought to its stored form
// and looked up with the person type that form implies ("IDTPIJURCLIE;NRINSJURCLIE"); then as
// the external client code exactly as typed ("CDEXCLIENTE"). Leaves the cursor on the client
// found. A table without those fields throws DataSetError.
std::optional<ClientFound> findClient(DataSet& clientes, const QString& typed);

// Which code of the consumer row matched.
enum class ConsumerKey { Identification, Code, ExternalCode };

struct ConsumerFound
{
    QString cdConsumidor; // CDCONSUMIDOR
    QString nmConsumidor; // NMCONSUMIDOR
    ConsumerKey key = ConsumerKey::Code;
    bool operator==(const ConsumerFound&) const = default;
};

// Finds a consumer of the client `cdCliente` whose identification code, consumer code or
// external consumer code (tried in that order, the first hit wins) is `code`. Rows of other
// clients never count. Leaves the cursor on the consumer found.
std::optional<ConsumerFound> findConsumer(DataSet& consumidores, const QString& cdCliente,
                                          const QString& code);

// The rows of one client: compares the CDCLIENTE field with the code as a value, so nothing in
// the code (a quote, a blank, an operator) can change which rows pass.
FilterPredicate consumersOfClient(const QString& cdCliente);
// The rows of one client, taken from the consumer table by key (not a copy of every client's
// consumers): what the consumer search is given.
DataPacket consumerRowsOfClient(DataSet& consumidores, const QString& cdCliente);
// The description shown for that filter.
QString consumersOfClientText(const QString& cdCliente);

// A stored taxpayer number under the edit mask of its person type; other types leave it as it
// is. No number (empty or blanks) gives an empty text, never the mask's blanks.
QString maskedTaxpayerNumber(const QString& personType, const QString& number);

// The client search shows NRINSJURCLIE masked with the IDTPIJURCLIE of the same row; other
// fields as the search shows them by default.
FieldText clientSearchText();

// The search copies the form owns, with their persistent fields.
QList<FieldDef> clientSearchFields();
QList<FieldDef> consumerSearchFields();

} // namespace zel
