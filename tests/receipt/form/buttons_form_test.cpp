#include "PaymentTypes.h"
#include "ReceiptFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/QStringPrinter.h"
#include "support/Screenshot.h"
#include "toolkit/TouchButton.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>

using namespace zel;
using namespace zel::test;

namespace {

// The receipt form with its payment entry stood in for: a touch on a payment type calls
// `entry` (when set) instead of starting the entry.
class EntryProbe : public TfrmRecebimento
{
public:
    std::function<void(const QString& code, const QString& unused, const QPixmap& glyph)> entry;
    void DoMenuRecebimentoClick(const QString& code, const QString& unused, const QPixmap& glyph) override
    {
        if (entry)
            entry(code, unused, glyph);
        else
            TfrmRecebimento::DoMenuRecebimentoClick(code, unused, glyph);
    }
};

// A receipt form opened directly on a configuration with two groups and two pages:
// group 01 page 1: 01 Crédito (glyph), 02 Débito (glyph file missing), 03 two rows (Ticket
//   then Vale Refeição), 04 a hidden kind, 05 no fiscal payment form, "25" and "1" no button;
// group 01 page 2: 01 Cheque; group 02 page 1: 07 Dólar; group 02 page 2: 12 Convênio.
class ReceiptButtons : public ReceiptFixture
{
protected:
    void SetUp() override
    {
        ReceiptFixture::SetUp();
        addSaleLine(1, 100);
        definePaymentTypes(tipos);
        glyph = dir.filePath("credito.bmp");
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(glyph, "BMP"));

        addGrupo(tipos, "01", "Cartões", 0xFF0000, 0xFFFFFF);
        addGrupo(tipos, "02", "Outros", 0x008000, 0xFFFFFF);
        addGrupo(tipos, "09", "Sem botão");
        add("001", "Crédito", "1", "01", "01", "1", glyph);
        add("002", "Débito", "2", "02", "01", "1", dir.filePath("nao-existe.bmp"));
        add("003", "Ticket", "5", "03", "01", "1");
        add("004", "Vale Refeição", "7", "03", "01", "1");
        add("005", "Reservado", "A", "04", "01", "1");
        add("006", "Sem forma", "4", "05", "01", "1", {}, "");
        add("007", "Sem botão", "4", "25", "01", "1");
        add("008", "Sem zero", "4", "1", "01", "1");
        add("009", "Cheque", "3", "01", "01", "2");
        add("010", "Dólar", "6", "07", "02", "1");
        add("011", "Convênio", "8", "12", "02", "2");
    }

    void add(const QString& cd, const QString& nome, const QString& kind, const QString& nr,
             const QString& grupo, const QString& pagina, const QString& imagem = {},
             const QString& cdfp = "01")
    {
        TipoRow row;
        row.cd = cd;
        row.nome = row.caption = nome;
        row.idTipo = kind;
        row.nrButton = nr;
        row.grupo = grupo;
        row.pagina = pagina;
        row.imagem = imagem;
        row.cdfp = cdfp;
        addTipo(tipos, row);
    }

    TfrmRecebimento& open()
    {
        Vrm_zel00000::boIdCriado = true;
        form = std::make_unique<EntryProbe>();
        form->cdsReceb.setData(tipos.data());
        form->cdsReceb.open();
        form->cdsVendaOk.setData(venda.data());
        form->FormActivate();
        return *form;
    }

    TTouchButton* button(const QString& name) const { return form->findChild<TTouchButton*>(name); }
    QWidget* control(const QString& name) const { return form->findChild<QWidget*>(name); }
    QLabel* entry() const { return form->findChild<QLabel*>("lblInputReceb2"); }

    QStringList gridCaptions() const
    {
        QStringList captions;
        for (int i = 1; i <= 24; ++i)
            captions << button(QString("tcbBalcao%1").arg(i, 2, 10, QChar(u'0')))->caption();
        return captions;
    }

    // The captions of the grid by position, blanks elsewhere.
    static QStringList grid(const QMap<int, QString>& shown)
    {
        QStringList captions;
        for (int i = 1; i <= 24; ++i)
            captions << shown.value(i);
        return captions;
    }

    QTemporaryDir dir;
    QString glyph;
    std::unique_ptr<EntryProbe> form;
};

const QColor kBlank(0x90, 0x90, 0xB0);

TEST_F(ReceiptButtons, OpeningFillsTheGroupsAndTheFirstPageOfGroupOne)
{
    open();
    QStringList groups;
    for (int i = 1; i <= 6; ++i)
        groups << button(QString("tcbGrupo0%1").arg(i))->caption();
    EXPECT_EQ(groups, QStringList({"Cartões", "Outros", "", "", "", ""}));
    EXPECT_EQ(button("tcbGrupo01")->color(), QColor(0, 0, 255));
    EXPECT_EQ(button("tcbGrupo01")->captionColor(), QColor(255, 255, 255));
    EXPECT_EQ(button("tcbGrupo03")->color(), kBlank);

    EXPECT_EQ(gridCaptions(), grid({{1, "Crédito"}, {2, "Débito"}, {3, "Vale Refeição"}}));
    TTouchButton* credito = button("tcbBalcao01");
    EXPECT_EQ(credito->color(), QColor(255, 255, 0));
    EXPECT_EQ(credito->captionColor(), QColor(0, 0, 128));
    EXPECT_FALSE(credito->glyph().isNull());
    EXPECT_TRUE(button("tcbBalcao02")->glyph().isNull()) << "a missing picture file is skipped";
    for (const char* blank : {"tcbBalcao04", "tcbBalcao05", "tcbBalcao24"}) {
        EXPECT_EQ(button(blank)->color(), kBlank) << blank;
        EXPECT_EQ(button(blank)->captionColor(), QColor(Qt::black)) << blank;
        EXPECT_TRUE(button(blank)->glyph().isNull()) << blank;
    }
    EXPECT_EQ(form->cdsReceb.filterText(),
              QString("CDFPIMPFIS <> '' AND IDTPBUTTON = '5' AND NRBUTTONAUX = '01' AND NRPGCONFTELA = '1'"));
    EXPECT_FALSE(control("tcbAnterior")->isHidden()) << "shown when the form opens";
}

TEST_F(ReceiptButtons, GroupButtonShowsItsPaymentTypesAndWorksUnconfigured)
{
    open();
    button("tcbGrupo02")->click();
    EXPECT_EQ(form->stGrupo, QString("02"));
    EXPECT_EQ(gridCaptions(), grid({{7, "Dólar"}})) << "second row, first column";

    button("tcbGrupo05")->click();
    EXPECT_EQ(form->stGrupo, QString("05"));
    EXPECT_EQ(gridCaptions(), grid({}));
    EXPECT_EQ(button("tcbBalcao07")->color(), kBlank);
}

TEST_F(ReceiptButtons, PagesAndThePreviousPageButton)
{
    open();
    QWidget* anterior = control("tcbAnterior");
    button("tcbProximo")->click();
    EXPECT_EQ(form->NrPagina, 2);
    EXPECT_EQ(gridCaptions(), grid({{1, "Cheque"}}));
    EXPECT_FALSE(anterior->isHidden());

    button("tcbProximo")->click();
    EXPECT_EQ(form->NrPagina, 3);
    EXPECT_EQ(gridCaptions(), grid({})) << "a page without payment types is blank";

    button("tcbAnterior")->click();
    EXPECT_EQ(form->NrPagina, 2);
    EXPECT_FALSE(anterior->isHidden());
    button("tcbAnterior")->click();
    EXPECT_EQ(form->NrPagina, 1);
    EXPECT_TRUE(anterior->isHidden());
    EXPECT_EQ(gridCaptions(), grid({{1, "Crédito"}, {2, "Débito"}, {3, "Vale Refeição"}}));

    form->tcbAnteriorClick();
    EXPECT_EQ(form->NrPagina, 1) << "no page before the first";
    EXPECT_TRUE(anterior->isHidden());
}

TEST_F(ReceiptButtons, GroupChangeKeepsThePage)
{
    open();
    button("tcbProximo")->click();
    button("tcbGrupo02")->click();
    EXPECT_EQ(form->NrPagina, 2);
    EXPECT_EQ(gridCaptions(), grid({{12, "Convênio"}}));
}

TEST_F(ReceiptButtons, TouchStartsPaymentEntryForTheTypeShownOnTheButton)
{
    open();
    struct Seen
    {
        QString code, unused, cursor;
        bool hasGlyph, gruposOn, balcaoOn, busy;
    };
    QList<Seen> seen;
    form->entry = [&](const QString& code, const QString& unused, const QPixmap& glyphShown) {
        seen.append({code, unused, form->cdsReceb.fieldByName("CDTIPORECE").asString(), !glyphShown.isNull(),
                     control("panGrupo")->isEnabled(), control("panBalcao")->isEnabled(),
                     form->boMenuOcupado});
    };
    button("tcbBalcao01")->click();
    form->CtrlBotoes("P"); // as the keypad's Enter leaves them
    button("tcbBalcao03")->click();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].code, QString("001"));
    EXPECT_TRUE(seen[0].unused.isEmpty());
    EXPECT_EQ(seen[0].cursor, QString("001"));
    EXPECT_TRUE(seen[0].hasGlyph);
    EXPECT_FALSE(seen[0].gruposOn);
    EXPECT_FALSE(seen[0].balcaoOn);
    EXPECT_TRUE(seen[0].busy);
    EXPECT_EQ(seen[1].code, QString("004")) << "the later row, the one on the button";
    EXPECT_EQ(seen[1].cursor, QString("004"));
    EXPECT_FALSE(seen[1].hasGlyph);
    EXPECT_FALSE(form->boMenuOcupado);
}

TEST_F(ReceiptButtons, BlankButtonsAndTouchesDuringAnEntryStartNothing)
{
    open();
    int entries = 0;
    form->entry = [&](const QString&, const QString&, const QPixmap&) {
        ++entries;
        // Touches reaching the handlers while this entry runs.
        form->tcbBalcaoClick(button("tcbBalcao02"));
        form->tcbGrupoClick(button("tcbGrupo02"));
        form->tcbProximoClick();
        form->tcbAnteriorClick();
    };
    button("tcbBalcao10")->click();
    button("tcbBalcao04")->click(); // a hidden kind leaves its place blank
    EXPECT_EQ(entries, 0);

    button("tcbBalcao02")->click();
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(form->stGrupo, QString("01"));
    EXPECT_EQ(form->NrPagina, 1);
    EXPECT_EQ(gridCaptions()[1], QString("Débito"));
}

TEST_F(ReceiptButtons, AbandonedEntryGivesBackExitClearAndDiscount)
{
    open();
    form->entry = [&](const QString&, const QString&, const QPixmap&) {
        for (const char* name : {"tcbSair", "tcbClear", "tcbDesconto"})
            control(name)->setEnabled(false);
        control("tcbOk")->setEnabled(true);
        form->boDesistiu = true;
    };
    button("tcbBalcao01")->click();
    EXPECT_FALSE(control("tcbOk")->isEnabled());
    for (const char* name : {"tcbSair", "tcbClear", "tcbDesconto"})
        EXPECT_TRUE(control(name)->isEnabled()) << name;
}

TEST_F(ReceiptButtons, FailedEntryFreesTheGrid)
{
    open();
    dialogs->expectMessageDlg(mrOk, "falhou");
    form->entry = [](const QString&, const QString&, const QPixmap&) {
        throw std::runtime_error("entrada falhou");
    };
    button("tcbBalcao01")->click();
    EXPECT_FALSE(form->boMenuOcupado);
}

TEST_F(ReceiptButtons, PanelModes)
{
    open();
    struct Mode
    {
        const char* mode;
        bool panels, keyboard, voltou;
        TInputStep step;
        bool labelsKept;
    };
    const Mode modes[] = {{"H", false, true, false, isDinheiro1, true},
                          {"P", true, true, false, isDinheiro1, true},
                          {"D", true, false, true, isNone, false},
                          {"X", false, true, true, isDinheiro1, true}};
    for (const Mode& m : modes) {
        control("panGrupo")->setEnabled(false);
        control("panBalcao")->setEnabled(false);
        control("panKeyboard")->setEnabled(true);
        for (const char* name : {"tcbSair", "tcbClear", "tcbDesconto"})
            control(name)->setEnabled(false);
        form->findChild<QLabel*>("lblRecebimento")->setText("Dinheiro");
        entry()->setText("12,50");
        form->findChild<QLabel*>("imgReceb")->setPixmap(QPixmap(glyph));
        form->boVoltou = true;
        Vrm_zel00000::InputStep = isDinheiro1;

        form->CtrlBotoes(m.mode);
        EXPECT_EQ(control("panGrupo")->isEnabled(), m.panels) << m.mode;
        EXPECT_EQ(control("panBalcao")->isEnabled(), m.panels) << m.mode;
        EXPECT_EQ(control("panKeyboard")->isEnabled(), m.keyboard) << m.mode;
        EXPECT_EQ(form->boVoltou, m.voltou) << m.mode;
        EXPECT_EQ(Vrm_zel00000::InputStep, m.step) << m.mode;
        EXPECT_EQ(entry()->text().isEmpty(), !m.labelsKept) << m.mode;
        EXPECT_EQ(form->findChild<QLabel*>("lblRecebimento")->text().isEmpty(), !m.labelsKept) << m.mode;
        EXPECT_EQ(form->findChild<QLabel*>("imgReceb")->pixmap().isNull(), !m.labelsKept) << m.mode;
        EXPECT_EQ(control("tcbSair")->isEnabled(), !m.labelsKept) << m.mode;
        EXPECT_EQ(control("tcbDesconto")->isEnabled(), !m.labelsKept) << m.mode;
    }
}

TEST_F(ReceiptButtons, BackButtonAbandonsTheValue)
{
    open();
    control("panKeyboard")->setEnabled(true);
    form->CtrlBotoes("H");
    Vrm_zel00000::InputStep = isCredito3;
    button("tcbVoltar")->click();
    EXPECT_TRUE(form->boVoltou);
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
    EXPECT_FALSE(control("panKeyboard")->isEnabled());
    EXPECT_TRUE(control("panBalcao")->isEnabled());
}

} // namespace
