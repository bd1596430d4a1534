// The Help menu: a short quick start in the interface language, the keyboard shortcuts as the
// menus carry them (so the list cannot drift from the keys), and the About page with the
// versions and licences of the libraries the program runs with.
#include "mainwindow/frmMain.h"

#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/media/LibraryInfo.h"
#include "dialogs/TextWindow.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
constexpr int kStrHelp = 3966;
constexpr int kStrShortcuts = 3967;
constexpr int kStrQuickStart = 3968;
constexpr int kStrAbout = 3969;
constexpr int kStrQuickStartText = 3970;
constexpr int kStrCommand = 3971;
constexpr int kStrKey = 3972;
constexpr int kStrTagline = 3973;
constexpr int kStrVersion = 3974;
constexpr int kStrUses = 3975;
constexpr int kStrEscape = 9016;
constexpr int kStrEnlarge = 9017;
constexpr int kStrDoubleClick = 9018;
constexpr int kStrClose = 1901;

// Each entry that has a key, in the order of the menus.
void collectShortcuts(const QMenu* menu, QList<QPair<QString, QString>>& rows)
{
    for (const QAction* a : menu->actions()) {
        if (a->menu())
            collectShortcuts(a->menu(), rows);
        else if (!a->shortcut().isEmpty() && a->isVisible())
            rows.append({M_GUI::withoutMnemonic(a->text()), a->shortcut().toString(QKeySequence::NativeText)});
    }
}
} // namespace

void frmMain::m_mnuHelp_load(QMenuBar* bar) try {
    QMenu* menu = mnuBar_add(bar, "frmMain_Help", kStrHelp);
    const auto add = [this, menu](const char* suffix, int strNr, void (frmMain::*show)()) {
        QAction* a = menu->addAction(QString::fromLatin1(suffix));
        a->setObjectName(QStringLiteral("frmMain_Help_") + QLatin1String(suffix));
        M_GUI::setTag(a, strNr);
        connect(a, &QAction::triggered, this, [this, show] { (this->*show)(); });
        return a;
    };
    add("QuickStart", kStrQuickStart, &frmMain::help_quickStart)->setShortcut(QKeySequence::HelpContents);
    add("Shortcuts", kStrShortcuts, &frmMain::help_shortcuts);
    menu->addSeparator();
    add("About", kStrAbout, &frmMain::help_about);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuHelp_load()"));
}

void frmMain::help_quickStart() try {
    QString html = QStringLiteral("<h3>%1</h3>").arg(M_Rc::getRcStr(kStrQuickStart).toHtmlEscaped());
    for (const QString& line : M_Rc::getRcStr(kStrQuickStartText).split(QStringLiteral("\r\n")))
        html += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    TextWindow::show(this, QStringLiteral("frmHelpQuickStart"), M_Rc::getRcStr(kStrQuickStart), html,
                     M_Rc::getRcStr(kStrClose));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.help_quickStart()"));
}

void frmMain::help_shortcuts() try {
    QList<QPair<QString, QString>> rows;
    if (m_mnuMain)
        for (const QAction* a : m_mnuMain->actions())
            if (a->menu())
                collectShortcuts(a->menu(), rows);
    rows.append({M_Rc::getRcStr(kStrEscape), QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText)});
    rows.append({M_Rc::getRcStr(kStrEnlarge), M_Rc::getRcStr(kStrDoubleClick)});
    QString html = QStringLiteral("<table cellpadding='4'><tr><th align='left'>%1</th><th align='left'>%2</th></tr>")
                       .arg(M_Rc::getRcStr(kStrCommand).toHtmlEscaped(), M_Rc::getRcStr(kStrKey).toHtmlEscaped());
    for (const auto& [command, keys] : rows)
        html += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>").arg(command.toHtmlEscaped(), keys.toHtmlEscaped());
    html += QStringLiteral("</table>");
    TextWindow::show(this, QStringLiteral("frmHelpShortcuts"), M_GUI::withoutMnemonic(M_Rc::getRcStr(kStrShortcuts)), html,
                     M_Rc::getRcStr(kStrClose));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.help_shortcuts()"));
}

void frmMain::help_about() try {
    const media::LibraryInfo media = media::libraryInfo();
    const QString uses = M_Rc::getRcStr(kStrUses);
    QString html = QStringLiteral("<h2>%1 %2</h2><p>%3</p><p>%4</p>")
                       .arg(QLatin1String(MMain::kMaker), QLatin1String(MMain::kProduct),
                            M_Rc::getRcStr(kStrTagline).toHtmlEscaped(),
                            M_Rc::getRcStr(kStrVersion).arg(QStringLiteral(ZORVIK_VERSION)).toHtmlEscaped());
    html += QStringLiteral("<p>%1</p>").arg(uses.arg(QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
                                                     QStringLiteral("GNU LGPL version 3"))
                                                .toHtmlEscaped());
    html += QStringLiteral("<p>%1</p>").arg(uses.arg(media.name, media.version, media.licence).toHtmlEscaped());
    TextWindow::show(this, QStringLiteral("frmHelpAbout"), M_GUI::withoutMnemonic(M_Rc::getRcStr(kStrAbout)), html,
                     M_Rc::getRcStr(kStrClose));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.help_about()"));
}
