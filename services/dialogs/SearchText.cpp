#include "SearchText.h"

#include "dialogs/DialogTexts.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <algorithm>

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
    // Plain ASCII has neither accents nor case folds beyond the capitals: the common case of
    // a name or a code, without the decomposition.
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
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

SearchIndex::SearchIndex(int columns) : m_columns(std::max(columns, 0))
{
    m_textAt.push_back(0);
    m_rowAt.push_back(0);
    m_digitsAt.push_back(0);
}

void SearchIndex::append(const QStringList& texts)
{
    for (int c = 0; c < m_columns; ++c) {
        const QString text = c < texts.size() ? texts[c] : QString();
        m_texts += text;
        m_textAt.push_back(m_texts.size());
        const QString folded = foldForSearch(text);
        for (const QChar c : folded) {
            if (c.unicode() < m_seen.size())
                ++m_seen[c.unicode()];
        }
        m_folded += folded;
        m_folded += u'\n';
        m_digits += digitsOfNumberText(text);
        m_digits += u'\n';
    }
    m_rowAt.push_back(m_folded.size());
    m_digitsAt.push_back(m_digits.size());
    forget();
}

QString SearchIndex::text(int row, int column) const
{
    if (row < 0 || row >= size() || column < 0 || column >= m_columns)
        return {};
    const size_t at = size_t(row) * size_t(m_columns) + size_t(column);
    return m_texts.mid(m_textAt[at], m_textAt[at + 1] - m_textAt[at]);
}

void SearchIndex::forget()
{
    m_found.clear();
    m_all.clear();
}

SearchIndex::Needle SearchIndex::needleFor(const QString& text) const
{
    // The character of the text least often seen in the texts gathered: the fewer places hold
    // it, the fewer comparisons of the whole text.
    Needle needle{text, 0};
    qsizetype fewest = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const qsizetype seen = c < m_seen.size() ? m_seen[c] : 0;
        if (fewest < 0 || seen < fewest) {
            fewest = seen;
            needle.rare = i;
        }
    }
    return needle;
}

qsizetype SearchIndex::find(QStringView haystack, const Needle& needle, qsizetype from)
{
    const QStringView text(needle.text);
    if (text.isEmpty())
        return from <= haystack.size() ? from : -1; // an empty text is everywhere
    const QChar rare = text[needle.rare];
    const qsizetype last = haystack.size() - text.size();
    for (qsizetype at = from + needle.rare; from <= last; at = from + needle.rare) {
        at = haystack.indexOf(rare, at);
        if (at < 0 || at - needle.rare > last)
            return -1;
        from = at - needle.rare;
        if (haystack.sliced(from, text.size()) == text)
            return from;
        ++from;
    }
    return -1;
}

bool SearchIndex::rowMatches(int row, const Needle& needle, const Needle& digits) const
{
    const QStringView folded = QStringView(m_folded).mid(m_rowAt[row], m_rowAt[row + 1] - m_rowAt[row]);
    if (find(folded, needle) >= 0)
        return true;
    if (digits.text.isEmpty())
        return false;
    return find(QStringView(m_digits).mid(m_digitsAt[row], m_digitsAt[row + 1] - m_digitsAt[row]), digits) >=
           0;
}

// The rows of `buffer` (rows beginning at `rowAt`) that hold `needle`, in order: one pass over
// the whole buffer, the rows followed along with the hits.
QList<int> SearchIndex::rowsHolding(const QString& buffer, const std::vector<qsizetype>& rowAt,
                                    const Needle& needle)
{
    QList<int> rows;
    const QStringView all(buffer);
    int row = 0;
    for (qsizetype at = find(all, needle); at >= 0; at = find(all, needle, at)) {
        while (rowAt[size_t(row) + 1] <= at)
            ++row;
        rows.append(row);
        at = rowAt[size_t(row) + 1];
        if (at >= all.size())
            break;
    }
    return rows;
}

QList<int> SearchIndex::scanAll(const QString& needle, const QString& digits) const
{
    QList<int> rows = rowsHolding(m_folded, m_rowAt, needleFor(needle));
    if (digits.isEmpty())
        return rows;
    const QList<int> byDigits = rowsHolding(m_digits, m_digitsAt, needleFor(digits));
    QList<int> merged;
    merged.reserve(rows.size() + byDigits.size());
    std::set_union(rows.begin(), rows.end(), byDigits.begin(), byDigits.end(), std::back_inserter(merged));
    return merged;
}

const QList<int>& SearchIndex::narrow(const QString& typed)
{
    while (!m_found.isEmpty() && !typed.startsWith(m_found.last().typed))
        m_found.removeLast();
    if (!m_found.isEmpty() && m_found.last().typed == typed)
        return m_found.last().rows;

    Found found{typed, foldForSearch(typed), typedDigits(typed), {}};
    if (found.needle.isEmpty()) {
        if (m_all.size() != size()) {
            m_all.resize(size());
            for (int i = 0; i < size(); ++i)
                m_all[i] = i;
        }
        found.rows = m_all;
    } else if (!m_found.isEmpty() && !m_found.last().needle.isEmpty() &&
               found.needle.contains(m_found.last().needle) &&
               (found.digits.isEmpty() ||
                (!m_found.last().digits.isEmpty() && found.digits.contains(m_found.last().digits)))) {
        // Every row holding the longer text holds the shorter one: only the rows shown can stay.
        const Needle needle = needleFor(found.needle);
        const Needle digits = needleFor(found.digits);
        for (const int row : m_found.last().rows) {
            if (rowMatches(row, needle, digits))
                found.rows.append(row);
        }
    } else {
        found.rows = scanAll(found.needle, found.digits);
    }
    m_found.append(std::move(found));
    return m_found.last().rows;
}

} // namespace zel
