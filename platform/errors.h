#pragma once

#include "platform/failuretexts.h"

#include <QString>

#include <exception>

namespace platform {

// Run-time error numbers the program raises and traps.
enum ErrorNumber : int {
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrClipboard = 521,
};

// A run-time error: a number and a description. Procedures that skip failing steps catch it;
// anything nobody traps reaches the event boundary (see Application) and is reported there.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int number, QString description = {});

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// The standard text of an error number, in the interface's language (Japanese) or in the given one.
QString errorDescription(int number);
QString errorDescription(int number, Language language);

[[noreturn]] void raiseError(int number);

// "number:description", the form every error report shows.
QString errorReportText(const RuntimeError& error);

} // namespace platform

#include <functional>

namespace platform {

// Runs one step of a procedure that skips failing steps: a failure leaves the step's effect out,
// silently. Returns whether the step succeeded.
bool skipOnError(const std::function<void()>& step);

} // namespace platform
