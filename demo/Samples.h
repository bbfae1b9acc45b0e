#pragma once

#include <QString>
#include <QStringList>

namespace zel::demo {

// The sample scenarios built into the demo ("restaurant", "counter").
QStringList sampleNames();

// Writes the sample's scenario, its script and the pictures it names (a background and the
// payment types' glyphs, drawn here) into `dir`; answers the scenario's path, or an empty text
// for an unknown sample.
QString writeSample(const QString& name, const QString& dir);

} // namespace zel::demo
