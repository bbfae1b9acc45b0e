#include "ButtonGrid.h"

#include <cmath>

namespace zel {

namespace {

const QString kIdTpButton = QStringLiteral("IDTPBUTTON");
const QString kNrButton = QStringLiteral("NRBUTTON");
const QString kNrButtonAux = QStringLiteral("NRBUTTONAUX");
const QString kNrPagina = QStringLiteral("NRPGCONFTELA");
const QString kFormaImpFis = QStringLiteral("CDFPIMPFIS");
const QString kIdTipoRece = QStringLiteral("IDTIPORECE");

// A field the configuration does not carry reads as empty text.
QString textOf(DataSet& ds, const QString& field)
{
    return ds.hasField(field) ? ds.fieldByName(field).asString() : QString();
}

// A colour stored as a number; a null, a non-number or an out-of-range value keeps `fallback`.
qint64 colourOf(DataSet& ds, const QString& field, qint64 fallback)
{
    if (!ds.hasField(field))
        return fallback;
    const QVariant value = ds.value(field);
    if (!value.isValid() || value.isNull())
        return fallback;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || std::fabs(number) > 4294967295.0)
        return fallback;
    return std::llround(number);
}

// Visits the rows the current filter lets through, in order, and puts the cursor back.
template <class F> void forEachVisibleRow(DataSet& ds, F&& visit)
{
    const qint64 current = ds.bookmark();
    for (ds.first(); !ds.eof(); ds.next())
        visit();
    if (current == 0 || !ds.gotoBookmark(current))
        ds.first();
}

} // namespace

FilterPredicate groupButtonFilter(const DataSet& cdsReceb)
{
    if (!cdsReceb.hasField(kIdTpButton))
        return [](const RecordView&) { return false; };
    return [](const RecordView& row) { return row.text(kIdTpButton) == QLatin1String("6"); };
}

QString groupButtonFilterText()
{
    return QStringLiteral("IDTPBUTTON = '6'");
}

FilterPredicate paymentButtonFilter(const DataSet& cdsReceb, const QString& group, const QString& page)
{
    for (const QString& field : {kFormaImpFis, kIdTpButton, kNrButtonAux, kNrPagina}) {
        if (!cdsReceb.hasField(field))
            return [](const RecordView&) { return false; };
    }
    return [group, page](const RecordView& row) {
        return !row.text(kFormaImpFis).isEmpty() && row.text(kIdTpButton) == QLatin1String("5") &&
               row.text(kNrButtonAux) == group && row.text(kNrPagina) == page;
    };
}

QString paymentButtonFilterText(const QString& group, const QString& page)
{
    return QStringLiteral(
               "CDFPIMPFIS <> '' AND IDTPBUTTON = '5' AND NRBUTTONAUX = '%1' AND NRPGCONFTELA = '%2'")
        .arg(group, page);
}

bool isHiddenKind(const QString& idTipoRece)
{
    if (idTipoRece.isEmpty())
        return false;
    const QChar first = idTipoRece.front();
    return first == u'9' || first == u'A' || first == u'B';
}

std::optional<int> buttonIndex(const QString& nrButton, int count)
{
    const auto digit = [](QChar ch) { return ch >= u'0' && ch <= u'9'; };
    if (nrButton.size() != 2 || !digit(nrButton[0]) || !digit(nrButton[1]))
        return std::nullopt;
    const int index = (nrButton[0].unicode() - '0') * 10 + (nrButton[1].unicode() - '0');
    if (index < 1 || index > count)
        return std::nullopt;
    return index;
}

QString buttonName(const QString& prefix, int index)
{
    return prefix + QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
}

QMap<int, ButtonFace> buttonFaces(DataSet& cdsReceb, int count, bool paymentTypes)
{
    QMap<int, ButtonFace> faces;
    if (!cdsReceb.active())
        return faces;
    forEachVisibleRow(cdsReceb, [&] {
        const std::optional<int> index = buttonIndex(textOf(cdsReceb, kNrButton), count);
        if (!index || (paymentTypes && isHiddenKind(textOf(cdsReceb, kIdTipoRece))))
            return;
        ButtonFace face;
        face.caption = textOf(cdsReceb, QStringLiteral("DSBUTTON"));
        face.color = colourOf(cdsReceb, QStringLiteral("NRCOLORBACK"), kBlankButtonColor);
        face.captionColor = colourOf(cdsReceb, QStringLiteral("NRCOLORTEXT"), kBlackColor);
        face.glyphFile = textOf(cdsReceb, QStringLiteral("DSIMAGEMBUT"));
        face.bookmark = cdsReceb.bookmark();
        faces.insert(*index, face);
    });
    return faces;
}

std::optional<qint64> paymentButtonRow(DataSet& cdsReceb, int index, const QString& group,
                                       const QString& page)
{
    std::optional<qint64> found;
    if (!cdsReceb.active())
        return found;
    const QString position = buttonName(QString(), index);
    forEachVisibleRow(cdsReceb, [&] {
        if (textOf(cdsReceb, kNrButton) == position && textOf(cdsReceb, kNrButtonAux) == group &&
            textOf(cdsReceb, kNrPagina) == page && !isHiddenKind(textOf(cdsReceb, kIdTipoRece)))
            found = cdsReceb.bookmark();
    });
    return found;
}

} // namespace zel
