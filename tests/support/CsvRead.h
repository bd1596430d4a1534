#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

// Reads comma-separated values as a spreadsheet would: quoted fields with doubled quotes and
// line breaks inside, records ended by CRLF. Written apart from the program's writer, so a test
// can read back what the writer wrote. Gives nothing when a record ends with a bare LF or a
// quote is left open, so a wrong line end shows.
inline std::vector<QStringList> readCsv(const QByteArray& bytes)
{
    std::vector<QStringList> records;
    QStringList record;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"')
                field += bytes[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            record << QString::fromUtf8(field);
            field.clear();
            records.push_back(record);
            record.clear();
            ++i;
        } else if (c == '\n' || c == '\r') {
            return {};
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !record.isEmpty())
        return {};
    return records;
}
