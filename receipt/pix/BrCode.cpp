#include "BrCode.h"

#include "PixMessages.h"

#include <QList>
#include <algorithm>

namespace zel::pix {

namespace {

const QString kPixGui = QStringLiteral("br.gov.bcb.pix");
const QString kNoTxid = QStringLiteral("***");
// A template's value, like every field's, has a two-digit length.
constexpr qsizetype kMaxFieldChars = 99;

bool isPrintableAscii(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
}

bool isAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool allDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString twoDigits(qsizetype n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString field(const char* id, const QString& value)
{
    return QLatin1String(id) + twoDigits(value.size()) + value;
}

QString crcText(QStringView text)
{
    return QStringLiteral("%1").arg(crc16Ccitt(text.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
}

// How a character the code cannot carry is named in a message: itself when it can be seen,
// its code point when it is a control or a blank other than the space.
QString characterName(QChar c)
{
    if (c.isPrint() && !c.isSpace())
        return QString(c);
    if (c == u' ')
        return QStringLiteral("espaço");
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

// The first character of `text` outside printable ASCII (or a blank, when `blanks` is false).
std::optional<QChar> unwritable(QStringView text, bool blanks)
{
    for (const QChar c : text) {
        if (!isPrintableAscii(c) || (!blanks && c == u' '))
            return c;
    }
    return std::nullopt;
}

Result<QString> writableText(QStringView raw, const char* nameKey, qsizetype maxChars, bool required)
{
    QString text = brCodeText(raw);
    if (maxChars > 0 && text.size() > maxChars)
        text = text.left(maxChars).trimmed();
    if (required && text.isEmpty())
        return pixError("PixCampoVazio", {pixText(nameKey)});
    if (const auto c = unwritable(text, true))
        return pixError("PixCaractereInvalido", {pixText(nameKey), characterName(*c)});
    return text;
}

QString amountText(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

quint16 crc16Ccitt(QByteArrayView data)
{
    quint16 crc = 0xFFFF;
    for (const char byte : data) {
        crc ^= quint16(quint8(byte)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QString brCodeText(QStringView text)
{
    // The compatibility decomposition splits "ã" into "a" and its tilde and turns "º" into "o";
    // the marks are then dropped.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain += c;
    }
    return plain.simplified();
}

Result<QString> composeStaticBrCode(const StaticCharge& charge)
{
    const QString keyName = pixText("PixCampoChave");
    if (charge.key.isEmpty())
        return pixError("PixCampoVazio", {keyName});
    if (const auto c = unwritable(charge.key, false))
        return pixError("PixCaractereInvalido", {keyName, characterName(*c)});
    // The account template holds the GUI's field, the key's and the description's.
    const QString gui = field("00", kPixGui);
    const qsizetype maxKey = kMaxFieldChars - gui.size() - 4;
    if (charge.key.size() > maxKey)
        return pixError("PixChaveLonga", {QString::number(charge.key.size()), QString::number(maxKey)});

    const auto description = writableText(charge.description, "PixCampoDescricao", 0, false);
    if (!description)
        return description.error();
    QString account = gui + field("01", charge.key);
    if (!description->isEmpty()) {
        const qsizetype over = account.size() + 4 + description->size() - kMaxFieldChars;
        if (over > 0)
            return pixError("PixDescricaoLonga", {QString::number(over)});
        account += field("02", *description);
    }

    const auto name = writableText(charge.merchantName, "PixCampoNome", kMaxMerchantNameChars, true);
    if (!name)
        return name.error();
    const auto city = writableText(charge.merchantCity, "PixCampoCidade", kMaxMerchantCityChars, true);
    if (!city)
        return city.error();

    if (charge.amountCents < 0)
        return pixError("PixValorNegativo");
    if (charge.amountCents > kMaxBrCodeAmountCents)
        return pixError("PixValorGrande", {amountText(kMaxBrCodeAmountCents)});

    QString txid = charge.txid.isEmpty() ? kNoTxid : charge.txid;
    if (txid != kNoTxid &&
        (txid.size() > kMaxBrCodeTxidChars || !std::all_of(txid.cbegin(), txid.cend(), isAsciiLetterOrDigit)))
        return pixError("PixTxidInvalido", {charge.txid, QString::number(kMaxBrCodeTxidChars)});

    QString payload = field("00", QStringLiteral("01")) + field("26", account) +
                      field("52", QStringLiteral("0000")) + field("53", QStringLiteral("986"));
    if (charge.amountCents > 0)
        payload += field("54", amountText(charge.amountCents));
    payload += field("58", QStringLiteral("BR")) + field("59", *name) + field("60", *city) +
               field("62", field("05", txid)) + QStringLiteral("6304");
    return payload + crcText(payload);
}

namespace {

struct Field
{
    int id = 0;
    QStringView value;
    qsizetype at = 0; // where the value starts in the whole code, for the positions messages name
};

// The fields of `text`, which starts at `offset` of the whole code (for the position a
// message names, counted from 1). Every length is two digits and stays inside `text`.
Result<QList<Field>> fieldsOf(QStringView text, qsizetype offset)
{
    QList<Field> fields;
    qsizetype at = 0;
    while (at < text.size()) {
        const QStringView head = text.mid(at, 4);
        if (head.size() < 4 || !allDigits(head))
            return pixError("PixCodigoTruncado", {QString::number(offset + at + 1)});
        const int id = head.left(2).toInt();
        const qsizetype length = head.mid(2).toInt();
        if (at + 4 + length > text.size())
            return pixError("PixCodigoTruncado", {QString::number(offset + at + 1)});
        fields.append({id, text.mid(at + 4, length), offset + at + 4});
        at += 4 + length;
    }
    return fields;
}

// The value of field `id`, when it is there once; an error when it is there twice.
Result<std::optional<QStringView>> single(const QList<Field>& fields, int id)
{
    std::optional<QStringView> found;
    for (const Field& f : fields) {
        if (f.id != id)
            continue;
        if (found)
            return pixError("PixCodigoRepetido", {twoDigits(id)});
        found = f.value;
    }
    return found;
}

Error badValue(int id, QStringView value)
{
    return pixError("PixCodigoCampo", {twoDigits(id), value.toString()});
}

// "10", "10.5" or "10.50": digits, then at most two after a point.
std::optional<qint64> centsOf(QStringView amount)
{
    const qsizetype point = amount.indexOf(u'.');
    const QStringView whole = point < 0 ? amount : amount.left(point);
    const QStringView fraction = point < 0 ? QStringView() : amount.mid(point + 1);
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(fraction) || fraction.size() > 2 ||
        (point >= 0 && fraction.isEmpty()) || amount.size() > 13)
        return std::nullopt;
    qint64 cents = whole.toLongLong() * 100;
    if (!fraction.isEmpty())
        cents += fraction.size() == 1 ? fraction.toInt() * 10 : fraction.toInt();
    return cents;
}

// The Pix account template among 26 to 51 (other schemes may have their own beside it).
Result<QList<Field>> pixAccount(const QList<Field>& fields)
{
    for (const Field& f : fields) {
        if (f.id < 26 || f.id > 51)
            continue;
        auto inner = fieldsOf(f.value, f.at);
        if (!inner)
            return inner.error();
        const auto gui = single(*inner, 0);
        if (!gui)
            return gui.error();
        if (*gui && (*gui)->compare(kPixGui, Qt::CaseInsensitive) == 0)
            return inner;
    }
    return pixError("PixCodigoNaoPix");
}

} // namespace

Result<BrCode> readBrCode(QStringView payload)
{
    if (payload.isEmpty())
        return pixError("PixCodigoVazio");
    if (payload.size() > kMaxBrCodeChars)
        return pixError("PixCodigoLongo",
                        {QString::number(payload.size()), QString::number(kMaxBrCodeChars)});
    for (qsizetype i = 0; i < payload.size(); ++i) {
        if (!isPrintableAscii(payload.at(i)))
            return pixError("PixCodigoCaractere", {characterName(payload.at(i)), QString::number(i + 1)});
    }

    const auto walked = fieldsOf(payload, 0);
    if (!walked)
        return walked.error();
    const QList<Field>& fields = *walked;
    const Field& last = fields.last();
    if (last.id != 63 || last.value.size() != 4)
        return pixError("PixCodigoCrcPosicao");
    if (!std::all_of(last.value.begin(), last.value.end(),
                     [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }))
        return badValue(63, last.value);
    const QString computed = crcText(payload.left(payload.size() - 4));
    if (last.value != computed)
        return pixError("PixCodigoCrc", {last.value.toString(), computed});

    if (fields.first().id != 0 || fields.first().value != u"01")
        return fields.first().id == 0 ? badValue(0, fields.first().value)
                                      : pixError("PixCodigoFalta", {"00"});
    for (const Field& f : fields) {
        const auto once = single(fields, f.id);
        if (!once)
            return once.error();
    }
    const auto value = [&fields](int id) { return single(fields, id).value(); };
    const auto required = [&value](int id) -> Result<QStringView> {
        const auto v = value(id);
        if (!v || v->isEmpty())
            return pixError("PixCodigoFalta", {twoDigits(id)});
        return *v;
    };

    BrCode code;
    if (const auto method = value(1)) {
        if (*method != u"11" && *method != u"12")
            return badValue(1, *method);
        code.singleUse = *method == u"12";
    }

    const auto account = pixAccount(fields);
    if (!account)
        return account.error();
    for (const int id : {0, 1, 2, 25}) {
        const auto sub = single(*account, id);
        if (!sub)
            return sub.error();
        const QString text = sub->value_or(QStringView()).toString();
        (id == 0 ? code.gui : id == 1 ? code.key : id == 2 ? code.description : code.url) = text;
    }
    if (code.key.isEmpty() == code.url.isEmpty())
        return pixError("PixCodigoChaveOuUrl");

    const auto category = required(52);
    if (!category)
        return category.error();
    if (category->size() != 4 || !allDigits(*category))
        return badValue(52, *category);
    const auto currency = required(53);
    if (!currency)
        return currency.error();
    if (*currency != u"986")
        return badValue(53, *currency);
    if (const auto amount = value(54)) {
        code.amountCents = centsOf(*amount);
        if (!code.amountCents)
            return badValue(54, *amount);
    }
    const auto country = required(58);
    if (!country)
        return country.error();
    if (*country != u"BR")
        return badValue(58, *country);
    const auto name = required(59);
    if (!name)
        return name.error();
    code.merchantName = name->toString();
    const auto city = required(60);
    if (!city)
        return city.error();
    code.merchantCity = city->toString();

    for (const Field& f : fields) {
        if (f.id != 62)
            continue;
        const auto extra = fieldsOf(f.value, f.at);
        if (!extra)
            return extra.error();
        const auto txid = single(*extra, 5);
        if (!txid)
            return txid.error();
        code.txid = txid->value_or(QStringView()).toString();
    }
    return code;
}

} // namespace zel::pix
