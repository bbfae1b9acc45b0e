#include "MessageDialog.h"

#include "DialogLook.h"
#include "dialogs/DialogTexts.h"
#include "toolkit/TouchButton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace zel {
namespace {

QChar foldKey(QChar c)
{
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
    return decomposed.isEmpty() ? c : decomposed.at(0).toUpper();
}

QStyle::StandardPixmap typeIcon(DialogType type)
{
    switch (type) {
    case DialogType::Error:
        return QStyle::SP_MessageBoxCritical;
    case DialogType::Confirmation:
        return QStyle::SP_MessageBoxQuestion;
    case DialogType::Information:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

// Icon and text of a message; the text view is sized to its text within the screen.
QWidget* messageBody(const QString& text, DialogType type, QWidget* parent)
{
    auto* body = new QWidget(parent);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(18, 18, 18, 8);
    row->setSpacing(16);

    auto* icon = new QLabel(body);
    icon->setObjectName(QStringLiteral("imgTipo"));
    icon->setPixmap(QApplication::style()->standardIcon(typeIcon(type)).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setFixedWidth(52);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* view = new QTextEdit(body);
    view->setObjectName(QStringLiteral("memTexto"));
    view->setReadOnly(true);
    view->setFocusPolicy(Qt::NoFocus);
    view->setFrameShape(QFrame::NoFrame);
    view->setFont(look::font(15));
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; color: #212121; }"
                                       "QScrollBar:vertical { width: 28px; }"));
    view->setPlainText(dialogText(text));

    const QSize room = look::screenRoom();
    const int maxWidth = std::max(300, std::min(640, room.width() - 160));
    const int maxHeight = std::max(120, room.height() - 260);
    const QFontMetrics fm(view->font());
    int longest = 0;
    for (const QString& line : view->toPlainText().split(u'\n'))
        longest = std::max(longest, fm.horizontalAdvance(line));
    const int margin = 2 * int(view->document()->documentMargin()) + 4;
    const int width = std::clamp(longest + margin, std::min(360, maxWidth), maxWidth);
    // Measured on a document of its own: the view lays its document out for its current size.
    QTextDocument measure;
    measure.setDefaultFont(view->font());
    measure.setDocumentMargin(view->document()->documentMargin());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    measure.setDefaultTextOption(wrap);
    measure.setPlainText(view->toPlainText());
    measure.setTextWidth(width);
    const int height = int(std::ceil(measure.size().height())) + 2;
    if (height > maxHeight) {
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->setFixedSize(width + 28, maxHeight);
    } else {
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFixedSize(width, std::max(height, 48));
    }
    row->addWidget(view, 1);
    return body;
}

class Notice : public TouchForm
{
public:
    Notice(const QString& text, DialogType type, QWidget* parent) : TouchForm(parent)
    {
        setObjectName(QStringLiteral("frmTouchMessage"));
        setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_ShowWithoutActivating);
        QFrame* panel = look::framePanel(this);
        auto* column = new QVBoxLayout(panel);
        column->setContentsMargins(2, 2, 2, 12);
        column->addWidget(look::typeBand(type, panel));
        column->addWidget(messageBody(text, type, panel));
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    }

protected:
    void FormKeyDown(QKeyEvent*) override { close(); }
    void mousePressEvent(QMouseEvent*) override { close(); }
};

QPointer<Notice>& currentNotice()
{
    static QPointer<Notice> notice;
    return notice;
}

} // namespace

QString dialogText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

MessageDialog::MessageDialog(const QString& text, DialogType type, DialogButtons buttons,
                             const QString& extraCaption, QWidget* parent)
    : TouchForm(parent), m_buttons(buttons == DialogButtons::None ? DialogButtons::Ok : buttons)
{
    setObjectName(QStringLiteral("frmTouchMessageDlg"));
    QFrame* panel = look::framePanel(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(2, 2, 2, 16);
    column->setSpacing(8);
    column->addWidget(look::typeBand(type, panel));
    column->addWidget(messageBody(text, type, panel));

    m_buttonRow = new QWidget(panel);
    auto* row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(18, 0, 18, 0);
    row->setSpacing(14);
    row->addStretch(1);
    column->addWidget(m_buttonRow);

    m_extraKey = extraCaption.isEmpty() ? QChar() : foldKey(acceleratorOf(extraCaption));
    // A standard button keeps its letter only when the extra button does not claim it.
    const auto caption = [this](const QString& word) {
        return foldKey(word.at(0)) == m_extraKey ? word : u'&' + word;
    };
    if (m_buttons == DialogButtons::YesNo) {
        addButton(caption(dialogText("BotaoSim")), QStringLiteral("tcbYes"), look::kGreen, mrYes);
        addButton(caption(dialogText("BotaoNao")), QStringLiteral("tcbNo"), look::kRed, mrNo);
    } else {
        addButton(caption(dialogText("BotaoOk")), QStringLiteral("tcbOk"), look::kBlue, mrOk);
    }
    if (!extraCaption.isEmpty())
        addButton(extraCaption, QStringLiteral("tcbExtra"), look::kAmber, mrExtra);
    row->addStretch(1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MessageDialog::addButton(const QString& caption, const QString& name, const QColor& color, int answer)
{
    TTouchButton* b = look::button(caption, name, color, m_buttonRow);
    b->setMinimumWidth(std::max(150, b->sizeHint().width() + 24));
    static_cast<QHBoxLayout*>(m_buttonRow->layout())->addWidget(b);
    connect(b, &QAbstractButton::clicked, this, [this, answer] { done(answer); });
}

void MessageDialog::setAutoClose(int seconds)
{
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, this, [this] { done(escapeAnswer(m_buttons)); });
}

int MessageDialog::run()
{
    const int result = exec();
    return result == QDialog::Rejected ? escapeAnswer(m_buttons) : result;
}

void MessageDialog::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        done(escapeAnswer(m_buttons));
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        done(m_buttons == DialogButtons::YesNo ? mrYes : mrOk);
}

void MessageDialog::FormKeyPress(QChar key)
{
    const QChar k = foldKey(key);
    if (!k.isLetterOrNumber())
        return;
    if (k == m_extraKey)
        done(mrExtra);
    else if (m_buttons == DialogButtons::YesNo && k == u'S')
        done(mrYes);
    else if (m_buttons == DialogButtons::YesNo && k == u'N')
        done(mrNo);
    else if (m_buttons == DialogButtons::Ok && k == u'O')
        done(mrOk);
}

void showNotice(const QString& text, DialogType type, int seconds)
{
    if (Notice* old = currentNotice())
        old->close();
    auto* notice = new Notice(text, type, QApplication::activeModalWidget());
    currentNotice() = notice;
    QTimer::singleShot(std::max(1, seconds > 0 ? seconds : 3) * 1000, notice, &QWidget::close);
    notice->show();
}

} // namespace zel
