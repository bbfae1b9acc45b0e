#pragma once

#include "TefDirectory.h"
#include "text/Result.h"

#include <QDate>
#include <QJsonObject>
#include <QStringList>

namespace zel {

// A fault a simulated device can be told to show at one step: never, at the next time the
// step runs only ("once"), or every time ("always").
struct Fault
{
    enum class Mode { Off, Once, Always };
    Mode mode = Mode::Off;

    static Fault once() { return Fault{Mode::Once}; }
    static Fault always() { return Fault{Mode::Always}; }
    bool isOn() const { return mode != Mode::Off; }
    // True when the step is to fail now; a one-shot fault is used up by it.
    bool trip()
    {
        if (mode == Mode::Once) {
            mode = Mode::Off;
            return true;
        }
        return mode == Mode::Always;
    }
    bool operator==(const Fault&) const = default;
};

// Faults the virtual fiscal printer can be told to show, one per step.
struct FiscalFaults
{
    Fault notReady;          // Estado_Impressora and ImpFiscalOK answer false, AbreCupom refused
    Fault refuseOpen;        // AbreCupom answers false
    int refuseItem = 0;      // the item at this position (from 1) is refused; 0: none
    int refuseItemTimes = 1; // how many times it is refused per coupon; 0: every time
    Fault refuseAdjustment;  // Cupom_Conferencia answers false
    Fault refusePayment;     // AbreCupomRes answers false
    Fault refuseClose;       // FechaCupom answers false
    Fault refuseCancel;      // Cancela_Cupom answers false

    bool operator==(const FiscalFaults&) const = default;
};

// Faults of the simulated cheque printer.
struct ChequeFaults
{
    Fault refuseText;    // ImpChqChar answers false
    Fault refuseCommand; // EnviaComImpChq answers -1
    Fault refuseClose;   // Fecha_Imp_Chq_Sweda answers false

    bool operator==(const ChequeFaults&) const = default;
};

// The settings of the simulated peripherals, read from one JSON file (format in the README's
// "Devices and simulator" section). Relative paths count from the file's folder; every
// directory comes out with a final "/".
struct SimulatorConfig
{
    QString stateDir; // coupon counter, journal, cheque log, TEF sequence
    QString dataDir;  // DsDirCad

    bool fiscalPresent = true;
    int fiscalKind = 1;   // IdTipoImpFis
    QStringList aliquots; // codes the printer accepts; empty: any code that is not blank
    QString movementDate = QStringLiteral("today"); // "today", "none" or yyyy-MM-dd
    FiscalFaults faults;

    int chequeKind = 1; // IdTipoImpChq
    ChequeFaults chequeFaults;

    bool keyboardPresent = true;
    bool displayPresent = true;
    int displayWidth = 20; // TAM_DISPLAY

    TefSettings tef;

    // The fiscal movement date the settings give: null for "none".
    QDate movementDateValue() const;

    // Every unknown key, wrong type or value out of range is an error naming it.
    static Result<SimulatorConfig> fromJson(const QJsonObject& json, const QString& baseDir);
    static Result<SimulatorConfig> load(const QString& path);
    QJsonObject toJson() const;
    Status save(const QString& path) const;
};

} // namespace zel
