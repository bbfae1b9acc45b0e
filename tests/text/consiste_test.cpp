#include "text/Consiste.h"
#include "text/MaskText.h"

#include <gtest/gtest.h>

using namespace zel;

struct IdCase
{
    const char* number;
    bool valid;
};

class CpfCases : public ::testing::TestWithParam<IdCase>
{
};
TEST_P(CpfCases, ModuloElevenCheckDigits)
{
    EXPECT_EQ(CPFOk(GetParam().number), GetParam().valid) << GetParam().number;
}
INSTANTIATE_TEST_SUITE_P(Numbers, CpfCases,
                         ::testing::Values(IdCase{"52998224725", true}, IdCase{"529.982.247-25", true},
                                           IdCase{"11144477735", true}, IdCase{"12345678909", true},
                                           IdCase{"52998224726", false}, IdCase{"52998224715", false},
                                           IdCase{"11111111111", false}, IdCase{"00000000000", false},
                                           IdCase{"5299822472", false}, IdCase{"529982247250", false},
                                           IdCase{"5299822472A", false}, IdCase{"", false}));

class CnpjCases : public ::testing::TestWithParam<IdCase>
{
};
TEST_P(CnpjCases, NumericAndAlphanumericCheckDigits)
{
    EXPECT_EQ(CGCOk(GetParam().number), GetParam().valid) << GetParam().number;
}
INSTANTIATE_TEST_SUITE_P(
    Numbers, CnpjCases,
    ::testing::Values(IdCase{"11222333000181", true}, IdCase{"11.222.333/0001-81", true},
                      IdCase{"45997418000153", true}, IdCase{"11222333000182", false},
                      IdCase{"11222333000191", false}, IdCase{"00000000000000", false},
                      IdCase{"1122233300018", false}, IdCase{"12ABC34501DE35", true},
                      IdCase{"12.ABC.345/01DE-35", true}, IdCase{"12abc34501de35", true},
                      IdCase{"12ABC34501DE36", false}, IdCase{"12ABC34501DEA5", false},
                      IdCase{"12ABC3450!DE35", false}, IdCase{"AAAAAAAAAAAAAA", false},
                      // Thirteen typed characters whose full capitals ("SS") would make a valid
                      // number, and a letter whose capital is a CNPJ letter: no CNPJ.
                      IdCase{"\u00DFABC123456783", false}, IdCase{"12AB\u0131345670166", false}));

TEST(TaxpayerNumbers, StoredFormTypeAndMaskAgree)
{
    struct Case
    {
        QString typed, stored, type, shown;
    };
    const Case cases[] = {
        {"529.982.247-25", "52998224725", "F", "529.982.247-25"},
        {"52998224725", "52998224725", "F", "529.982.247-25"},
        {" 11.222.333/0001-81 ", "11222333000181", "J", "11.222.333/0001-81"},
        {"12.abc.345/01de-35", "12ABC34501DE35", "J", "12.ABC.345/01DE-35"},
        {"4711", "4711", "", "4711"},
        {"\u00DFABC123456783", "\u00DFABC123456783", "", "\u00DFABC123456783"},
    };
    for (const Case& c : cases) {
        QString number = c.typed;
        const QString type = Ajusta_Inscricao(number);
        EXPECT_EQ(number, c.stored) << c.typed.toStdString();
        EXPECT_EQ(type, c.type) << c.typed.toStdString();
        EXPECT_EQ(FormatMaskText(PictPess(type), number), c.shown) << c.typed.toStdString();
    }
}

TEST(Widths, FillWithBlanksAndHandleLongTexts)
{
    EXPECT_EQ(Ajusta("1,50", 8), QString("    1,50"));
    EXPECT_EQ(Ajusta("R$ 12.345.678,90", 14), QString("R$ 12.345.678,90"));
    EXPECT_EQ(TamFixo("12", 3), QString("12 "));
    EXPECT_EQ(TamFixo("12345", 3), QString("123"));
    EXPECT_EQ(TamFixoR("12", 4), QString("  12"));
    EXPECT_EQ(TamFixoR("0112202", 6), QString("112202"));
    EXPECT_EQ(TamFixoR("x", 0), QString());
    EXPECT_EQ(Centraliza("TROCO", 20), QString("       TROCO        "));
    EXPECT_EQ(Centraliza("AB", 3), QString("AB "));
    EXPECT_EQ(Centraliza("LONGER", 3), QString("LONGER"));
    EXPECT_EQ(iif(true, QString("a"), QString("b")), QString("a"));
    EXPECT_EQ(iif(false, 1, 2), 2);
}
