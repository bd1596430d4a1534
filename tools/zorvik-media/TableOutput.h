#pragma once

#include "ToolStatus.h"

#include "components/analysis/TableText.h"

#include <QStringList>
#include <cstdio>

// Whether --csv is given without a file name after it.
inline bool csvNameMissing(const QStringList& args)
{
    const int at = args.indexOf(QStringLiteral("--csv"));
    return at >= 0 && at + 1 >= args.size();
}

// A table as CSV on standard output, or into the file named after --csv. The caller has checked
// that a name follows --csv.
inline int writeTable(const Table& table, const QStringList& args)
{
    const int at = args.indexOf(QStringLiteral("--csv"));
    if (at < 0) {
        const QByteArray csv = TableText::toCsv(table);
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        return std::fflush(stdout) == 0 ? ToolStatus::Done : ToolStatus::CannotWrite;
    }
    QString error;
    if (!TableText::writeCsv(args[at + 1], table, error)) {
        const QByteArray words = (QStringLiteral("cannot be written (") + error + QLatin1Char(')')).toUtf8();
        return ToolStatus::report(args[at + 1], {ToolStatus::CannotWrite, words.constData()});
    }
    return ToolStatus::Done;
}
