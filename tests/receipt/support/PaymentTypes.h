#pragma once

#include "dataset/DataSet.h"

#include <QVariant>

namespace zel::test {

// One row of the payment-type configuration as a host sends it. Defaults: a cash payment
// type on button 01 of group 01, page 1.
struct TipoRow
{
    QString cd = QStringLiteral("001");
    QString nome = QStringLiteral("Dinheiro");
    QString idTipo = QStringLiteral("4");
    QString tpButton = QStringLiteral("5");
    QString nrButton = QStringLiteral("01");
    QString grupo = QStringLiteral("01");
    QString pagina = QStringLiteral("1");
    QString caption = QStringLiteral("Dinheiro");
    QVariant back = 0x00FFFF; // yellow as 0x00BBGGRR
    QVariant text = 0x800000; // navy
    QString imagem;
    QString cdfp = QStringLiteral("01");
};

// The fields of a sale's lines as a host sends them: product code, name, fiscal flags (texts of
// 40), then the tax rate, quantity, price, discount, service fee, minimum consumption and comanda
// discount (floats).
QList<FieldDef> saleFields();

// Defines the configuration's fields (all of them, as the receipt form holds them) and opens
// the dataset empty.
void definePaymentTypes(DataSet& tipos);
void addTipo(DataSet& tipos, const TipoRow& row);
// A group button.
void addGrupo(DataSet& tipos, const QString& nrButton, const QString& caption,
              const QVariant& back = 0xFF0000, const QVariant& text = 0xFFFFFF, const QString& imagem = {});

} // namespace zel::test
