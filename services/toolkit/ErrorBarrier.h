#pragma once

#include "Waits.h"

#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace zel {

// How an error that reached a barrier is shown. The dialogs service installs a reporter that
// shows it as an error dialog; without one it is written as a critical message and, outside
// test builds, shown in a plain message box.
using ErrorReporter = std::function<void(const QString& message)>;
ErrorReporter setErrorReporter(ErrorReporter reporter); // returns the one it replaces
void reportError(const QString& message);

QString unexpectedErrorText();

// The error barrier. No exception crosses a Qt event handler: every handler of a form runs
// inside `guard`, which catches what the handler throws, shows it and answers false.
//
// A barrier cannot roll back what a handler already changed. Handlers are therefore written
// to do their throwing part first (converting texts, locating rows, reading files) and to
// commit state (flags, amounts, labels, dataset rows) only after it, so that a failure
// leaves the form as it was.
template <class F> bool guard(F&& action) noexcept
{
    try {
        std::forward<F>(action)();
        return true;
    } catch (const WaitCalledOff&) {
        // Nothing to show: the form is gone, or a test failure was reported when it happened.
        return false;
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
        return false;
    } catch (...) {
        reportError(unexpectedErrorText());
        return false;
    }
}

} // namespace zel
