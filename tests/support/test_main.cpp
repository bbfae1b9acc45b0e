#include <QApplication>
#include <QLocale>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#ifdef ZEL_TEST_LIMITS
#include "toolkit/Waits.h"
#endif

// Every test executable runs with a QApplication on the offscreen platform (one 800 × 600
// screen, the size of the till's touch screen) and the Brazilian locale, so amount texts and
// separators are the ones operators see. Where the toolkit is built, its waits and modal
// forms get the test time limit, so a test that would hang fails instead.
int main(int argc, char** argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QTemporaryFile screens;
    if (platform.isEmpty() || platform == "offscreen") {
        if (screens.open()) {
            screens.write(R"({"screens": [{"name": "till", "x": 0, "y": 0, "width": 800, "height": 600,)"
                          R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            screens.flush();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QApplication app(argc, argv);
#ifdef ZEL_TEST_LIMITS
    zel::waits::setTestBuild(true);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
