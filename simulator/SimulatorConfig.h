#pragma once

#include "TefDirectory.h"
#include "text/Result.h"

#include <QDate>
#include <QJsonObject>
#include <QStringList>

namespace zel {

// Faults the virtual fiscal printer can be told to show.
struct FiscalFaults
{
    bool notReady = false;      // Estado_Impressora and ImpFiscalOK answer false
    bool refuseOpen = false;    // AbreCupom answers false
    int refuseItem = 0;         // the item at this position (from 1) is refused; 0: none
    int refuseItemTimes = 1;    // how many times it is refused per coupon; 0: every time
    bool refusePayment = false; // AbreCupomRes answers false

    bool operator==(const FiscalFaults&) const = default;
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
