// Errors at boundaries as values: an operation either succeeds or carries the
// message to show the user.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kapsorel {

struct Error {
    std::string message;
};

// Outcome of an operation that yields nothing.
class [[nodiscard]] Status {
  public:
    Status() = default;
    Status(Error e) : error_(std::move(e.message)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

  private:
    std::string error_;
    bool failed_ = false;
};

// Outcome of an operation that yields a T.
template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(Error e) : error_(std::move(e.message)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    const std::string& error() const { return error_; }
    Status status() const { return ok() ? Status{} : Status{Error{error_}}; }

  private:
    std::optional<T> value_;
    std::string error_;
};

} // namespace kapsorel
