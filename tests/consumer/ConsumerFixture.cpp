#include "ConsumerFixture.h"

#include "consumer/ConsumerKeys.h"
#include "consumer/TfrmInfConsumidor.h"
#include "consumer/Vrm_zel00400.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"

#include <QLabel>

namespace zel::test {

namespace {

DataPacket stringPacket(const QStringList& names, const QList<QStringList>& rows)
{
    DataPacket packet;
    for (const QString& n : names)
        packet.fields.append(FieldDef{n, FieldType::String, 40});
    for (const QStringList& r : rows) {
        Row row;
        for (const QString& v : r)
            row.append(v);
        packet.rows.append(row);
    }
    return packet;
}

} // namespace

void ConsumerFixture::SetUp()
{
    Vrm_zel00000::Initialization();
    Vrm_zel00400::Initialization();
    devices = std::make_shared<RecordingPeripherals>();
    setPeripherals(devices);
    setKeyboard(false);

    receipt = new TfrmRecebimento();
    Vrm_zel00000::frmRecebimento = receipt;
    receipt->cdsCliente.setData(stringPacket(
        {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "CDEXCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE"},
        {{"C1", "J", "11222333000181", "501", "Alfa Refeições Ltda", "Alfa"},
         {"C2", "F", "52998224725", "502", "Bruno Costa", "Bruno"},
         {"O'Brien", "F", "39053344705", "503", "O'Brien Pub", "Pub"}}));
    receipt->cdsConsumidor.setData(
        stringPacket({"CDCLIENTE", "CDIDCONSUMID", "CDCONSUMIDOR", "CDEXCONSUMID", "NMCONSUMIDOR"},
                     {{"C1", "9002", "55", "E55", "Davi"},
                      {"C1", "55", "21", "E21", "Carla"},
                      {"C1", "9001", "11", "E11", "Ana"},
                      {"C2", "7001", "31", "E31", "Eva"},
                      {"O'Brien", "8001", "41", "E41", "Fabio"},
                      {"O'Brien' OR '1'='1", "8002", "42", "E42", "Gil"}}));
}

void ConsumerFixture::TearDown()
{
    op.reset();
    setPeripherals(nullptr);
    Vrm_zel00000::frmRecebimento = nullptr;
    delete receipt;
    Vrm_zel00400::Finalization();
    Vrm_zel00000::Finalization();
}

void ConsumerFixture::setKeyboard(bool present)
{
    devices->setDefault(QStringLiteral("TecladoOK"), present);
}

Operator& ConsumerFixture::operatorForForm()
{
    op = std::make_unique<Operator>();
    clientStep(*op);
    return *op;
}

void ConsumerFixture::clientStep(Operator& op)
{
    op.waitUntil(
        [] {
            return form() && Vrm_zel00400::NrPasso == kStepClient &&
                   label("lblTexto") == QStringLiteral("Cód. Cliente");
        },
        QStringLiteral("the client prompt"));
}

void ConsumerFixture::consumerStep(Operator& op)
{
    op.waitUntil(
        [] {
            return form() && Vrm_zel00400::NrPasso == kStepConsumer &&
                   label("lblTexto") == QStringLiteral("Cód. Consumidor");
        },
        QStringLiteral("the consumer prompt"));
}

bool ConsumerFixture::consumidor()
{
    if (op)
        op->start();
    return Vrm_zel00400::Consumidor(Vrm_zel00000::runningSession(), Vrm_zel00000::stFigura, cdConsumidor,
                                    nmConsumidor, cdCliente, nmCliente, nmFantClie);
}

TfrmInfConsumidor* ConsumerFixture::form()
{
    return qobject_cast<TfrmInfConsumidor*>(Operator::activeForm());
}

QString ConsumerFixture::label(const QString& name)
{
    auto* f = form();
    auto* l = f ? f->findChild<QLabel*>(name) : nullptr;
    return l ? l->text() : QStringLiteral("<no %1>").arg(name);
}

QStringList ConsumerFixture::displayCalls() const
{
    return devices->callTexts(
        {"TeclFormFeed", "TeclDispClrLn1", "TeclDispClrLn2", "TeclGoToXY", "TeclDispStr"});
}

} // namespace zel::test
