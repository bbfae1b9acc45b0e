#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace zel {
class SimulatedPeripherals;
}

namespace zel::demo {

// A window beside the receipt that shows what the simulated devices show: the POS keyboard's
// display, the customer display, the fiscal journal and the cheque printer's commands, as they
// change.
class DeviceMonitor : public QWidget
{
public:
    explicit DeviceMonitor(SimulatedPeripherals& devices);
    void refresh();

private:
    SimulatedPeripherals& m_devices;
    QLabel* m_keyboard;
    QLabel* m_customer;
    QPlainTextEdit* m_journal;
    QPlainTextEdit* m_cheque;
    qsizetype m_journalStart;
};

} // namespace zel::demo
