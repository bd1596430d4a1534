#include "TableText.h"

#include <QSaveFile>
#include <charconv>
#include <cmath>

namespace TableText {
namespace {

template <typename T>
QString shortest(T v)
{
    if (!std::isfinite(v))
        return {};
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? QString::fromLatin1(buf, int(end - buf)) : QString();
}

QByteArray csvField(const QString& cell)
{
    const QByteArray utf8 = cell.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') && !utf8.contains('\n'))
        return utf8;
    QByteArray quoted = utf8;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

void csvLine(QByteArray& out, const QStringList& cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += ',';
        out += csvField(cells[i]);
    }
    out += "\r\n";
}

void tsvLine(QString& out, const QStringList& cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char('\t');
        QString cell = cells[i];
        // A CRLF inside a cell is one break: one space.
        cell.replace(QLatin1String("\r\n"), QLatin1String(" "));
        for (QChar& c : cell)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
        out += cell;
    }
    out += QLatin1Char('\n');
}

} // namespace

QString exactNumber(double v) { return shortest(v); }
QString exactNumber(float v) { return shortest(v); }

QByteArray toCsv(const Table& table)
{
    QByteArray out;
    csvLine(out, table.header);
    for (const QStringList& row : table.rows)
        csvLine(out, row);
    return out;
}

QString toTsv(const Table& table)
{
    QString out;
    tsvLine(out, table.header);
    for (const QStringList& row : table.rows)
        tsvLine(out, row);
    return out;
}

bool writeCsv(const QString& path, const Table& table, QString& error)
{
    QSaveFile file(path);
    const QByteArray bytes = toCsv(table);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    error.clear();
    return true;
}

} // namespace TableText
