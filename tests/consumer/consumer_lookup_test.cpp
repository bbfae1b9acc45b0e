#include "consumer/ConsumerLookup.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

DataSet& table(DataSet& ds, const QStringList& names, const QList<QStringList>& rows)
{
    QList<FieldDef> fields;
    for (const QString& n : names)
        fields.append(FieldDef{n, FieldType::String, 30});
    DataPacket packet{fields, {}};
    for (const QStringList& r : rows) {
        Row row;
        for (const QString& v : r)
            row.append(v.isNull() ? QVariant() : QVariant(v));
        packet.rows.append(row);
    }
    ds.setData(packet);
    return ds;
}

const QStringList kClientFields{"CDCLIENTE",   "IDTPIJURCLIE", "NRINSJURCLIE",
                                "CDEXCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE"};
const QStringList kConsumerFields{"CDCLIENTE", "CDIDCONSUMID", "CDCONSUMIDOR", "CDEXCONSUMID",
                                  "NMCONSUMIDOR"};

class Lookups : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table(clientes, kClientFields,
              {{"C1", "J", "11222333000181", "501", "Alfa Refeicoes Ltda", "Alfa"},
               {"C2", "F", "52998224725", "502", "Bruno Costa", "Bruno"},
               // An external code that looks like a CPF: the taxpayer number of C2 wins.
               {"C3", "J", "45723174000110", "52998224725", "Gama SA", "Gama"},
               {"C4", "F", "39053344705", "A-7", "Delta", "Delta"},
               // Clients without a taxpayer number, with or without a person type.
               {"C5", "J", "", "505", "Epsilon Ltda", "Epsilon"},
               {"C6", "F", "   ", "506", "Zeta", "Zeta"},
               {"C7", "", "", "507", "Eta", "Eta"}});
        table(consumidores, kConsumerFields,
              {{"C1", "9002", "55", "E55", "Davi"},
               {"C1", "55", "21", "E21", "Carla"},
               {"C1", "9001", "11", "E11", "Ana"},
               {"C2", "7001", "31", "33", "Eva"},
               {"C1", "9003", "12", "31", "Fabio"}});
    }

    DataSet clientes;
    DataSet consumidores;
};

} // namespace

TEST_F(Lookups, ClientByTaxpayerNumberInAnyPunctuationOrByExternalCode)
{
    const struct
    {
        const char* typed;
        const char* client; // "" for none
    } cases[] = {
        {"11222333000181", "C1"},
        {"11.222.333/0001-81", "C1"},
        {"529.982.247-25", "C2"},
        {"52998224725", "C2"},
        {"501", "C1"},
        {"A-7", "C4"},
        {"a-7", ""},
        {"5299822472", ""},
        {"C1", ""},
        {"505", "C5"},
        // Punctuation alone is no taxpayer number, not even the missing one of C7.
        {"-", ""},
        {"./", ""},
    };
    for (const auto& c : cases) {
        const auto found = findClient(clientes, c.typed);
        EXPECT_EQ(found ? found->cdCliente : QString(), QString::fromLatin1(c.client)) << c.typed;
    }
}

TEST_F(Lookups, TheTaxpayerNumberGoesUnderItsMaskAndNoNumberGivesNoText)
{
    const struct
    {
        const char* typed;
        const char* number;
    } cases[] = {
        {"501", "11.222.333/0001-81"},
        {"502", "529.982.247-25"},
        {"A-7", "390.533.447-05"},
        {"505", ""},
        {"506", ""},
        {"507", ""},
    };
    for (const auto& c : cases) {
        const auto found = findClient(clientes, c.typed);
        ASSERT_TRUE(found) << c.typed;
        EXPECT_EQ(found->nrInsJurClie, QString::fromLatin1(c.number)) << c.typed;
    }
}

TEST_F(Lookups, ConsumerCodesTriedInOrderWithinTheClientOnly)
{
    const struct
    {
        const char* client;
        const char* code;
        const char* consumer; // "" for none
        ConsumerKey key;
    } cases[] = {
        // "55" is the identification code of Carla and the consumer code of Davi, who comes
        // first in the table: the identification code wins.
        {"C1", "55", "21", ConsumerKey::Identification},
        {"C1", "11", "11", ConsumerKey::Code},
        {"C1", "E11", "11", ConsumerKey::ExternalCode},
        {"C1", "9001", "11", ConsumerKey::Identification},
        // "31" is Eva's consumer code, but Eva belongs to C2; for C1 it is Fabio's external code.
        {"C1", "31", "12", ConsumerKey::ExternalCode},
        {"C2", "31", "31", ConsumerKey::Code},
        {"C2", "11", "", ConsumerKey::Code},
        {"C3", "55", "", ConsumerKey::Code},
        {"", "55", "", ConsumerKey::Code},
    };
    for (const auto& c : cases) {
        const auto found = findConsumer(consumidores, c.client, c.code);
        EXPECT_EQ(found ? found->cdConsumidor : QString(), QString::fromLatin1(c.consumer))
            << c.client << " " << c.code;
        if (found) {
            EXPECT_EQ(found->key, c.key) << c.client << " " << c.code;
        }
    }
    const auto carla = findConsumer(consumidores, "C1", "55");
    ASSERT_TRUE(carla);
    EXPECT_EQ(carla->nmConsumidor, QString("Carla"));
}

TEST_F(Lookups, ConsumerFilterComparesTheClientCodeAsAValue)
{
    table(consumidores, kConsumerFields,
          {{"O'Brien", "1", "1", "1", "Quote"},
           {"X", "2", "2", "2", "Other"},
           {"O'Brien' OR '1'='1", "3", "3", "3", "Injected"},
           {"", "4", "4", "4", "Empty"},
           {QString(), "5", "5", "5", "Null"}});
    const struct
    {
        QString client;
        QStringList names;
    } cases[] = {
        {"O'Brien", {"Quote"}},  {"O'Brien' OR '1'='1", {"Injected"}}, {"' OR ''='", {}}, {"X", {"Other"}},
        {"", {"Empty", "Null"}},
    };
    for (const auto& c : cases) {
        consumidores.setFilter(consumersOfClient(c.client), consumersOfClientText(c.client));
        consumidores.setFiltered(true);
        QStringList names;
        for (consumidores.first(); !consumidores.eof(); consumidores.next())
            names.append(consumidores.value("NMCONSUMIDOR").toString());
        EXPECT_EQ(names, c.names) << c.client.toStdString();
    }
    EXPECT_EQ(consumersOfClientText("O'Brien"), QString("CDCLIENTE = 'O'Brien'"));
}

TEST(ClientSearchText, MasksTheTaxpayerNumberWithTheTypeOfItsRow)
{
    DataSet copy(clientSearchFields());
    DataPacket rows{clientSearchFields(),
                    {{"11222333000181", "Alfa", "C1", "J"},
                     {"52998224725", "Bruno", "C2", "F"},
                     {"123", "Sem tipo", "C3", QVariant()},
                     {QVariant(), "Sem numero", "C4", "F"},
                     {"", "Numero vazio", "C5", "J"}}};
    copy.setRows(rows);
    const FieldText text = clientSearchText();
    QStringList numbers, names;
    for (copy.first(); !copy.eof(); copy.next()) {
        numbers.append(text(copy, copy.fieldDefs()[0]));
        names.append(text(copy, copy.fieldDefs()[1]));
    }
    EXPECT_EQ(numbers, QStringList({"11.222.333/0001-81", "529.982.247-25", "123", "", ""}));
    EXPECT_EQ(names, QStringList({"Alfa", "Bruno", "Sem tipo", "Sem numero", "Numero vazio"}));
}
