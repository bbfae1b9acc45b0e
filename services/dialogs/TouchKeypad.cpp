#include "TouchKeypad.h"

#include "DialogLook.h"
#include "dialogs/DialogTexts.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"
#include "toolkit/TouchForm.h"

#include <QGridLayout>
#include <QLocale>

namespace zel {
namespace {

KeypadKey charKey(QChar c)
{
    const QString name =
        c.isLetterOrNumber() && c.unicode() < 128 ? QString(c) : QStringLiteral("%1").arg(c.unicode());
    return {QString(c), QStringLiteral("tcbKey") + name, QString(c)};
}

KeypadKey backspaceKey()
{
    return {QStringLiteral("\u2190"),   QStringLiteral("tcbCorrigir"), QStringLiteral("\b"), false, 1,
            dialogText("BotaoCorrigir")};
}

} // namespace

TouchKeypad::TouchKeypad(TouchForm* form, const KeypadRows& rows, QSize keySize, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("panTeclado"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int r = 0; r < rows.size(); ++r) {
        int column = 0;
        for (const KeypadKey& key : rows[r]) {
            auto* b = new TTouchButton(key.caption, this);
            b->setObjectName(key.name);
            b->setHint(key.hint);
            b->setColor(look::kKey);
            b->setCaptionColor(Qt::black);
            b->setFont(look::font(key.caption.size() > 2 ? 12 : 16, true));
            b->setFixedSize(keySize.width() * key.span + grid->spacing() * (key.span - 1), keySize.height());
            grid->addWidget(b, r, column, 1, key.span);
            column += key.span;
            const QString send = key.send;
            const bool asChar = key.asChar;
            connect(b, &QAbstractButton::clicked, form,
                    [form, send, asChar] { form->PostText(send, false, asChar); });
        }
    }
}

KeypadRows numericKeys()
{
    const QString separator = zel::moneyLocale().decimalPoint();
    return {
        {charKey(u'7'), charKey(u'8'), charKey(u'9')},
        {charKey(u'4'), charKey(u'5'), charKey(u'6')},
        {charKey(u'1'), charKey(u'2'), charKey(u'3')},
        {{separator, QStringLiteral("tcbVirgula"), separator}, charKey(u'0'), backspaceKey()},
    };
}

KeypadRows alphanumericKeys()
{
    KeypadRows rows;
    for (const QString& line : {QStringLiteral("1234567890"), QStringLiteral("QWERTYUIOP"),
                                QStringLiteral("ASDFGHJKL\u00C7"), QStringLiteral("ZXCVBNM")}) {
        QList<KeypadKey> row;
        for (const QChar c : line)
            row.append(charKey(c));
        rows.append(row);
    }
    rows[0].append(backspaceKey());
    rows[3].append({dialogText("BotaoEspaco"), QStringLiteral("tcbEspaco"), QStringLiteral(" "), true, 2});
    rows[3].append({dialogText("BotaoLimpar"), QStringLiteral("tcbLimpar"), QStringLiteral("."), false, 2});
    return rows;
}

} // namespace zel
