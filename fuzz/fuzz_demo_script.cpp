// The demo's operator scripts: any text gives a list of actions or an error value naming the
// line, never a crash. Every action it accepts has what it needs: a target (an expectation
// may expect a control to show an empty text, but it always names the control), a number
// that is not negative, and a line number inside the script.

#include "demo/OperatorScript.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto script = zel::demo::parseScript(text);
    if (!script.ok()) {
        check(script.errorMessage().startsWith(QLatin1String("script line ")));
        return 0;
    }
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    int previous = 0;
    for (const zel::demo::ScriptAction& a : *script) {
        check(a.line > previous && a.line <= lines);
        previous = a.line;
        check(a.number >= 0);
        check(!a.target.isEmpty());
    }
    return 0;
}
