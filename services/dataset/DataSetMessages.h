#pragma once

// The dataset layer's message catalogue: every text its errors show, in Portuguese. An error
// carries its catalogue key as a stable code (Error::code, DataSetError::code()).

#include "text/Messages.h"
#include "text/Result.h"

#include <type_traits>

namespace zel {

const TMessages& dataSetCatalogue();

enum class FieldType;
// The kind of a field as an operator reads it ("texto", "número real", ...).
QString fieldTypeLabel(FieldType type);

namespace detail {
inline QString messageArg(const QString& s)
{
    return s;
}
inline QString messageArg(const char* s)
{
    return QString::fromUtf8(s);
}
template <class T>
requires std::is_arithmetic_v<T> QString messageArg(T n)
{
    return QString::number(n);
}
} // namespace detail

// The text under `key` with %1, %2, ... replaced in one pass (a value holding "%2" stays as is).
template <class... A> QString dataSetText(const char* key, const A&... args)
{
    const QString text = dataSetCatalogue().Msg(QLatin1String(key));
    if constexpr (sizeof...(A) == 0)
        return text;
    else
        return text.arg(detail::messageArg(args)...);
}

template <class... A> Error dataSetError(const char* key, const A&... args)
{
    return Error{dataSetText(key, args...), QLatin1String(key)};
}

} // namespace zel
