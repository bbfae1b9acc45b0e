#include "SearchText.h"
#include "dialogs/DialogTexts.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace zel {
namespace {

// Decimals and grouping of a numeric display format such as "#,##0.00" or "0.000".
QString formatFloat(double value, const QString& format)
{
    QLocale locale;
    const qsizetype point = format.indexOf(u'.');
    const bool grouped = format.contains(u',');
    if (!grouped)
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (point < 0 && format.isEmpty())
        return locale.toString(value, 'g', QLocale::FloatingPointShortest);
    int decimals = 0;
    if (point >= 0) {
        for (qsizetype i = point + 1; i < format.size() && (format[i] == u'0' || format[i] == u'#'); ++i)
            ++decimals;
    }
    return locale.toString(value, 'f', decimals);
}

} // namespace

QString fieldDisplayText(const QVariant& value, const FieldDef& field)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (field.type) {
    case FieldType::Float:
        return formatFloat(value.toDouble(), field.displayFormat);
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::Date:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case FieldType::DateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case FieldType::Boolean:
        return value.toBool() ? dialogText("ValorSim") : dialogText("ValorNao");
    case FieldType::String:
        break;
    }
    return value.toString();
}

QString foldForSearch(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded.append(c);
    }
    return folded.toCaseFolded();
}

QString digitsOfNumberText(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits.append(c);
        else if (c.isLetter())
            return {};
    }
    return digits;
}

SearchRow makeSearchRow(int recNo, const QStringList& texts)
{
    SearchRow row{recNo, texts, {}, {}};
    row.folded.reserve(texts.size());
    row.digits.reserve(texts.size());
    for (const QString& t : texts) {
        row.folded.append(foldForSearch(t));
        row.digits.append(digitsOfNumberText(t));
    }
    return row;
}

namespace {

// The digits the operator typed, when the text is digits with the punctuation of a masked
// number and nothing else; empty otherwise.
QString typedDigits(const QString& typed)
{
    QString digits;
    for (const QChar c : typed) {
        if (c.isDigit())
            digits.append(c);
        else if (c != u'.' && c != u'-' && c != u'/')
            return {};
    }
    return digits;
}

bool rowMatches(const SearchRow& row, const QString& needle, const QString& digits)
{
    for (const QString& text : row.folded) {
        if (text.contains(needle))
            return true;
    }
    if (digits.isEmpty())
        return false;
    for (const QString& columnDigits : row.digits) {
        if (columnDigits.contains(digits))
            return true;
    }
    return false;
}

} // namespace

QList<int> narrowRows(const QList<SearchRow>& rows, const QString& typed)
{
    QList<int> shown;
    const QString needle = foldForSearch(typed);
    const QString digits = typedDigits(typed);
    for (int i = 0; i < rows.size(); ++i) {
        if (needle.isEmpty() || rowMatches(rows[i], needle, digits))
            shown.append(i);
    }
    return shown;
}

} // namespace zel
