#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A table of text cells with a header row, and its forms as text: comma-separated values for
// files (every field as the cell holds it, quoted where it must be, CRLF line ends, UTF-8) and
// tab-separated text for the clipboard (one line a row, tabs and line breaks inside a cell
// become spaces). Numbers are put into cells by exactNumber, so they read the same in every
// locale.
struct Table {
    QStringList header;
    std::vector<QStringList> rows;
};

namespace TableText {

// The shortest text that reads back as exactly v, with '.' for the decimal point whatever the
// locale; empty for a value that is not finite.
QString exactNumber(double v);
QString exactNumber(float v);

QByteArray toCsv(const Table& table);
QString toTsv(const Table& table);

// Writes the CSV form atomically: the former file stays as it was until the new one is
// complete. On failure gives false and the system's reason.
bool writeCsv(const QString& path, const Table& table, QString& error);

} // namespace TableText
