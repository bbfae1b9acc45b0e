#include "TfrmCNPJCPF.h"

#include "dialogs/Dialogs.h"
#include "taxpayer/TaxpayerMessages.h"
#include "toolkit/TouchButton.h"
#include "ui_TfrmCNPJCPF.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

using zel::kPassoFim;
using zel::kPassoNome;
using zel::kPassoNumero;
using zel::TTouchButton;

namespace {

constexpr char16_t kCedilla = 0xC7; // Ç: the ç key's letter

} // namespace

TfrmCNPJCPF::TfrmCNPJCPF(QWidget* parent) : zel::TouchForm(parent), m_ui(new Ui::TfrmCNPJCPF)
{
    m_ui->setupUi(this);
    msgPadrao = zel::taxpayerMessages();
    // The two capital keys show while they are on.
    m_ui->spdCapsLock->setCheckable(true);
    m_ui->spdShift->setCheckable(true);
    FormCreate();

    for (TTouchButton* key :
         {m_ui->spd0, m_ui->spd1, m_ui->spd2, m_ui->spd3, m_ui->spd4, m_ui->spd5, m_ui->spd6, m_ui->spd7,
          m_ui->spd8, m_ui->spd9, m_ui->spdPonto, m_ui->spdVirgula, m_ui->spdBarra})
        bindClick(key, [this, key] { spdCaracterClick(key); });
    for (TTouchButton* key : teclasDeLetra())
        bindClick(key, [this, key] { spdLetraClick(key); });
    bindClick(m_ui->spdCCdil, [this] { spdCCdilClick(); });
    bindClick(m_ui->spdEspaco, [this] { spdEspacoClick(); });
    bindClick(m_ui->spdBackSpace, [this] { spdBackSpaceClick(); });
    bindClick(m_ui->spdLimpar, [this] { spdLimparClick(); });
    bindClick(m_ui->spdEnter, [this] { spdEnterClick(); });
    bindClick(m_ui->spdCapsLock, [this] { spdCapsLockClick(); });
    bindClick(m_ui->spdShift, [this] { spdShiftClick(); });
    bindClick(m_ui->spdSair, [this] { spdSairClick(); });
}

TfrmCNPJCPF::~TfrmCNPJCPF() = default;

QList<TTouchButton*> TfrmCNPJCPF::teclasDeLetra() const
{
    QList<TTouchButton*> keys;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        keys.append(findChild<TTouchButton*>(QStringLiteral("spd") + QChar(letter)));
    return keys;
}

void TfrmCNPJCPF::FormCreate()
{
    setWindowTitle(QApplication::applicationDisplayName());
    setWindowIcon(QApplication::windowIcon());
    entrada = zel::TaxpayerEntry();
    boCancelado = boConcluido = false;
    m_ui->lblInforma->clear();
    // The form opens with shift on, so the name starts with a capital.
    spdShiftClick();
}

void TfrmCNPJCPF::FormActivate()
{
    // The invalid-number message may activate the form again when it closes; the dialogue
    // belongs to the first activation only.
    if (m_dialogoIniciado)
        return;
    m_dialogoIniciado = true;
    IniciaNumero();
}

void TfrmCNPJCPF::IniciaNumero()
{
    NrPasso = kPassoNumero;
    m_ui->lblTexto->show();
    m_ui->lblTexto2->hide();
    entrada.stCNPJCPF.clear();
    MostraTexto();
}

void TfrmCNPJCPF::IniciaNome()
{
    NrPasso = kPassoNome;
    m_ui->lblTexto->hide();
    m_ui->lblTexto2->show();
    entrada.stNome.clear();
    MostraTexto();
}

void TfrmCNPJCPF::ConfereNumero()
{
    if (zel::taxpayerNumberOk(entrada.stCNPJCPF)) {
        IniciaNome();
        return;
    }
    m_mensagem = true;
    try {
        zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("CGCCPF_NOK")), zel::DialogType::Error,
                                       zel::DialogButtons::Ok, 0, 0, QString());
    } catch (...) {
        m_mensagem = false;
        throw;
    }
    m_mensagem = false;
    if (NrPasso != kPassoNumero || !isVisible())
        return; // the form was closed while the message was open
    IniciaNumero();
    TrataPendentes();
}

void TfrmCNPJCPF::Encerra(bool concluido)
{
    NrPasso = kPassoFim;
    boConcluido = concluido;
    m_pendentes.clear();
    postClose(concluido ? QDialog::Accepted : QDialog::Rejected);
}

QString TfrmCNPJCPF::numero() const
{
    return boConcluido ? zel::taxpayerNumberStandard(entrada.stCNPJCPF) : QString();
}

QString TfrmCNPJCPF::nome() const
{
    return boConcluido ? entrada.stNome : QString();
}

void TfrmCNPJCPF::MostraTexto()
{
    // A text longer than the line keeps its end, where the operator is typing, in sight.
    const QString text = NrPasso == kPassoNome ? entrada.stNome : entrada.stCNPJCPF;
    QLabel* line = m_ui->lblInforma;
    // The right edge gets the room of the left padding, so the last character stands clear.
    const int room = line->contentsRect().width() - 2 * line->margin() - 8;
    line->setText(line->fontMetrics().elidedText(text, Qt::ElideLeft, room));
}

void TfrmCNPJCPF::AtualizaTeclas()
{
    for (TTouchButton* key : teclasDeLetra())
        key->setCaption(zel::letterKey(QChar(key->tag()), entrada));
    m_ui->spdCCdil->setCaption(zel::letterKey(QChar(kCedilla), entrada));
    m_ui->spdCapsLock->setChecked(entrada.boCapsLock);
    m_ui->spdShift->setChecked(entrada.boShift);
}

void TfrmCNPJCPF::FormKeyDown(QKeyEvent* event)
{
    Trata(Tecla{event->key(), QChar()});
}

void TfrmCNPJCPF::FormKeyPress(QChar key)
{
    Trata(Tecla{0, key});
}

void TfrmCNPJCPF::Trata(const Tecla& tecla)
{
    if (m_mensagem) {
        m_pendentes.append(tecla);
        return;
    }
    if (tecla.key == 0) {
        if (zel::taxpayerKeyPress(NrPasso, entrada, tecla.character)) {
            MostraTexto();
            AtualizaTeclas();
        }
        return;
    }
    switch (zel::taxpayerKeyDown(NrPasso, entrada, tecla.key)) {
    case zel::TaxpayerKey::Show:
        MostraTexto();
        break;
    case zel::TaxpayerKey::CheckNumber:
        ConfereNumero();
        break;
    case zel::TaxpayerKey::EndName:
        Encerra(true);
        break;
    case zel::TaxpayerKey::Exit:
        m_ui->spdSair->click();
        break;
    case zel::TaxpayerKey::Captions:
        AtualizaTeclas();
        break;
    case zel::TaxpayerKey::None:
        break;
    }
}

void TfrmCNPJCPF::TrataPendentes()
{
    // A key handled here may open the message again; keys that come meanwhile join the list
    // and are handled by the outer loop, in order.
    if (m_tratandoPendentes)
        return;
    m_tratandoPendentes = true;
    while (!m_pendentes.isEmpty() && NrPasso != kPassoFim)
        Trata(m_pendentes.takeFirst());
    m_tratandoPendentes = false;
    m_pendentes.clear();
}

void TfrmCNPJCPF::spdCaracterClick(const TTouchButton* button)
{
    PostText(QString(QChar(button->tag())), false, true);
}

void TfrmCNPJCPF::spdLetraClick(const TTouchButton* button)
{
    PostText(QString(zel::letterKey(QChar(button->tag()), entrada)), false, true);
}

void TfrmCNPJCPF::spdCCdilClick()
{
    PostText(QString(zel::letterKey(QChar(kCedilla), entrada)), false, true);
}

void TfrmCNPJCPF::spdEspacoClick()
{
    PostText(QStringLiteral(" "), false, true);
}

void TfrmCNPJCPF::spdBackSpaceClick()
{
    PostText(QString(QChar(8)), false, false);
}

void TfrmCNPJCPF::spdLimparClick()
{
    PostText(QStringLiteral("."), false, false); // code 46: the Delete key
}

void TfrmCNPJCPF::spdEnterClick()
{
    PostText(QString(), true, false);
}

void TfrmCNPJCPF::spdCapsLockClick()
{
    zel::toggleCapsLock(entrada);
    AtualizaTeclas();
}

void TfrmCNPJCPF::spdShiftClick()
{
    zel::toggleShift(entrada);
    AtualizaTeclas();
}

void TfrmCNPJCPF::spdSairClick()
{
    entrada.stCNPJCPF.clear();
    entrada.stNome.clear();
    boCancelado = true;
    Encerra(false);
}
