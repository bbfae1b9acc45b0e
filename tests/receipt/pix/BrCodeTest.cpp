// The BR Code the till composes for a static charge: the Central Bank's published examples
// byte for byte, names and cities written as the manual recommends, the charges it refuses,
// and compose → read over many generated charges.

#include "BrCodeTestSupport.h"
#include "receipt/pix/PixMessages.h"

#include <QRandomGenerator>
#include <QUuid>
#include <gtest/gtest.h>

namespace zel::pix {
namespace {

struct CrcCase
{
    const char* name;
    QByteArray data;
    quint16 crc;
    friend void PrintTo(const CrcCase& c, std::ostream* os) { *os << c.name; }
};

class Crc16 : public ::testing::TestWithParam<CrcCase>
{
};

TEST_P(Crc16, CcittFalse)
{
    EXPECT_EQ(crc16Ccitt(GetParam().data), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Crc16,
    ::testing::Values(
        // The catalogue check value of CRC-16/CCITT-FALSE.
        CrcCase{"checkValue", "123456789", 0x29B1},
        // The Central Bank's static and dynamic examples, up to and including "6304".
        CrcCase{"manualStatic",
                "00020126580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-4266554400005204000053039865802BR"
                "5913Fulano de Tal6008BRASILIA62070503***6304",
                0x1D3D},
        CrcCase{
            "manualDynamic",
            "00020101021226770014BR.GOV.BCB.PIX2555pix.example.com/qr/93598be0-1bd0-4997-8318-81776a1d8a99"
            "5204000053039865802BR5907EMPRESA6009SAO PAULO62070503***6304",
            0xEEAB}),
    [](const auto& info) { return std::string(info.param.name); });

// A published code with the fields it was made of and what a reader finds in it.
struct PublishedCase
{
    const char* name;
    QString payload;
    std::optional<StaticCharge> charge; // the static codes: the till composes them itself
    BrCode read;
    friend void PrintTo(const PublishedCase& c, std::ostream* os) { *os << c.name; }
};

// The Central Bank's static example (a random key, no amount) and its dynamic one (a
// location, single use, the GUI in capitals), and a code assembled by hand with every field
// the till writes, its CRC worked out apart from this code.
const PublishedCase kManualStatic{
    "manualStatic",
    "00020126580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-4266554400005204000053039865802BR"
    "5913Fulano de Tal6008BRASILIA62070503***63041D3D",
    StaticCharge{"123e4567-e12b-12d1-a456-426655440000", 0, "Fulano de Tal", "BRASILIA", {}, {}},
    BrCode{"br.gov.bcb.pix",
           "123e4567-e12b-12d1-a456-426655440000",
           {},
           {},
           std::nullopt,
           "Fulano de Tal",
           "BRASILIA",
           "***",
           false}};

const PublishedCase kManualDynamic{
    "manualDynamic",
    "00020101021226770014BR.GOV.BCB.PIX2555pix.example.com/qr/93598be0-1bd0-4997-8318-81776a1d8a99"
    "5204000053039865802BR5907EMPRESA6009SAO PAULO62070503***6304EEAB",
    std::nullopt,
    BrCode{"BR.GOV.BCB.PIX",
           {},
           {},
           "pix.example.com/qr/93598be0-1bd0-4997-8318-81776a1d8a99",
           std::nullopt,
           "EMPRESA",
           "SAO PAULO",
           "***",
           true}};

const PublishedCase kEveryField{
    "everyField",
    "00020126470014br.gov.bcb.pix0114+55619987654320207Mesa 12520400005303986540510.505802BR"
    "5917Restaurante Sabor6006Recife62100506MESA126304AE26",
    StaticCharge{"+5561998765432", 1050, "Restaurante Sabor", "Recife", "MESA12", "Mesa 12"},
    BrCode{"br.gov.bcb.pix",
           "+5561998765432",
           "Mesa 12",
           {},
           1050,
           "Restaurante Sabor",
           "Recife",
           "MESA12",
           false}};

class PublishedCodes : public ::testing::TestWithParam<PublishedCase>
{
};

TEST_P(PublishedCodes, ReadBack)
{
    const auto read = readBrCode(GetParam().payload);
    ASSERT_TRUE(read.ok()) << read.errorMessage().toStdString();
    const BrCode& want = GetParam().read;
    EXPECT_EQ(read->gui, want.gui);
    EXPECT_EQ(read->key, want.key);
    EXPECT_EQ(read->description, want.description);
    EXPECT_EQ(read->url, want.url);
    EXPECT_EQ(read->amountCents, want.amountCents);
    EXPECT_EQ(read->merchantName, want.merchantName);
    EXPECT_EQ(read->merchantCity, want.merchantCity);
    EXPECT_EQ(read->txid, want.txid);
    EXPECT_EQ(read->singleUse, want.singleUse);
    EXPECT_EQ(read->isDynamic(), !want.url.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Examples, PublishedCodes,
                         ::testing::Values(kManualStatic, kManualDynamic, kEveryField),
                         [](const auto& info) { return std::string(info.param.name); });

// The static codes: the till composes them itself (a dynamic one is the provider's).
class ComposedCodes : public PublishedCodes
{
};

TEST_P(ComposedCodes, ByteForByte)
{
    ASSERT_TRUE(GetParam().charge.has_value());
    const auto composed = composeStaticBrCode(*GetParam().charge);
    ASSERT_TRUE(composed.ok()) << composed.errorMessage().toStdString();
    EXPECT_EQ(*composed, GetParam().payload);
}

INSTANTIATE_TEST_SUITE_P(Examples, ComposedCodes, ::testing::Values(kManualStatic, kEveryField),
                         [](const auto& info) { return std::string(info.param.name); });

// How a name or a city the till holds is written into the code.
struct WrittenCase
{
    const char* name;
    QString merchantName;
    QString merchantCity;
    QString writtenName;
    QString writtenCity;
    friend void PrintTo(const WrittenCase& c, std::ostream* os) { *os << c.name; }
};

class WrittenNames : public ::testing::TestWithParam<WrittenCase>
{
};

TEST_P(WrittenNames, AccentsRemovedAndCutToTheField)
{
    const auto composed =
        composeStaticBrCode({"12345678901", 1500, GetParam().merchantName, GetParam().merchantCity, {}, {}});
    ASSERT_TRUE(composed.ok()) << composed.errorMessage().toStdString();
    const auto read = readBrCode(*composed);
    ASSERT_TRUE(read.ok()) << read.errorMessage().toStdString();
    EXPECT_EQ(read->merchantName, GetParam().writtenName);
    EXPECT_EQ(read->merchantCity, GetParam().writtenCity);
}

INSTANTIATE_TEST_SUITE_P(
    Merchants, WrittenNames,
    ::testing::Values(
        WrittenCase{"accents", "Padaria São João", "Florianópolis", "Padaria Sao Joao", "Florianopolis"},
        WrittenCase{"cedillaAndSymbols", "Açaí & Cia. (Centro)", "Foz do Iguaçu", "Acai & Cia. (Centro)",
                    "Foz do Iguacu"},
        WrittenCase{"blanksCollapsed", "  Churrascaria \t Gaúcha  ", " Porto  Alegre ", "Churrascaria Gaucha",
                    "Porto Alegre"},
        WrittenCase{"ordinalIndicator", "Bar do 1º Andar", "Brasília", "Bar do 1o Andar", "Brasilia"},
        WrittenCase{"nameCutAt25", "Restaurante Sabor Caseiro Ltda", "Sao Paulo", "Restaurante Sabor Caseiro",
                    "Sao Paulo"},
        WrittenCase{"cutLeavesNoTrailingBlank", "Cantina e Pizzaria Bella Napoli", "Campos dos Goytacazes",
                    "Cantina e Pizzaria Bella", "Campos dos Goyt"},
        WrittenCase{"exactLimits", "Restaurante Sabor da Casa", "Mogi das Cruzes",
                    "Restaurante Sabor da Casa", "Mogi das Cruzes"}),
    [](const auto& info) { return std::string(info.param.name); });

// A charge the till cannot write as it is, and the catalogue key of the reason.
struct RefusedCase
{
    const char* name;
    StaticCharge charge;
    const char* code;
    friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedCharges : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedCharges, ErrorValueWithItsReason)
{
    const auto composed = composeStaticBrCode(GetParam().charge);
    ASSERT_FALSE(composed.ok()) << composed->toStdString();
    EXPECT_EQ(composed.errorCode(), GetParam().code);
    EXPECT_FALSE(composed.errorMessage().contains(u'%')) << composed.errorMessage().toStdString();
    EXPECT_NE(composed.errorMessage(), GetParam().code) << "the text comes from the catalogue";
}

StaticCharge withKey(QString key, QString description = {})
{
    return {std::move(key), 1000, "Bar", "Recife", {}, std::move(description)};
}

StaticCharge withAmount(qint64 cents)
{
    return {"12345678901", cents, "Bar", "Recife", {}, {}};
}

StaticCharge withName(QString name, QString city = "Recife")
{
    return {"12345678901", 1000, std::move(name), std::move(city), {}, {}};
}

StaticCharge withTxid(QString txid)
{
    return {"12345678901", 1000, "Bar", "Recife", std::move(txid), {}};
}

INSTANTIATE_TEST_SUITE_P(
    Charges, RefusedCharges,
    ::testing::Values(
        RefusedCase{"noKey", withKey(""), "PixCampoVazio"},
        RefusedCase{"keyWithBlank", withKey("fulano @example.com"), "PixCaractereInvalido"},
        RefusedCase{"keyWithAccent", withKey("joão@example.com"), "PixCaractereInvalido"},
        RefusedCase{"keyWithLineBreak", withKey("12345678901\n"), "PixCaractereInvalido"},
        RefusedCase{"keyTooLong", withKey(QString(78, u'a')), "PixChaveLonga"},
        RefusedCase{"descriptionBeyondTheTemplate",
                    withKey(QUuid().toString(QUuid::WithoutBraces), QString(38, u'x')), "PixDescricaoLonga"},
        RefusedCase{"descriptionWithEmoji", withKey("12345678901", "Mesa 4 \U0001F37A"),
                    "PixCaractereInvalido"},
        RefusedCase{"negativeAmount", withAmount(-1), "PixValorNegativo"},
        RefusedCase{"amountBeyond13Characters", withAmount(kMaxBrCodeAmountCents + 1), "PixValorGrande"},
        RefusedCase{"noName", withName("  "), "PixCampoVazio"},
        RefusedCase{"nameOfMarksOnly", withName("\u0301\u0303"), "PixCampoVazio"},
        RefusedCase{"nameWithUnwritableLetter", withName("Straße Bar"), "PixCaractereInvalido"},
        RefusedCase{"noCity", withName("Bar", ""), "PixCampoVazio"},
        RefusedCase{"cityInAnotherScript", withName("Bar", "東京"), "PixCaractereInvalido"},
        RefusedCase{"txidTooLong", withTxid(QString(26, u'A')), "PixTxidInvalido"},
        RefusedCase{"txidWithHyphen", withTxid("mesa-4"), "PixTxidInvalido"},
        RefusedCase{"txidWithAccent", withTxid("comanda1é"), "PixTxidInvalido"}),
    [](const auto& info) { return std::string(info.param.name); });

// Charges as a till may hold them: every kind of Pix key, amounts from a cent to the field's
// limit or none, names with accents and of any length, a txid or none.
class GeneratedCharges : public ::testing::Test
{
protected:
    QString digits(int count)
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + m_random.bounded(10));
        return text;
    }

    QString pick(std::initializer_list<const char*> words)
    {
        return QString::fromUtf8(std::data(words)[m_random.bounded(int(words.size()))]);
    }

    QString phrase(int words)
    {
        QStringList parts;
        for (int i = 0; i < words; ++i)
            parts << pick({"Bar", "Restaurante", "São", "João", "Lanchonete", "Açaí", "Pão", "& Cia.",
                           "Gaúcha", "da", "Esquina", "Pizzaria", "Cantina", "Fogão", "Mineiro", "Ltda"});
        return parts.join(u' ');
    }

    QString key()
    {
        switch (m_random.bounded(5)) {
        case 0:
            return digits(11); // CPF
        case 1:
            return digits(14); // CNPJ
        case 2:
            return "+55" + digits(11);
        case 3:
            return "caixa" + digits(m_random.bounded(1, 30)) + "@restaurante.com.br";
        default:
            return QUuid::fromRfc4122(digits(16).toLatin1()).toString(QUuid::WithoutBraces);
        }
    }

    qint64 amount()
    {
        if (m_random.bounded(4) == 0)
            return 0;
        // Every magnitude, from a cent to the limit.
        qint64 limit = 1;
        for (int i = m_random.bounded(1, 13); i > 0; --i)
            limit *= 10;
        return std::min<qint64>(1 + qint64(m_random.bounded(quint64(limit))), kMaxBrCodeAmountCents);
    }

    QString txid()
    {
        static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (m_random.bounded(3) == 0)
            return {};
        QString text;
        for (int i = m_random.bounded(1, int(kMaxBrCodeTxidChars) + 1); i > 0; --i)
            text += QLatin1Char(alphabet[m_random.bounded(62)]);
        return text;
    }

    StaticCharge charge()
    {
        return {key(),
                amount(),
                phrase(m_random.bounded(1, 7)),
                phrase(m_random.bounded(1, 4)),
                txid(),
                m_random.bounded(2) ? phrase(m_random.bounded(1, 3)) : QString()};
    }

    QRandomGenerator m_random{20240611};
};

TEST_F(GeneratedCharges, ComposedCodesReadBackTheCharge)
{
    for (int i = 0; i < 3000; ++i) {
        const StaticCharge sent = charge();
        const auto composed = composeStaticBrCode(sent);
        ASSERT_TRUE(composed.ok()) << sent.key.toStdString() << ": " << composed.errorMessage().toStdString();
        ASSERT_LE(composed->size(), kMaxBrCodeChars);
        const auto read = readBrCode(*composed);
        ASSERT_TRUE(read.ok()) << composed->toStdString() << ": " << read.errorMessage().toStdString();
        EXPECT_EQ(read->key, sent.key);
        EXPECT_EQ(read->amountCents, sent.amountCents > 0 ? std::optional(sent.amountCents) : std::nullopt);
        EXPECT_EQ(read->txid, sent.txid.isEmpty() ? "***" : sent.txid);
        EXPECT_EQ(read->merchantName, brCodeText(sent.merchantName).left(kMaxMerchantNameChars).trimmed());
        EXPECT_EQ(read->merchantCity, brCodeText(sent.merchantCity).left(kMaxMerchantCityChars).trimmed());
        EXPECT_EQ(read->description, brCodeText(sent.description));
        EXPECT_FALSE(read->isDynamic());
    }
}

// The CRC catches any one character changed, wherever it is; the reader never takes the
// changed code for another charge.
TEST_F(GeneratedCharges, AnyOneCharacterChangedIsRefused)
{
    for (int i = 0; i < 3000; ++i) {
        const auto composed = composeStaticBrCode(charge());
        ASSERT_TRUE(composed.ok());
        QString changed = *composed;
        const int at = m_random.bounded(int(changed.size()));
        const QChar was = changed.at(at);
        do
            changed[at] = QChar(char16_t(m_random.bounded(0x20, 0x7F)));
        while (changed.at(at) == was);
        const auto read = readBrCode(changed);
        EXPECT_FALSE(read.ok()) << composed->toStdString() << " → " << changed.toStdString();
    }
}

} // namespace
} // namespace zel::pix
