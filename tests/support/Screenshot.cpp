#include "Screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>

namespace zel::test {

QString testOutputDir()
{
    const QString configured = qEnvironmentVariable("ZEL_TEST_OUTPUT");
    return configured.isEmpty() ? QDir::temp().filePath(QStringLiteral("zel-test-output")) : configured;
}

QString saveScreenshot(QWidget* widget, const QString& name)
{
    if (!widget) {
        ADD_FAILURE() << "no widget to take the screenshot " << name.toStdString() << " of";
        return {};
    }
    const QDir dir(QDir(testOutputDir()).filePath(QStringLiteral("screenshots")));
    if (!dir.mkpath(QStringLiteral("."))) {
        ADD_FAILURE() << "cannot create " << dir.path().toStdString();
        return {};
    }
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path, "PNG")) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return {};
    }
    return path;
}

} // namespace zel::test
