#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

namespace zel {

// An error value: what went wrong, in words an operator or a host engineer can act on (from
// a message catalogue, in Portuguese), and the catalogue key of that text as a stable code
// for tests and logs (empty where the text has no key of its own).
struct Error
{
    Error() = default;
    Error(QString text, QString key = {}) : message(std::move(text)), code(std::move(key)) {}

    QString message;
    QString code;
};

// A value or an error. Parsers of outside input (typed amounts, data packets, data files,
// TEF responses) answer with this instead of throwing through the user interface.
template <class T> class Result
{
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_data); }
    T& value() & { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(m_data); }
    QString errorMessage() const { return ok() ? QString() : error().message; }
    QString errorCode() const { return ok() ? QString() : error().code; }

private:
    std::variant<T, Error> m_data;
};

// The result of an operation that yields nothing but may fail.
class Status
{
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)) {}
    static Status success() { return {}; }

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }
    QString errorMessage() const { return ok() ? QString() : m_error->message; }
    QString errorCode() const { return ok() ? QString() : m_error->code; }

private:
    std::optional<Error> m_error;
};

} // namespace zel
