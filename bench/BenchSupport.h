#pragma once

// What every benchmark program shares: clocks, the resident set, medians, and dialogs that
// answer at once (no operator at the bench). The programs' main (BenchMain.cpp) runs Google
// Benchmark inside a QApplication, offscreen unless QT_QPA_PLATFORM says otherwise.

#include "dialogs/Dialogs.h"

#include <QStringList>
#include <ctime>
#include <vector>

namespace zel::bench {

qint64 nowNs(clockid_t clock = CLOCK_MONOTONIC);
// The process's resident set, in bytes (/proc/self/statm).
qint64 residentBytes();
// The median of `values` (sorted in place); 0 for none.
double median(std::vector<double>& values);

// Every dialog answered OK (a discount: none) at once; the texts shown are kept.
class AnsweringDialogs : public Dialogs
{
public:
    int TouchMessageDlg(const QString& text, DialogType, DialogButtons, int, int, const QString&) override;
    int TouchMessage(const QString& text, DialogType, DialogButtons, int, int, const QString&) override;
    DataPacket CriaDesconto(const QString&) override;
    bool Pesquisa(DataSet&, const QString&, const FieldText&) override { return false; }

    QStringList shown;
};

} // namespace zel::bench
