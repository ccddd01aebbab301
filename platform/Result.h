#pragma once
// A value or the system error number that kept it from being made. Errors that the
// operating system reports are values, never exceptions; asking a failed result for its
// value is a programmer error.

#include <cassert>
#include <optional>
#include <utility>

namespace Os {

// Marks a system error number on its way into a Result: `return Failure{kErrorAccessDenied};`
struct Failure {
    int error;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(failure.error) { assert(failure.error != 0 && "a failure needs an error number"); }

    bool ok() const noexcept { return error_ == 0; }
    explicit operator bool() const noexcept { return ok(); }
    // 0 when the result holds a value.
    int error() const noexcept { return error_; }

    T& value() &
    {
        assert(ok() && "value() of a failed result");
        return *value_;
    }
    const T& value() const&
    {
        assert(ok() && "value() of a failed result");
        return *value_;
    }
    T&& value() &&
    {
        assert(ok() && "value() of a failed result");
        return std::move(*value_);
    }
    T valueOr(T fallback) const& { return ok() ? *value_ : std::move(fallback); }

private:
    std::optional<T> value_;
    int error_ = 0;
};

} // namespace Os
