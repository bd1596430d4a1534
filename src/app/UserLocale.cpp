#include "app/UserLocale.h"

#include <QHash>
#include <QRegularExpression>

namespace {
struct Entry {
    const char* name;
    int lcid;
};

// Language and country pairs first; a bare language maps to its principal country.
const Entry kLocales[] = {
    {"de_DE", 1031}, {"de_CH", 2055}, {"de_AT", 3079}, {"de_LU", 4103}, {"de_LI", 5127},
    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"en_NZ", 5129}, {"en_IE", 6153},
    {"pt_PT", 2070}, {"pt_BR", 1046},
    {"zh_CN", 2052}, {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
    {"fr_FR", 1036}, {"fr_BE", 2060}, {"fr_CA", 3084}, {"fr_CH", 4108}, {"fr_LU", 5132},
    {"es_ES", 1034}, {"es_MX", 2058}, {"es_AR", 11274}, {"es_CO", 9226}, {"es_CL", 13322},
    {"ko_KR", 1042}, {"th_TH", 1054},
    {"it_IT", 1040}, {"ja_JP", 1041}, {"nl_NL", 1043}, {"ru_RU", 1049}, {"pl_PL", 1045},
    {"sv_SE", 1053}, {"da_DK", 1030}, {"fi_FI", 1035}, {"nb_NO", 1044}, {"cs_CZ", 1029},
    {"de", 1031}, {"en", 1033}, {"pt", 2070}, {"zh", 2052}, {"fr", 1036}, {"es", 1034},
    {"ko", 1042}, {"th", 1054}, {"it", 1040}, {"ja", 1041}, {"nl", 1043}, {"ru", 1049}, {"pl", 1045},
};
} // namespace

int posixLocaleToLcid(const QString& name)
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (const Entry& e : kLocales)
            t.insert(QString::fromLatin1(e.name), e.lcid);
        return t;
    }();
    // "fr_FR.UTF-8@euro" -> "fr_FR"; "fr-FR" is accepted as well.
    QString base = name;
    const qsizetype cut = base.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        base.truncate(cut);
    base.replace(u'-', u'_');
    if (const auto it = table.constFind(base); it != table.constEnd())
        return *it;
    const qsizetype underscore = base.indexOf(u'_');
    if (underscore > 0)
        return table.value(base.left(underscore), 0);
    return 0;
}

int userDefaultLcid()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            continue;
        const int lcid = posixLocaleToLcid(value);
        return lcid != 0 ? lcid : 1033;
    }
    return 1033;
}
