// Recoverable errors inside the platform and the tools: a value or an error,
// never an exception. The phone-shaped NSError is for what the system's own
// callbacks receive; this is for everything underneath.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace foundation {

enum class ErrorCode {
    NotFound,
    PermissionDenied,
    InvalidArgument,
    Malformed,
    TooLarge,
    NoSpace,
    IOError,
    Unavailable,
};

struct Error {
    ErrorCode code;
    std::string message;
};

template <typename T>
class [[nodiscard]] ErrorOr {
public:
    ErrorOr(T value) : storage_(std::move(value)) {}
    ErrorOr(Error error) : storage_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(storage_); }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<T>(storage_); }
    const T& value() const& { return std::get<T>(storage_); }
    T&& value() && { return std::get<T>(std::move(storage_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<Error>(storage_); }

private:
    std::variant<T, Error> storage_;
};

template <>
class [[nodiscard]] ErrorOr<void> {
public:
    ErrorOr() = default;
    ErrorOr(Error error) : error_(std::move(error)), failed_(true) {}
    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }
    // Nothing to hand out; lets TRY stand for a step that only succeeds or fails.
    void value() const {}

private:
    Error error_{};
    bool failed_ = false;
};

inline Error makeError(ErrorCode code, std::string message) { return Error{code, std::move(message)}; }

}  // namespace foundation

// TRY(expr): evaluates to the value of an ErrorOr, or returns its error.
#define TRY(expression)                                  \
    ({                                                   \
        auto _tryResult = (expression);                  \
        if (!_tryResult.ok()) return _tryResult.error(); \
        std::move(_tryResult).value();                   \
    })
