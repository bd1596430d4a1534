#include "app/M_Ini.h"

#include "app/M_Msg.h"
#include "app/RtError.h"

#include <QFile>
#include <QSaveFile>
#include <optional>
#include <vector>

namespace M_Ini {
namespace {

std::vector<QByteArray> readLines(const QString& path, bool* exists)
{
    std::vector<QByteArray> lines;
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return lines;
    if (!file.open(QIODevice::ReadOnly))
        throw RtError(75, QStringLiteral("Path/File access error"), errno);
    const QByteArray data = file.readAll();
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArray line = data.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::optional<QByteArray> sectionName(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[') && t.endsWith(']'))
        return t.mid(1, t.size() - 2).trimmed();
    return std::nullopt;
}

// The key of a Key=Value line, trimmed; empty for other lines.
QByteArray keyOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

bool sameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

int str_set(const QString& section, const QString& key, const QString& value, const QString& path) try {
    bool exists = false;
    std::vector<QByteArray> lines = readLines(path, &exists);
    const QByteArray sec = section.toLocal8Bit();
    const QByteArray k = key.toLocal8Bit();
    const QByteArray entry = k + '=' + value.toLocal8Bit();

    std::optional<size_t> sectionAt;
    std::optional<size_t> lastInSection;
    bool written = false;
    for (size_t i = 0; i < lines.size() && !written; ++i) {
        if (auto name = sectionName(lines[i])) {
            if (sectionAt)
                break; // the next section begins
            if (sameName(*name, sec)) {
                sectionAt = i;
                lastInSection = i;
            }
            continue;
        }
        if (!sectionAt)
            continue;
        if (!lines[i].trimmed().isEmpty())
            lastInSection = i;
        if (sameName(keyOf(lines[i]), k)) {
            lines[i] = entry;
            written = true;
        }
    }
    if (!written) {
        if (sectionAt) {
            lines.insert(lines.begin() + qsizetype(*lastInSection + 1), entry);
        } else {
            if (!lines.empty() && !lines.back().trimmed().isEmpty())
                lines.push_back(QByteArray());
            lines.push_back('[' + sec + ']');
            lines.push_back(entry);
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw RtError(75, QStringLiteral("Path/File access error"), errno);
    for (const QByteArray& line : lines)
        file.write(line + "\r\n");
    if (!file.commit())
        throw RtError(75, QStringLiteral("Path/File access error"), errno);
    return 1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Ini.str_set()"), path);
    return 0;
}

namespace {
// The raw value of the key in the section; nothing when the file, section or key is missing.
std::optional<QByteArray> valueOf(const QString& section, const QString& key, const QString& path)
{
    bool exists = false;
    const std::vector<QByteArray> lines = readLines(path, &exists);
    const QByteArray sec = section.toLocal8Bit();
    const QByteArray k = key.toLocal8Bit();
    bool inSection = false;
    for (const QByteArray& line : lines) {
        if (auto name = sectionName(line)) {
            inSection = sameName(*name, sec);
            continue;
        }
        if (inSection && sameName(keyOf(line), k))
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return std::nullopt;
}
} // namespace

int num_get(const QString& section, const QString& key, int defaultValue, const QString& path) try {
    const std::optional<QByteArray> value = valueOf(section, key, path);
    if (!value)
        return defaultValue;
    const QByteArray& v = *value;
    qsizetype i = 0;
    const bool negative = v.startsWith('-');
    if (negative || v.startsWith('+'))
        ++i;
    qint64 n = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9' && n <= 0x7fffffffLL)
        n = n * 10 + (v[i++] - '0');
    const int result = int(negative ? -n : n);
    return result == -1 ? defaultValue : result;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Ini.num_get()"), path);
    return defaultValue;
}

QString str_get(const QString& section, const QString& key, const QString& path) try {
    const std::optional<QByteArray> value = valueOf(section, key, path);
    return value ? QString::fromLocal8Bit(*value) : QString();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Ini.str_get()"), path);
    return {};
}

} // namespace M_Ini
