#include "Clock.h"

#include "ClockForTests.h"

#include <atomic>
#include <mutex>

namespace zel {

namespace {
std::mutex g_lock;
QDateTime g_fixed; // invalid: the system clock
std::atomic<bool> g_isFixed{false};
} // namespace

QDateTime now()
{
    if (!g_isFixed.load(std::memory_order_acquire))
        return QDateTime::currentDateTime();
    const std::lock_guard<std::mutex> hold(g_lock);
    return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void clockfortests::set(const QDateTime& fixed)
{
    const std::lock_guard<std::mutex> hold(g_lock);
    g_fixed = fixed;
    g_isFixed.store(fixed.isValid(), std::memory_order_release);
}

} // namespace zel
