#pragma once
#include "platform/DbError.h"

#include <optional>
#include <utility>

// A value or an error. The core reports failures this way instead of throwing across its API.
template <class T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(DbError error) : m_error(std::move(error))
    {
        if (m_error.number == 0)
            m_error.number = DbErrorNumber::Unexpected;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const DbError& error() const { return m_error; }

    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T valueOr(T fallback) const { return m_value ? *m_value : std::move(fallback); }

private:
    std::optional<T> m_value;
    DbError m_error;
};
