#include "app/RtError.h"

#include <QCoreApplication>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <typeinfo>

namespace {
QString programSource()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Zorvik") : name;
}
} // namespace

RtError::RtError(int number, QString description, int lastDllError)
    : m_number(number), m_source(programSource()),
      m_description(description.isEmpty() ? standardDescription(number) : std::move(description)),
      m_lastDllError(lastDllError), m_what(m_description.toStdString())
{
}

QString RtError::standardDescription(int number)
{
    switch (number) {
    case 0: return {};
    case InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case Overflow: return QStringLiteral("Overflow");
    case OutOfMemory: return QStringLiteral("Out of memory");
    case SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case DivisionByZero: return QStringLiteral("Division by zero");
    case TypeMismatch: return QStringLiteral("Type mismatch");
    case FileNotFound: return QStringLiteral("File not found");
    case PathNotFound: return QStringLiteral("Path not found");
    case ObjectNotSet: return QStringLiteral("Object variable not set");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

RtError RtError::fromCurrent()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return RtError(0);
    try {
        std::rethrow_exception(current);
    } catch (const RtError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RtError(OutOfMemory);
    } catch (const std::out_of_range& e) {
        return RtError(SubscriptOutOfRange, QString::fromLocal8Bit(e.what()));
    } catch (const std::overflow_error& e) {
        return RtError(Overflow, QString::fromLocal8Bit(e.what()));
    } catch (const std::range_error& e) {
        return RtError(Overflow, QString::fromLocal8Bit(e.what()));
    } catch (const std::bad_cast&) {
        return RtError(TypeMismatch);
    } catch (const std::exception& e) {
        return RtError(InvalidCall, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return RtError(InvalidCall);
    }
}

namespace Checked {
int toInt32(double v)
{
    if (std::isnan(v) || v < double(std::numeric_limits<int>::min()) - 0.5
        || v >= double(std::numeric_limits<int>::max()) + 0.5)
        throw RtError(RtError::Overflow);
    return int(std::nearbyint(v));
}

short toInt16(double v)
{
    if (std::isnan(v) || v < -32768.5 || v >= 32767.5)
        throw RtError(RtError::Overflow);
    return short(std::nearbyint(v));
}

int div(int a, int b)
{
    if (b == 0)
        throw RtError(RtError::DivisionByZero);
    if (a == std::numeric_limits<int>::min() && b == -1)
        throw RtError(RtError::Overflow);
    return a / b;
}

int mul(int a, int b)
{
    int r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        throw RtError(RtError::Overflow);
    return r;
}

int add(int a, int b)
{
    int r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw RtError(RtError::Overflow);
    return r;
}
} // namespace Checked
