#include "toolkit/Waits.h"

#include <QCoreApplication>
#include <cstdio>

// Prints the wait limits a program gets when the test harness does not switch them on.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("testBuild=%d limit=%lld\n", zel::waits::testBuild() ? 1 : 0,
                static_cast<long long>(zel::waits::timeLimit().count()));
    return 0;
}
