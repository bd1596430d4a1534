#pragma once

#include <QString>
#include <exception>
#include <string>

// The program's one run-time error type. It carries the classic error numbers that the
// error report shows; standard exceptions are mapped onto the same numbers by fromCurrent().
class RtError : public std::exception {
public:
    enum Number : int {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        DivisionByZero = 11,
        TypeMismatch = 13,
        FileNotFound = 53,
        PathNotFound = 76,
        ObjectNotSet = 91,
    };

    explicit RtError(int number, QString description = {}, int lastDllError = 0);

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }
    int lastDllError() const { return m_lastDllError; }
    const char* what() const noexcept override { return m_what.c_str(); }

    // The standard wording of an error number ("Overflow", "Subscript out of range", ...).
    static QString standardDescription(int number);

    // Describes the exception being handled right now; number 0 when none is.
    static RtError fromCurrent();

private:
    int m_number;
    QString m_source;
    QString m_description;
    int m_lastDllError;
    std::string m_what;
};

// Checked arithmetic for the places where an overflow or a division by zero is an error
// that the caller's handler reports, as it would be in a language that traps them.
namespace Checked {
int toInt32(double v);   // throws Overflow beyond the 32-bit range or for NaN
short toInt16(double v); // throws Overflow beyond the 16-bit range
int div(int a, int b);   // integer division, throws DivisionByZero and Overflow
int mul(int a, int b);   // throws Overflow
int add(int a, int b);   // throws Overflow
} // namespace Checked
