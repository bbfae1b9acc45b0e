#include "Vrm_zel00300.h"

#include "taxpayer/TfrmCNPJCPF.h"
#include "toolkit/ErrorBarrier.h"

#include <memory>

namespace Vrm_zel00300 {
void Initialization() {}
void Finalization() {}

QString CriaInfAdicional(QString& nome)
{
    QString numero;
    QString nomeDigitado;
    zel::guard([&] {
        const std::unique_ptr<TfrmCNPJCPF> form(new TfrmCNPJCPF());
        form->exec();
        // Exit, or a form closed from outside, leaves both answers empty.
        numero = form->numero();
        nomeDigitado = form->nome();
    });
    nome = nomeDigitado;
    return numero;
}
} // namespace Vrm_zel00300
