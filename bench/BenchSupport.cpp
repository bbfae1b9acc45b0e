#include "BenchSupport.h"

#include <QFile>
#include <algorithm>
#include <unistd.h>

namespace zel::bench {

qint64 nowNs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

double median(std::vector<double>& values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int AnsweringDialogs::TouchMessageDlg(const QString& text, DialogType, DialogButtons, int, int,
                                      const QString&)
{
    shown << text;
    return mrOk;
}

int AnsweringDialogs::TouchMessage(const QString& text, DialogType, DialogButtons, int, int, const QString&)
{
    shown << text;
    return mrNone;
}

DataPacket AnsweringDialogs::CriaDesconto(const QString&)
{
    shown << QStringLiteral("desconto");
    return {};
}

} // namespace zel::bench
