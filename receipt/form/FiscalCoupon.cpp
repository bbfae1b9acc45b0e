#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "ui_TfrmRecebimento.h"

zel::FiscalCouponPrinter& TfrmRecebimento::coupon()
{
    if (!m_coupon) {
        m_coupon = std::make_unique<zel::FiscalCouponPrinter>(m_session, zel::peripherals(), zel::dialogs(),
                                                              stNrCupom);
        // An item left off (or given back by a cancelled coupon) changed what is due: the change
        // is worked out again before the closing.
        m_coupon->onDueChanged = [this] { FechaEntrada(false); };
    }
    return *m_coupon;
}

bool TfrmRecebimento::ImprimeCupom()
{
    zel::FiscalCouponPrinter::Sale venda;
    venda.nrVenda = Vrm_zel00000::StnrVenda;
    venda.waitLabel = m_ui->lblRecebimento;
    venda.coupon.usaTef = stUsaTEF;
    venda.coupon.confirmaAuto = boConfirmaAuto;
    venda.coupon.formaPagto = stFormaPagto;
    venda.coupon.consumidorInf = boConsumidorInf;
    venda.coupon.nrInsJurClie = Vrm_zel00400::stNrInsJurClie;
    venda.coupon.nmFantClie = Vrm_zel00400::stNmFantClie;
    venda.coupon.cdConsumidor = stCodConsumidor;
    venda.coupon.nmConsumidor = stNomeConsumidor;
    venda.coupon.cnpjCpf = stCNPJCPF;
    venda.coupon.nome = stNome;
    return coupon().print(venda);
}

bool TfrmRecebimento::AbandonaCupom()
{
    return !m_coupon || m_coupon->abandon();
}
