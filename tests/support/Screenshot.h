#pragma once

#include <QString>

class QWidget;

namespace zel::test {

// Where tests leave files for a person to look at: $ZEL_TEST_OUTPUT, else a folder under
// the system's temporary directory.
QString testOutputDir();

// Grabs `widget` as it is on screen to <output>/screenshots/<name>.png and answers the path;
// fails the test (and answers "") when the picture cannot be written.
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace zel::test
