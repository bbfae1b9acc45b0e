#pragma once

#include "dataset/DataPacket.h"
#include "text/Result.h"

#include <QJsonObject>
#include <QString>

namespace zel::demo {

// A sale as the demo host hands it to the module, read from a scenario file (JSON; format in
// the README). Relative paths count from the scenario's folder and come out absolute.
struct Scenario
{
    QString name;
    QString systemType = QStringLiteral("RES"); // "RES" or "CXA"
    QString saleNumber;
    QString printerModel = QStringLiteral("1");
    // The cheque unit's IdImpCupFis ("2": each accepted cheque is printed); empty: the
    // printer model's code.
    QString chequeMode;
    QString branch = QStringLiteral("0001");
    QString picture; // background picture, absolute; empty for none
    QString script;  // the operator script that goes with it, absolute; empty for none

    DataPacket sale;
    DataPacket paymentTypes;
    DataPacket clients;
    DataPacket consumers;
    DataPacket taxRates;

    QJsonObject devices; // settings of the simulated devices
    // The module's settings for the run ("UsaTEF", "UsaTEFCheque", "PcMaxTroco", "UtilizaImpFis").
    QJsonObject settings;
    // Rules of the TEF manager simulator started for the run (when `runsTefManager`).
    QJsonObject tefManager;
    bool runsTefManager = false;
    // Rules of the Pix provider simulator started for the run (when `runsPixProvider`); the run's
    // settings then name it (PixUrl, PixTokenUrl, the credentials and key) unless they say otherwise.
    QJsonObject pixProvider;
    bool runsPixProvider = false;
    QString devicesDir; // the folder of the file that gave `devices`: their relative paths count from it

    // Reads the scenario and checks that the pictures it names (the background and the payment
    // types' glyphs) are there and readable as images. A member "base" names another scenario
    // file (relative to this one's folder) whose members this file's replace, member by member.
    static Result<Scenario> load(const QString& path);
    // `base`: the scenario whose members the JSON's replace; none: every required member is read.
    static Result<Scenario> fromJson(const QJsonObject& json, const QString& baseDir,
                                     const Scenario* base = nullptr);
};

} // namespace zel::demo
