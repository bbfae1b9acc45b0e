#pragma once

#include "dataset/DataSet.h"

#include <QMap>
#include <QString>
#include <optional>

namespace zel {

// How the payment-type configuration (cdsReceb) is laid out on the receipt form: group
// buttons (IDTPBUTTON "6", position NRBUTTON "01".."06") and payment-type buttons
// (IDTPBUTTON "5", position NRBUTTON "01".."24", group NRBUTTONAUX, page NRPGCONFTELA).
// Groups are written with two digits and pages without a leading zero, and both are
// compared as exact text.

inline constexpr int kGroupButtons = 6;
inline constexpr int kPaymentButtons = 24;

// The colour of a blank button: $B09090 as the configuration writes colours (0x00BBGGRR).
inline constexpr qint64 kBlankButtonColor = 0xB09090;
inline constexpr qint64 kBlackColor = 0x000000;

// Rows of group buttons. A configuration without the fields a filter reads lets no row through.
FilterPredicate groupButtonFilter(const DataSet& cdsReceb);
QString groupButtonFilterText();

// Rows of payment-type buttons of one group and page: a payment form of the fiscal printer
// (CDFPIMPFIS not empty), button kind "5", NRBUTTONAUX equal to `group` and NRPGCONFTELA
// equal to `page`.
FilterPredicate paymentButtonFilter(const DataSet& cdsReceb, const QString& group, const QString& page);
QString paymentButtonFilterText(const QString& group, const QString& page);

// Kinds whose code starts with "9", "A" or "B" never become buttons.
bool isHiddenKind(const QString& idTipoRece);

// The button a configured position names: 1..`count` for exactly two digits ("01".."24"),
// nothing for anything else ("1", "25", "00", " 1").
std::optional<int> buttonIndex(const QString& nrButton, int count);

// The name of button `index` of a family: "tcbBalcao" or "tcbGrupo" followed by two digits.
QString buttonName(const QString& prefix, int index);

// What one configuration row puts on a button.
struct ButtonFace
{
    QString caption;                   // DSBUTTON
    qint64 color = kBlankButtonColor;  // NRCOLORBACK; a null value keeps the blank colour
    qint64 captionColor = kBlackColor; // NRCOLORTEXT; a null value keeps black
    QString glyphFile;                 // DSIMAGEMBUT
    qint64 bookmark = 0;               // the row, in the dataset it was read from
};

// The faces of the rows the dataset's current filter lets through, by button index, read in
// dataset order: a row naming no button of the family is skipped, and of two rows naming the
// same button the later one wins. With `paymentTypes`, rows of hidden kinds are skipped too.
// The cursor is left where it was.
QMap<int, ButtonFace> buttonFaces(DataSet& cdsReceb, int count, bool paymentTypes);

// The row a touch on payment-type button `index` stands for: among the rows the current
// filter lets through, the one that filled the button (the last shown row whose NRBUTTON is
// the button's two digits, NRBUTTONAUX `group` and NRPGCONFTELA `page`, exact text).
// Nothing when no row does. The cursor is left where it was.
std::optional<qint64> paymentButtonRow(DataSet& cdsReceb, int index, const QString& group,
                                       const QString& page);

} // namespace zel
