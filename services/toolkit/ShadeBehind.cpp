#include "ShadeBehind.h"

#include "TouchForm.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace zel {

namespace {

const char* const kShadeName = "zelShadeBehind";

// The shade itself: covers its window whole, takes no touch and no key, follows the window's size.
class Shade : public QWidget
{
public:
    explicit Shade(QWidget* window) : QWidget(window)
    {
        setObjectName(QLatin1String(kShadeName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window->rect());
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 128));
    }
};

} // namespace

TShadeBehind::TShadeBehind(QWidget* form) : QObject(form), m_form(form)
{
    form->installEventFilter(this);
}

TShadeBehind::~TShadeBehind()
{
    lift();
}

QWidget* TShadeBehind::shadeOf(const QWidget* window)
{
    return window ? window->findChild<QWidget*>(QLatin1String(kShadeName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool TShadeBehind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form) {
        if (event->type() == QEvent::Show)
            shadeOthers();
        else if (event->type() == QEvent::Hide)
            lift();
    }
    return false;
}

void TShadeBehind::shadeOthers()
{
    lift();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == m_form || !window->isVisible() || !qobject_cast<TouchForm*>(window) || shadeOf(window))
            continue;
        auto* shade = new Shade(window);
        shade->raise();
        shade->show();
        m_shades.append(shade);
    }
}

void TShadeBehind::lift()
{
    for (const QPointer<QWidget>& shade : std::as_const(m_shades))
        delete shade.data();
    m_shades.clear();
}

} // namespace zel
