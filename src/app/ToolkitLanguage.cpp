#include "app/ToolkitLanguage.h"

#include "app/M_Rc.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

void applyToolkitLanguage(int rcOffset)
{
    static std::unique_ptr<QTranslator> installed;
    static QString installedKey;
    const QString key = M_Rc::rcOffset2nlsKey(rcOffset);
    if (!QCoreApplication::instance() || key == installedKey)
        return;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    installedKey = key;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const char* candidates[3] = {nullptr, nullptr, nullptr};
    if (key == QLatin1String("DEU")) candidates[0] = "qtbase_de";
    else if (key == QLatin1String("PTG")) { candidates[0] = "qtbase_pt_PT"; candidates[1] = "qtbase_pt_BR"; candidates[2] = "qtbase_pt"; }
    else if (key == QLatin1String("CHS")) candidates[0] = "qtbase_zh_CN";
    else if (key == QLatin1String("FRA")) candidates[0] = "qtbase_fr";
    else if (key == QLatin1String("ESP")) candidates[0] = "qtbase_es";
    else if (key == QLatin1String("KOR")) candidates[0] = "qtbase_ko";
    else if (key == QLatin1String("THA")) candidates[0] = "qtbase_th";
    for (const char* name : candidates) {
        if (!name)
            break;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLatin1String(name), dir)) {
            QCoreApplication::installTranslator(translator.get());
            installed = std::move(translator);
            return;
        }
    }
}
