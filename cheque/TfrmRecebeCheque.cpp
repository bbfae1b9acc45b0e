#include "TfrmRecebeCheque.h"

#include "cheque/ChequeEntry.h"
#include "cheque/ChequeMessages.h"
#include "devices/Peripherals.h"
#include "receipt/state/ReceiptSession.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"
#include "ui_TfrmRecebeCheque.h"

#include <QLabel>
#include <QLocale>
#include <stdexcept>

using namespace Vrm_zel00200;
using zel::TTouchButton;

namespace {

// The keys of the alphanumeric keyboard that type the character of their tag.
const char* const kCharKeys[] = {"spd0", "spd1", "spd2", "spd3",     "spd4",     "spd5",       "spd6",
                                 "spd7", "spd8", "spd9", "spdBarra", "spdPonto", "spdVirgula", "spdEspaco"};

QString letterKeyName(char letter)
{
    return QStringLiteral("spd") + QLatin1Char(letter);
}

} // namespace

TfrmRecebeCheque::TfrmRecebeCheque(zel::ReceiptSession* receipt, QWidget* parent)
    : zel::TouchForm(parent), m_ui(new Ui::TfrmRecebeCheque), m_receipt(receipt)
{
    m_ui->setupUi(this);
    bindHandlers();
    FormCreate();
}

TfrmRecebeCheque::~TfrmRecebeCheque() = default;

void TfrmRecebeCheque::bindHandlers()
{
    Ui::TfrmRecebeCheque& ui = *m_ui;
    bindClick(ui.spdOk, [this] { spdOkClick(); });
    bindClick(ui.spdSair, [this] { spdSairClick(); });
    bindClick(ui.spdParcelas, [this] { spdParcelasClick(); });
    bindClick(ui.spdValor, [this] { spdValorClick(); });
    bindClick(ui.spdAgencia, [this] { spdAgenciaClick(); });
    bindClick(ui.spdBanco, [this] { spdBancoClick(); });
    bindClick(ui.spdConta, [this] { spdContaClick(); });
    bindClick(ui.spdCheque, [this] { spdChequeClick(); });
    bindClick(ui.spdData, [this] { spdDataClick(); });
    bindClick(ui.spdVerso, [this] { spdVersoClick(); });
    bindClick(ui.spdA1, [this] { spdA1Click(); });
    bindClick(ui.spdA2, [this] { spdA2Click(); });
    bindClick(ui.spdA3, [this] { spdA3Click(); });
    bindClick(ui.spdA4, [this] { spdA4Click(); });

    QList<TTouchButton*> charKeys;
    for (const char* name : kCharKeys)
        charKeys.append(findChild<TTouchButton*>(QLatin1String(name)));
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        charKeys.append(findChild<TTouchButton*>(letterKeyName(letter)));
    for (TTouchButton* key : charKeys)
        bindClick(key, [this, key] { spd1Click(key); });
    bindClick(ui.spdCCdil, [this] { spdCCdilClick(); });
    bindClick(ui.spdBackSpace, [this] { spdBackSpaceClick(); });
    bindClick(ui.spdLimpar, [this] { spdLimparClick(); });
    bindClick(ui.spdEnter, [this] { spdEnterClick(); });
    bindClick(ui.spdCancelar, [this] { spdCancelarClick(); });
    bindClick(ui.spdShift, [this] { spdShiftClick(); });
    bindClick(ui.spdCapsLock, [this] { spdCapsLockClick(); });

    for (TTouchButton* key :
         {ui.spt0, ui.spt1, ui.spt2, ui.spt3, ui.spt4, ui.spt5, ui.spt6, ui.spt7, ui.spt8, ui.spt9})
        bindClick(key, [this, key] { spt1Click(key); });
    bindClick(ui.spt00, [this] { spt00Click(); });
    bindClick(ui.spt000, [this] { spt000Click(); });
    bindClick(ui.sptVirgula, [this] { sptVirgulaClick(); });
    bindClick(ui.sptLimpar, [this] { sptLimparClick(); });
    bindClick(ui.sptEnter, [this] { sptEnterClick(); });
    bindClick(ui.sptSCancelar, [this] { sptSCancelarClick(); });

    for (TTouchButton* key :
         {ui.spdN0, ui.spdN1, ui.spdN2, ui.spdN3, ui.spdN4, ui.spdN5, ui.spdN6, ui.spdN7, ui.spdN8, ui.spdN9})
        bindClick(key, [this, key] { spdN1Click(key); });
    bindClick(ui.spdNLimpar, [this] { spdNLimparClick(); });
    bindClick(ui.spdNEnter, [this] { spdNEnterClick(); });
    bindClick(ui.spdNCancelar, [this] { spdNCancelarClick(); });
}

void TfrmRecebeCheque::FormCreate()
{
    // The cheques are recorded in the running receipt's tables; without a receipt there is
    // nowhere to put them.
    zel::ReceiptSession* receipt = m_receipt;
    if (!receipt)
        throw std::runtime_error(Msg(QStringLiteral("SemRecebimento")).toStdString());
    const int tipoImpChq = zel::peripherals().IdTipoImpChq();
    receipt->cdsReceb.open();

    spdShiftClick(); // the back text starts with a capital
    setFixedSize(800, 600);
    boEnterOcupado = false;

    for (TTouchButton* year : {m_ui->spdA1, m_ui->spdA2, m_ui->spdA3, m_ui->spdA4})
        year->setCheckable(true);
    if (tipoImpChq == 1) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->lblAno, m_ui->spdA1, m_ui->spdA2, m_ui->spdA3,
                                                          m_ui->spdA4})
            w->hide();
    } else {
        // The command-string printer prints the year with 2 or 4 digits.
        m_ui->spdA1->setCaption(QStringLiteral("2"));
        m_ui->spdA2->setCaption(QStringLiteral("4"));
        m_ui->spdA3->hide();
        m_ui->spdA4->hide();
    }

    for (QWidget* keyboard :
         std::initializer_list<QWidget*>{m_ui->panKeyBoard1, m_ui->panValor, m_ui->panNumerico})
        keyboard->hide();

    mostraVersoResta();
    CampoAtual = ttParcela;
    boSubstitui = true;
    boContinua = false;
    boPrimParcela = true;
    NrParcela = 1;
}

void TfrmRecebeCheque::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    m_ui->lblNmParcela->setText(Msg(QStringLiteral("Parcela1")));
    m_ui->lblValorTotal->setText(zel::formatCurrency(doTotal));
    m_ui->lblValorPago->setText(zel::formatCurrency(doPago));
    m_ui->lblValorPagar->setText(zel::formatCurrency(doApagar));
    if (IdImpCupFis == QLatin1String("1")) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->lblAno, m_ui->spdA1, m_ui->spdA2, m_ui->spdA3,
                                                          m_ui->spdA4})
            w->hide();
    }
    setCampoAtual(ttParcela);
}

QString TfrmRecebeCheque::Msg(const QString& key) const
{
    const zel::ReceiptSession* receipt = m_receipt;
    if (receipt && receipt->msgPadrao.contains(key))
        return receipt->msgPadrao.Msg(key);
    static const zel::TMessages own = zel::chequeMessages();
    return own.Msg(key);
}

QList<TTouchButton*> TfrmRecebeCheque::commandButtons() const
{
    const Ui::TfrmRecebeCheque& ui = *m_ui;
    return {ui.spdOk,     ui.spdSair, ui.spdParcelas, ui.spdValor, ui.spdAgencia, ui.spdBanco, ui.spdConta,
            ui.spdCheque, ui.spdData, ui.spdVerso,    ui.spdA1,    ui.spdA2,      ui.spdA3,    ui.spdA4};
}

void TfrmRecebeCheque::setCommandsEnabled(bool enabled)
{
    for (TTouchButton* button : commandButtons())
        button->setEnabled(enabled);
}

QLabel* TfrmRecebeCheque::captionLabel(TTipoTecl field) const
{
    return findChild<QLabel*>(QLatin1String(arLabels[field]));
}

QLabel* TfrmRecebeCheque::valueLabel(TTipoTecl field) const
{
    return findChild<QLabel*>(QLatin1String(arValLabels[field]));
}

void TfrmRecebeCheque::setCampoAtual(TTipoTecl field)
{
    for (QLabel* caption : {captionLabel(CampoAtual), captionLabel(field)}) {
        QFont font = caption->font();
        font.setUnderline(caption == captionLabel(field));
        caption->setFont(font);
    }
    CampoAtual = field;
}

void TfrmRecebeCheque::LimpaCampos()
{
    boSubstitui = true;
    for (QLabel* label : std::initializer_list<QLabel*>{m_ui->lblValor, m_ui->lblNrAgencia, m_ui->lblNrBanco,
                                                        m_ui->lblNrConta, m_ui->lblNrCheque, m_ui->lblDtImp,
                                                        m_ui->lblNmVerso})
        label->clear();
    m_ui->lblNrParcelas->setEnabled(false);
    m_ui->lblParcelas->setEnabled(false);
    m_ui->spdParcelas->setEnabled(false);
    stDataDig.clear();
    stAno.clear();
    stVersoAnt.clear();
    mostraVersoResta();
    showYearChoice();
    setCampoAtual(ttValor);
}

// ---- Field selection ---------------------------------------------------------------------

void TfrmRecebeCheque::selectField(TTipoTecl field)
{
    const zel::cheque::KeyboardPlace place = zel::cheque::keyboardFor(field);
    QWidget* keyboard = place.keyboard == zel::cheque::Keyboard::Numeric ? m_ui->panNumerico
                        : place.keyboard == zel::cheque::Keyboard::Value
                            ? static_cast<QWidget*>(m_ui->panValor)
                            : m_ui->panKeyBoard1;
    if (field == ttVerso) {
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            findChild<TTouchButton*>(letterKeyName(letter))->setEnabled(true);
        for (TTouchButton* key :
             {m_ui->spdCCdil, m_ui->spdVirgula, m_ui->spdPonto, m_ui->spdBarra, m_ui->spdEspaco})
            key->setEnabled(true);
    }
    setCommandsEnabled(false);
    keyboard->move(place.topLeft);
    keyboard->show();
    keyboard->raise();
    setCampoAtual(field);
    if (field == ttVerso)
        stVersoAnt = m_ui->lblNmVerso->text();
    boSubstitui = true;
}

void TfrmRecebeCheque::spdParcelasClick()
{
    selectField(ttParcela);
}
void TfrmRecebeCheque::spdValorClick()
{
    selectField(ttValor);
}
void TfrmRecebeCheque::spdAgenciaClick()
{
    selectField(ttAgencia);
}
void TfrmRecebeCheque::spdBancoClick()
{
    selectField(ttBanco);
}
void TfrmRecebeCheque::spdContaClick()
{
    selectField(ttConta);
}
void TfrmRecebeCheque::spdChequeClick()
{
    selectField(ttCheque);
}
void TfrmRecebeCheque::spdDataClick()
{
    selectField(ttData);
}
void TfrmRecebeCheque::spdVersoClick()
{
    selectField(ttVerso);
}

// ---- Year digits -------------------------------------------------------------------------

void TfrmRecebeCheque::chooseYear(const QString& ano)
{
    stAno = ano;
    showYearChoice();
}

void TfrmRecebeCheque::showYearChoice()
{
    TTouchButton* const years[] = {m_ui->spdA1, m_ui->spdA2, m_ui->spdA3, m_ui->spdA4};
    for (int i = 0; i < 4; ++i)
        years[i]->setChecked(stAno == QString::number(i + 1));
}

void TfrmRecebeCheque::spdA1Click()
{
    chooseYear(QStringLiteral("1"));
}
void TfrmRecebeCheque::spdA2Click()
{
    chooseYear(QStringLiteral("2"));
}
void TfrmRecebeCheque::spdA3Click()
{
    chooseYear(QStringLiteral("3"));
}
void TfrmRecebeCheque::spdA4Click()
{
    chooseYear(QStringLiteral("4"));
}

// ---- On-screen keys: each sends its character or key to the form's own key handlers -------

void TfrmRecebeCheque::sendChar(QChar ch)
{
    PostText(QString(ch), false, true);
}

void TfrmRecebeCheque::spd1Click(TTouchButton* sender)
{
    const QChar ch(sender->tag());
    sendChar(boMaiuscula ? ch : ch.toLower());
}

void TfrmRecebeCheque::spdCCdilClick()
{
    sendChar(boMaiuscula ? QChar(u'Ç') : QChar(u'ç'));
}

void TfrmRecebeCheque::spdBackSpaceClick()
{
    PostText(QStringLiteral("\b"), false, false);
}

void TfrmRecebeCheque::spdLimparClick()
{
    PostText(QString(QChar(46)), false, false); // key 46: Delete
}

void TfrmRecebeCheque::spt1Click(TTouchButton* sender)
{
    sendChar(QChar(sender->tag()));
}

void TfrmRecebeCheque::spt00Click()
{
    PostText(QStringLiteral("00"), false, true);
}

void TfrmRecebeCheque::spt000Click()
{
    PostText(QStringLiteral("000"), false, true);
}

void TfrmRecebeCheque::sptVirgulaClick()
{
    PostText(zel::moneyLocale().decimalPoint(), false, true);
}

void TfrmRecebeCheque::sptLimparClick()
{
    PostText(QStringLiteral("\b"), false, false);
}

void TfrmRecebeCheque::spdN1Click(TTouchButton* sender)
{
    sendChar(QChar(sender->tag()));
}

void TfrmRecebeCheque::spdNLimparClick()
{
    PostText(QStringLiteral("\b"), false, false);
}

// ---- Closing the keyboards ---------------------------------------------------------------

void TfrmRecebeCheque::closeNumericKeypads()
{
    m_ui->panNumerico->hide();
    m_ui->panValor->hide();
    setCommandsEnabled(true);
}

void TfrmRecebeCheque::closeKeyboards()
{
    m_ui->panKeyBoard1->hide();
    closeNumericKeypads();
}

bool TfrmRecebeCheque::keyboardOpen() const
{
    return !m_ui->panValor->isHidden() || !m_ui->panNumerico->isHidden() || !m_ui->panKeyBoard1->isHidden();
}

void TfrmRecebeCheque::spdNEnterClick()
{
    if (boEnterOcupado)
        return;
    closeNumericKeypads();
}

void TfrmRecebeCheque::sptEnterClick()
{
    if (boEnterOcupado)
        return;
    closeNumericKeypads();
}

void TfrmRecebeCheque::spdNCancelarClick()
{
    closeNumericKeypads();
}

void TfrmRecebeCheque::sptSCancelarClick()
{
    closeNumericKeypads();
}

void TfrmRecebeCheque::spdEnterClick()
{
    if (boEnterOcupado)
        return;
    boEnterOcupado = true;
    PostText(QString(), true, false); // the key handler confirms a complete cheque
    boEnterOcupado = false;
    m_ui->panKeyBoard1->hide();
    setCommandsEnabled(true);
}

void TfrmRecebeCheque::spdCancelarClick()
{
    m_ui->lblNmVerso->setText(stVersoAnt);
    mostraVersoResta();
    setCommandsEnabled(true);
    m_ui->panKeyBoard1->hide();
}

// ---- Capitals ----------------------------------------------------------------------------

void TfrmRecebeCheque::spdCapsLockClick()
{
    // The captions show the case the keys type next.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const QChar ch = QLatin1Char(letter);
        findChild<TTouchButton*>(letterKeyName(letter))->setCaption(QString(boMaiuscula ? ch.toLower() : ch));
    }
    m_ui->spdCCdil->setCaption(boMaiuscula ? QStringLiteral("ç") : QStringLiteral("Ç"));
    boMaiuscula = !boMaiuscula;
}

void TfrmRecebeCheque::spdShiftClick()
{
    boMaiuscula = false;
    spdCapsLockClick();
    boShift = true;
}
