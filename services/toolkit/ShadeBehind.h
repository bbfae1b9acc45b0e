#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace zel {

// While its form is on the screen, every other touch form on the screen lies under a dark,
// translucent shade, so the operator sees at once which keys answer: the small form over the
// receipt, not the receipt's own keypad showing through around it. The shades go when the
// form hides or goes. Made with the form as parent: `new TShadeBehind(this)`.
class TShadeBehind : public QObject
{
    Q_OBJECT
public:
    explicit TShadeBehind(QWidget* form);
    ~TShadeBehind() override;

    // The shade over `window` while it is shaded; nullptr otherwise.
    static QWidget* shadeOf(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void shadeOthers();
    void lift();

    QWidget* m_form;
    QList<QPointer<QWidget>> m_shades;
};

} // namespace zel
