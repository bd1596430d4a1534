#pragma once

#include "app/M_GUI.h"
#include "app/M_Rc.h"

#include <QAction>
#include <QMenu>

// Building the controller's context menus: every entry and sub-menu is named "CVwCtrl" + its key
// suffix, and a captioned one keeps its string number so the menu follows a change of language.
namespace CtxMenu {

inline QString key(const char* suffix) { return QStringLiteral("CVwCtrl") + QLatin1String(suffix); }

// An entry captioned by string strNr; strNr 0 takes `text` as it stands.
inline QAction* addEntry(QMenu* menu, const char* suffix, int strNr, const QString& text = {})
{
    QAction* a = menu->addAction(strNr ? M_Rc::getRcStr(strNr) : text);
    a->setObjectName(key(suffix));
    if (strNr)
        M_GUI::setTag(a, strNr);
    return a;
}

inline QMenu* addSubMenu(QMenu* menu, const char* suffix, int strNr)
{
    QMenu* sub = menu->addMenu(M_Rc::getRcStr(strNr));
    sub->setObjectName(key(suffix));
    sub->menuAction()->setObjectName(key(suffix));
    M_GUI::setTag(sub->menuAction(), strNr);
    return sub;
}

} // namespace CtxMenu
