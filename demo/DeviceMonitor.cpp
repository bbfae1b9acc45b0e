#include "DeviceMonitor.h"

#include "SimulatedPeripherals.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zel::demo {

namespace {

QLabel* displayLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setStyleSheet(QStringLiteral("background: #102010; color: #7CFC00; padding: 6px;"));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPlainTextEdit* logView(QWidget* parent)
{
    auto* view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

} // namespace

DeviceMonitor::DeviceMonitor(SimulatedPeripherals& devices)
    : m_devices(devices), m_keyboard(displayLabel(this)), m_customer(displayLabel(this)),
      m_journal(logView(this)), m_cheque(logView(this)),
      m_journalStart(devices.fiscalPrinter().journalText().size())
{
    setWindowTitle(QStringLiteral("Dispositivos simulados"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Visor do teclado"), this));
    layout->addWidget(m_keyboard);
    layout->addWidget(new QLabel(QStringLiteral("Visor do cliente"), this));
    layout->addWidget(m_customer);
    layout->addWidget(new QLabel(QStringLiteral("Impressora fiscal"), this));
    layout->addWidget(m_journal, 3);
    layout->addWidget(new QLabel(QStringLiteral("Impressora de cheques"), this));
    layout->addWidget(m_cheque, 1);
    resize(460, 600);
    devices.setChangeListener([this](SimulatedPeripherals::Device) { refresh(); });
    refresh();
}

void DeviceMonitor::refresh()
{
    m_keyboard->setText(m_devices.keyboardDisplay().lines().join(u'\n'));
    m_customer->setText(m_devices.customerDisplay().lines().join(u'\n'));
    m_journal->setPlainText(m_devices.fiscalPrinter().journalText().mid(m_journalStart));
    m_journal->moveCursor(QTextCursor::End);
    m_cheque->setPlainText(m_devices.chequePrinter().log().join(u'\n'));
}

} // namespace zel::demo
