#include "app/M_Rc.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "app/ToolkitLanguage.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace M_Rc {
namespace {

const std::array<Language, 8> kLanguages{{
    {"DEU", 0, 1031, false},
    {"ENU", 4000, 1033, false},
    {"PTG", 8000, 2070, false},
    {"CHS", 12000, 2052, true},
    {"FRA", 16000, 1036, false},
    {"KOR", 20000, 1042, true},
    {"ESP", 24000, 1034, false},
    {"THA", 28000, 1054, true},
}};

// Column order of the table file after the number.
const std::array<const char*, 6> kColumns{"DEU", "ENU", "PTG", "CHS", "FRA", "ESP"};

// Keyed by language offset and base number: base numbers reach past the 4000 between two
// languages' offsets.
using Table = QHash<std::pair<int, int>, QString>;

Table& table()
{
    static Table strings;
    return strings;
}

int& currentOffset()
{
    static int offset = 4000;
    return offset;
}

QString unescape(const QString& field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 == field.size()) {
            out += c;
            continue;
        }
        const QChar n = field[++i];
        if (n == u'n') out += u'\n';
        else if (n == u'r') out += u'\r';
        else if (n == u't') out += u'\t';
        else if (n == u'\\') out += u'\\';
        else { out += c; out += n; }
    }
    return out;
}

} // namespace

const std::array<Language, 8>& languages() { return kLanguages; }

bool Init() try {
    if (!table().isEmpty())
        return true;
    QFile file(QStringLiteral(":/i18n/strings.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        throw RtError(RtError::FileNotFound, QStringLiteral("strings.tsv"));
    QString error;
    if (!loadTable(QString::fromUtf8(file.readAll()), &error))
        throw RtError(RtError::TypeMismatch, error);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Rc.Init()"));
    return false;
}

bool loadTable(const QString& tsv, QString* error)
{
    Table strings;
    const QStringList lines = tsv.split(u'\n');
    int lineNo = 0;
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(QStringLiteral("nr\t")))
            continue;
        const QStringList fields = line.split(u'\t');
        bool ok = false;
        const int n = fields.value(0).toInt(&ok);
        if (!ok || fields.size() != int(kColumns.size()) + 1 || n < 1000 || n > 9999) {
            if (error)
                *error = QStringLiteral("line %1 is malformed").arg(lineNo);
            return false;
        }
        for (size_t c = 0; c < kColumns.size(); ++c)
            strings.insert({key2rcOffset(QString::fromLatin1(kColumns[c])), n}, unescape(fields[int(c) + 1]));
    }
    table() = std::move(strings);
    return true;
}

QString lcid2nlsKey(int lcid)
{
    switch (lcid) {
    case 1031: return QStringLiteral("DEU");
    case 1034: return QStringLiteral("ESP");
    case 1036: return QStringLiteral("FRA");
    case 1042: return QStringLiteral("KOR");
    case 1054: return QStringLiteral("THA");
    case 2052: return QStringLiteral("CHS");
    case 2070: return QStringLiteral("PTG");
    default: return QStringLiteral("ENU");
    }
}

int nlsKey2lcid(const QString& key)
{
    for (const Language& l : kLanguages)
        if (key == QLatin1String(l.key))
            return l.lcid;
    return 1033;
}

int key2rcOffset(const QString& key)
{
    for (const Language& l : kLanguages)
        if (key == QLatin1String(l.key))
            return l.offset;
    return 0;
}

QString rcOffset2nlsKey(int offset)
{
    for (const Language& l : kLanguages)
        if (l.offset == offset)
            return QString::fromLatin1(l.key);
    return QStringLiteral("ENU");
}

int rcOffset2lcid(int offset) { return nlsKey2lcid(rcOffset2nlsKey(offset)); }

int lcid2rcOffset(int lcid) { return key2rcOffset(lcid2nlsKey(lcid)); }

bool rcOffset_RequiresUnicode(int offset)
{
    const QString key = rcOffset2nlsKey(offset);
    return key == QLatin1String("CHS") || key == QLatin1String("KOR") || key == QLatin1String("THA");
}

int rcOffset() { return currentOffset(); }

void setRcOffset(int offset)
{
    currentOffset() = offset;
    applyToolkitLanguage(offset);
}

QString getRcStr(int n, bool bUni) try {
    const int offset = (rcOffset_RequiresUnicode(currentOffset()) && !bUni) ? key2rcOffset(QStringLiteral("ENU"))
                                                                             : currentOffset();
    const auto it = table().constFind({offset, n});
    if (it == table().constEnd())
        throw RtError(326, QStringLiteral("Resource with identifier '%1' not found").arg(offset + n));
    return *it;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Rc.getRcStr()"));
    return {};
}

bool hasString(int offset, int n) { return table().contains({offset, n}); }

QList<int> baseNumbers()
{
    QList<int> numbers;
    for (auto it = table().constBegin(); it != table().constEnd(); ++it)
        if (it.key().first == 4000)
            numbers << it.key().second;
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace M_Rc
