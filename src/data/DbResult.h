#pragma once
// What a database operation hands back: its value, or the sentence that says why it failed. The reason travels
// with the result to the caller, so no earlier or later failure can overwrite it.

#include <QString>
#include <optional>
#include <utility>

namespace vestrel {

// Why a database operation failed, as a sentence in Chinese that names the file and the reason. Empty only
// where there is nothing to add, as for a row that is simply gone.
struct DbError {
    QString text;
};

// A value or the reason there is none. Reads like std::optional, so callers that only need the value keep
// using it as one.
template <typename T> class DbResult : public std::optional<T> {
public:
    DbResult(T value) : std::optional<T>(std::move(value)) {}
    DbResult(DbError error) : m_error(std::move(error.text)) {}
    bool ok() const { return this->has_value(); }
    const QString& error() const { return m_error; }

private:
    QString m_error;
};

// The outcome of an operation without a value.
class DbStatus {
public:
    DbStatus() = default;
    DbStatus(DbError error) : m_failed(true), m_error(std::move(error.text)) {}
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

} // namespace vestrel
