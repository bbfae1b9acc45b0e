// The BR Code reader on what a provider (or anyone between it and the till) may hand over:
// codes written differently but well-formed are read; broken, forged or foreign ones give an
// error value naming the reason. Most cases are sealed with a right CRC, so that the check
// they are about is the one that refuses them.

#include "BrCodeTestSupport.h"

#include <gtest/gtest.h>

namespace zel::pix {
namespace {

const QString kKey = QStringLiteral("123e4567-e12b-12d1-a456-426655440000");
const QString kUrl = QStringLiteral("pix.example.com/qr/v2/9d36b84fc70b478fb95c12729b90ca25");

struct ReadableCase
{
    const char* name;
    QString payload;
    QString key;
    QString url;
    std::optional<qint64> amountCents;
    QString txid;
    friend void PrintTo(const ReadableCase& c, std::ostream* os) { *os << c.name; }
};

class ReadableCodes : public ::testing::TestWithParam<ReadableCase>
{
};

TEST_P(ReadableCodes, FieldsTheTillNeeds)
{
    const auto read = readBrCode(GetParam().payload);
    ASSERT_TRUE(read.ok()) << read.errorMessage().toStdString();
    EXPECT_EQ(read->key, GetParam().key);
    EXPECT_EQ(read->url, GetParam().url);
    EXPECT_EQ(read->amountCents, GetParam().amountCents);
    EXPECT_EQ(read->txid, GetParam().txid);
}

QString withoutTxid()
{
    return tlv(0, "01") + tlv(26, pixAccount(kKey)) + tlv(52, "5812") + tlv(53, "986") + tlv(58, "BR") +
           tlv(59, "Bar") + tlv(60, "Recife");
}

QString otherOrderWithExtraFields()
{
    // A postal code (61) and a template of the provider's own (80) beside the fields read.
    return tlv(0, "01") + tlv(1, "12") + tlv(26, tlv(0, "br.gov.bcb.pix") + tlv(25, kUrl)) + tlv(53, "986") +
           tlv(52, "0000") + tlv(54, "0.01") + tlv(60, "Recife") + tlv(59, "Bar") + tlv(58, "BR") +
           tlv(61, "50030230") + tlv(62, tlv(5, "cob42") + tlv(50, tlv(0, "x"))) + tlv(80, tlv(0, "abc"));
}

QString foreignSchemeFirst()
{
    return tlv(0, "01") + tlv(26, tlv(0, "br.com.outro") + tlv(1, "999")) + tlv(27, pixAccount(kKey)) +
           tlv(52, "0000") + tlv(53, "986") + tlv(58, "BR") + tlv(59, "Bar") + tlv(60, "Recife");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReadableCodes,
    ::testing::Values(
        ReadableCase{"wholeReais", sealed(codeBody(pixAccount(kKey), "10")), kKey, {}, 1000, "***"},
        ReadableCase{"oneDecimal", sealed(codeBody(pixAccount(kKey), "10.5")), kKey, {}, 1050, "***"},
        ReadableCase{"largestAmount",
                     sealed(codeBody(pixAccount(kKey), "9999999999.99")),
                     kKey,
                     {},
                     kMaxBrCodeAmountCents,
                     "***"},
        ReadableCase{"upperCaseGui",
                     sealed(codeBody(tlv(0, "BR.GOV.BCB.PIX") + tlv(1, kKey))),
                     kKey,
                     {},
                     std::nullopt,
                     "***"},
        ReadableCase{"noAdditionalData", sealed(withoutTxid()), kKey, {}, std::nullopt, {}},
        ReadableCase{"otherOrderAndExtraFields", sealed(otherOrderWithExtraFields()), {}, kUrl, 1, "cob42"},
        ReadableCase{"pixBesideAnotherScheme", sealed(foreignSchemeFirst()), kKey, {}, std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HostileCase
{
    const char* name;
    QString payload;
    const char* code;
    friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
};

class HostileCodes : public ::testing::TestWithParam<HostileCase>
{
};

TEST_P(HostileCodes, ErrorValueWithItsReason)
{
    const auto read = readBrCode(GetParam().payload);
    ASSERT_FALSE(read.ok()) << ::testing::PrintToString(*read);
    EXPECT_EQ(read.errorCode(), GetParam().code) << read.errorMessage().toStdString();
    EXPECT_FALSE(read.errorMessage().isEmpty());
}

const QString kGood = sealed(codeBody(pixAccount(kKey), "15.90"));

QString replaced(QString text, const QString& from, const QString& to)
{
    return text.replace(from, to);
}

QString body(const QString& amount)
{
    return sealed(codeBody(pixAccount(kKey), amount));
}

// Everything up to the CRC field of a good code.
QString unsealed()
{
    return kGood.left(kGood.size() - 8);
}

QString withCrc(const QString& crc)
{
    return kGood.left(kGood.size() - 4) + crc;
}

// A good code whose CRC has a letter, written in lower case: the manual asks for upper case,
// and a reader that took either would let a changed letter through unnoticed.
QString lowerCaseCrc()
{
    for (int reais = 1;; ++reais) {
        const QString code = body(QString::number(reais));
        const QString crc = code.right(4);
        if (crc != crc.toLower())
            return code.left(code.size() - 4) + crc.toLower();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, HostileCodes,
    ::testing::Values(
        HostileCase{"empty", "", "PixCodigoVazio"},
        HostileCase{"huge", QString(1 << 20, u'0'), "PixCodigoLongo"},
        HostileCase{"oneOverTheLimit", QString(kMaxBrCodeChars + 1, u'0'), "PixCodigoLongo"},
        HostileCase{"accentedLetter", replaced(kGood, "Fulano", "Fulanó"), "PixCodigoCaractere"},
        HostileCase{"nulCharacter", replaced(kGood, "Fulano", QString::fromLatin1("Ful\0no", 6)),
                    "PixCodigoCaractere"},
        HostileCase{"lineBreakAtTheEnd", kGood + "\n", "PixCodigoCaractere"},
        HostileCase{"lengthWithoutValue", "0002", "PixCodigoTruncado"},
        HostileCase{"cutInsideTheHead", "00020", "PixCodigoTruncado"},
        HostileCase{"cutInsideAValue", kGood.left(40), "PixCodigoTruncado"},
        HostileCase{"lengthNotDigits", replaced(kGood, "5204", "52x4"), "PixCodigoTruncado"},
        HostileCase{"negativeLength", replaced(kGood, "5204", "52-4"), "PixCodigoTruncado"},
        HostileCase{"lengthPastTheEnd", sealed(unsealed() + "6199"), "PixCodigoTruncado"},
        HostileCase{"templateLengthWrong", sealed(replaced(unsealed(), "0136", "0199")), "PixCodigoTruncado"},
        HostileCase{"additionalDataGarbled", sealed(replaced(unsealed(), "0503***", "05x3***")),
                    "PixCodigoTruncado"},
        HostileCase{"noCrcField", unsealed(), "PixCodigoCrcPosicao"},
        HostileCase{"crcNotLast", kGood + tlv(61, "50030230"), "PixCodigoCrcPosicao"},
        HostileCase{"crcTooShort", unsealed() + "6303ABC", "PixCodigoCrcPosicao"},
        HostileCase{"crcWrong", withCrc(kGood.right(4) == "0000" ? "0001" : "0000"), "PixCodigoCrc"},
        HostileCase{"crcLowerCase", lowerCaseCrc(), "PixCodigoCampo"},
        HostileCase{"crcNotHex", unsealed() + "6304GHIJ", "PixCodigoCampo"},
        HostileCase{"amountChangedCrcKept", replaced(kGood, "540515.90", "540595.90"), "PixCodigoCrc"},
        HostileCase{"formatNotFirst", sealed(unsealed().mid(6) + tlv(0, "01")), "PixCodigoFalta"},
        HostileCase{"formatVersion02", sealed(replaced(unsealed(), "000201", "000202")), "PixCodigoCampo"},
        HostileCase{"initiationMethod13", sealed(replaced(unsealed(), "000201", "000201010213")),
                    "PixCodigoCampo"},
        HostileCase{"nameTwice", sealed(unsealed() + tlv(59, "Outro")), "PixCodigoRepetido"},
        HostileCase{"keyTwice", sealed(codeBody(pixAccount(kKey) + tlv(1, "12345678901"))),
                    "PixCodigoRepetido"},
        HostileCase{"noName", sealed(replaced(unsealed(), "5913Fulano de Tal", "")), "PixCodigoFalta"},
        HostileCase{"emptyCity", sealed(replaced(unsealed(), "6008BRASILIA", "6000")), "PixCodigoFalta"},
        HostileCase{"noCurrency", sealed(replaced(unsealed(), "5303986", "")), "PixCodigoFalta"},
        HostileCase{"dollars", sealed(replaced(unsealed(), "5303986", "5303840")), "PixCodigoCampo"},
        HostileCase{"otherCountry", sealed(replaced(unsealed(), "5802BR", "5802PT")), "PixCodigoCampo"},
        HostileCase{"categoryNotDigits", sealed(replaced(unsealed(), "52040000", "5204ABCD")),
                    "PixCodigoCampo"},
        HostileCase{"amountWithComma", body("15,90"), "PixCodigoCampo"},
        HostileCase{"amountNegative", body("-15.90"), "PixCodigoCampo"},
        HostileCase{"amountThreeDecimals", body("15.900"), "PixCodigoCampo"},
        HostileCase{"amountWithoutUnits", body(".90"), "PixCodigoCampo"},
        HostileCase{"amountEndingInPoint", body("15."), "PixCodigoCampo"},
        HostileCase{"amountTwoPoints", body("1.5.9"), "PixCodigoCampo"},
        HostileCase{"amountTooLong", body("12345678901234"), "PixCodigoCampo"},
        HostileCase{"amountWithBlank", body(" 15.90"), "PixCodigoCampo"},
        HostileCase{"notPix", sealed(codeBody(tlv(0, "br.gov.bcb.pax") + tlv(1, kKey))), "PixCodigoNaoPix"},
        HostileCase{"accountWithoutGui", sealed(codeBody(tlv(1, kKey))), "PixCodigoNaoPix"},
        HostileCase{"keyAndUrl", sealed(codeBody(pixAccount(kKey) + tlv(25, "pix.example.com/qr/1"))),
                    "PixCodigoChaveOuUrl"},
        HostileCase{"neitherKeyNorUrl", sealed(codeBody(tlv(0, "br.gov.bcb.pix") + tlv(2, "Mesa 4"))),
                    "PixCodigoChaveOuUrl"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel::pix
