#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace zel {
namespace {

class JournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_devices.fiscalPrinter().setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(19, 45, 12)); });
        m_movements.createDataSet();
        m_types.createDataSet();
        simtest::addPaymentType(m_types, QStringLiteral("001"), QStringLiteral("4"));
        simtest::addPaymentType(m_types, QStringLiteral("002"), QStringLiteral("1"));
        simtest::addPaymentType(m_types, QStringLiteral("003"), QStringLiteral("5"));
    }

    void sellTwoItems()
    {
        ASSERT_TRUE(m_devices.Estado_Impressora(false, false));
        m_devices.Abre_Gaveta();
        ASSERT_TRUE(m_devices.AbreCupom(QString()));
        m_devices.setCdAliq(QStringLiteral("T18"));
        ASSERT_TRUE(m_devices.VendaItem(QStringLiteral("0042"), QStringLiteral("D"),
                                        QStringLiteral("7891000"), QStringLiteral("REFRIGERANTE LATA"),
                                        m_devices.CdAliq(), 3, 5.50, 0.50));
        m_devices.setCdAliq(QStringLiteral("F"));
        ASSERT_TRUE(m_devices.VendaItem(QStringLiteral("0042"), QStringLiteral("D"), QStringLiteral("100"),
                                        QStringLiteral("PRATO DO DIA"), m_devices.CdAliq(), 1, 32.90, 0));
    }

    QTemporaryDir m_dir;
    SimulatedPeripherals m_devices{simtest::config(m_dir)};
    DataSet m_movements{simtest::movementFields()};
    DataSet m_types{simtest::paymentTypeFields()};
};

TEST_F(JournalTest, ACouponReadsAsThePrinterWouldPrintIt)
{
    sellTwoItems();
    ASSERT_TRUE(m_devices.Cupom_Conferencia(QStringLiteral("0042"), QStringLiteral("A"), 0, 4.79));
    ASSERT_TRUE(m_devices.AbreCupomRes(QStringLiteral("0042"), QString()));
    simtest::addMovement(m_movements, QStringLiteral("E"), QStringLiteral("002"), QStringLiteral("CREDITO"),
                         30);
    simtest::addMovement(m_movements, QStringLiteral("E"), QStringLiteral("001"), QStringLiteral("DINHEIRO"),
                         50);
    simtest::addMovement(m_movements, QStringLiteral("S"), QStringLiteral("001"), QStringLiteral("DINHEIRO"),
                         29.31);
    QString number;
    ASSERT_TRUE(m_devices.FechaCupom(
        false, true, 2.00, 29.31, 4.79, QString(), true, QStringLiteral("VISA"), m_movements, m_types, number,
        QStringLiteral("12.345.678/0001-95 BAR DO ZE"), QStringLiteral("0007"), QStringLiteral("JOAO"),
        QStringLiteral("123.456.789-09"), QStringLiteral("MARIA DA SILVA")));
    EXPECT_EQ(number, QStringLiteral("000001"));
    EXPECT_EQ(m_devices.fiscalPrinter().drawerOpenings(), 1);

    const QString expected = QStringLiteral("================================================\n"
                                            "CUPOM FISCAL                          COO 000001\n"
                                            "07/12/2026 19:45:12                   Venda 0042\n"
                                            "------------------------------------------------\n"
                                            "ITEM CODIGO         DESCRICAO\n"
                                            "     QTD     x  VL.UNIT  ALIQ            VL.ITEM\n"
                                            "------------------------------------------------\n"
                                            "001  7891000        REFRIGERANTE LATA\n"
                                            "       3,000 x     5,50  T18               16,50\n"
                                            "     desconto item                         -1,50\n"
                                            "002  100            PRATO DO DIA\n"
                                            "       1,000 x    32,90  F                 32,90\n"
                                            "------------------------------------------------\n"
                                            "SUBTOTAL                                   47,90\n"
                                            "ACRESCIMO                                   4,79\n"
                                            "DESCONTO                                   -2,00\n"
                                            "TOTAL R$                                   50,69\n"
                                            "------------------------------------------------\n"
                                            "VISA                                       30,00\n"
                                            "DINHEIRO                                   50,00\n"
                                            "TROCO                                      29,31\n"
                                            "------------------------------------------------\n"
                                            "CPF/CNPJ: 123.456.789-09\n"
                                            "NOME: MARIA DA SILVA\n"
                                            "CLIENTE: 12.345.678/0001-95 BAR DO ZE\n"
                                            "CONSUMIDOR: 0007 JOAO\n"
                                            "================================================\n");
    EXPECT_EQ(m_devices.fiscalPrinter().journalText(), expected);
}

TEST_F(JournalTest, AVoucherChangeShowsTheVoucherNumber)
{
    sellTwoItems();
    ASSERT_TRUE(m_devices.Cupom_Conferencia(QStringLiteral("0042"), QStringLiteral("D"), 0, 2.40));
    ASSERT_TRUE(m_devices.AbreCupomRes(QStringLiteral("0042"), QString()));
    simtest::addMovement(m_movements, QStringLiteral("E"), QStringLiteral("003"), QStringLiteral("TICKET"),
                         50);
    QString number;
    ASSERT_TRUE(m_devices.FechaCupom(true, true, 2.40, 4.50, 0, QString(), false, QString(), m_movements,
                                     m_types, number, {}, {}, {}, {}, {}));
    const QString journal = m_devices.fiscalPrinter().journalText();
    EXPECT_TRUE(journal.contains(QStringLiteral("DESCONTO                                   -2,40\n")));
    // Announced once: the closing does not give the discount a second time.
    EXPECT_EQ(journal.count(QStringLiteral("DESCONTO")), 1);
    EXPECT_TRUE(journal.contains(QStringLiteral("TOTAL R$                                   45,50\n")));
    EXPECT_TRUE(journal.contains(QStringLiteral("TICKET                                     50,00\n")));
    EXPECT_TRUE(journal.contains(QStringLiteral("CONTRA-VALE 0002                            4,50\n")));
    EXPECT_FALSE(journal.contains(QStringLiteral("CPF/CNPJ")));
}

TEST_F(JournalTest, TheClosingReadsTheDatasetsWithoutMovingThem)
{
    sellTwoItems();
    ASSERT_TRUE(m_devices.AbreCupomRes(QStringLiteral("0042"), QString()));
    simtest::addMovement(m_movements, QStringLiteral("E"), QStringLiteral("001"), QStringLiteral("DINHEIRO"),
                         30);
    simtest::addMovement(m_movements, QStringLiteral("E"), QStringLiteral("001"), QStringLiteral("DINHEIRO"),
                         20);
    m_movements.first();
    QString number;
    ASSERT_TRUE(m_devices.FechaCupom(false, true, 0, 2.10, 0, {}, false, {}, m_movements, m_types, number, {},
                                     {}, {}, {}, {}));
    EXPECT_EQ(m_movements.recNo(), 1);
    EXPECT_EQ(m_movements.recordCount(), 2);
}

} // namespace
} // namespace zel
