#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kb {

// What kind of failure an Error is, where a caller must tell them apart (a missing file
// is often no fault); Unspecified where nobody needs to.
enum class ErrorCode {
    Unspecified,
    // Reading a file.
    Missing,
    TooLarge,
    Unreadable,
    Malformed,
    // Loading the catalogue: the program ends with exit code 1 or 3.
    CatalogueMissing,
    BadPrice,
};

// Why something failed, in words that name the file or value and the reason.
struct Error {
    std::string message;
    ErrorCode code = ErrorCode::Unspecified;
};

// A value, or the Error that kept it from being made; shaped like std::expected so that
// it can be replaced by it once the compilers we build with all have it.
template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() { return std::get<0>(m_state); }
    const T& value() const { return std::get<0>(m_state); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<1>(m_state); }

  private:
    std::variant<T, Error> m_state;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool has_value() const { return !m_failed; }
    explicit operator bool() const { return has_value(); }
    const Error& error() const { return m_error; }

  private:
    Error m_error;
    bool m_failed = false;
};

} // namespace kb
