#include "app/MMain.h"

#include "app/Form.h"
#include "app/M_File.h"
#include "app/M_GUI.h"
#include "app/M_Ini.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "app/UserLocale.h"
#include "app/frmLng.h"
#include "components/DialogService.h"
#include "mainwindow/frmMain.h"

#include <QFile>
#include <QPointer>
#include <QWidget>
#include <array>

namespace MMain {
namespace {

struct State {
    QString rootCommon, rootRoaming, rootLocal, tmp;
    QString iniPath;
    QColor drawColor;
};

State& state()
{
    static State s;
    return s;
}

// A loaded form may also be owned by a parent window; the guarded pointer notices when the
// parent has already destroyed it.
struct FormSlot {
    FormFactory factory;
    QPointer<QWidget> widget;
};

std::array<FormSlot, FormCount>& forms()
{
    static std::array<FormSlot, FormCount> table;
    return table;
}

QString programDir(const QString& root) { return root + kMaker + u'/' + kProduct + u'/'; }

QString rootOf(int csidl)
{
    switch (csidl) {
    case M_File::CommonAppData: return state().rootCommon;
    case M_File::AppData: return state().rootRoaming;
    case M_File::LocalAppData: return state().rootLocal;
    default: return {};
    }
}

// Resolves one folder root; reports string 3221 with the folder's name when it cannot.
bool resolveRoot(int csidl, const char* csidlName, QString& root)
{
    root = M_File::getDirPath(csidl);
    if (!root.isEmpty())
        return true;
    M_Msg::msgUsr(M_Rc::getRcStr(3221) + QStringLiteral(": ") + QLatin1String(csidlName),
                  MsgBox::Critical | MsgBox::OkOnly);
    return false;
}

} // namespace

bool Main() try {
    if (!Init())
        return false;
    QWidget* mainWindow = loadForm(FrmMain);
    if (!mainWindow)
        return false;
    mainWindow->show();
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.Main()"));
    return false;
}

bool Init() try {
    if (!M_Rc::Init())
        return false;
    if (!vars_init())
        return false;
    if (!dir_init())
        return false;
    if (!M_GUI::Init())
        return false;
    iniFile_init();
    setFormFactory(FrmMain, [] { return std::make_unique<frmMain>(); });
    setFormFactory(FrmLng, [] { return std::make_unique<frmLng>(form(FrmMain)); });
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.Init()"));
    return false;
}

bool vars_init() try {
    State& s = state();
    if (!resolveRoot(M_File::CommonAppData, "CSIDL_COMMON_APPDATA", s.rootCommon))
        return false;
    if (!resolveRoot(M_File::AppData, "CSIDL_APPDATA", s.rootRoaming))
        return false;
    if (!resolveRoot(M_File::LocalAppData, "CSIDL_LOCAL_APPDATA", s.rootLocal))
        return false;
    s.tmp = M_File::getDirPathTmp();
    if (s.tmp.isEmpty()) {
        M_Msg::msgUsr(M_Rc::getRcStr(3222), MsgBox::Critical | MsgBox::OkOnly);
        return false;
    }
    s.iniPath = programDir(s.rootRoaming) + QStringLiteral("zorvik.ini");
    s.drawColor = QColor(255, 255, 128);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.vars_init()"));
    return false;
}

bool dir_init() try {
    // The per-machine folder is shared by all users of the machine: it is made by the first
    // write that needs it, not by every start.
    dirProgramMake(M_File::AppData);
    dirProgramMake(M_File::LocalAppData);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.dir_init()"));
    return false;
}

void iniFile_init() try {
    if (!M_File::existFile(state().iniPath))
        iniFile_create();
    iniFile_read();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.iniFile_init()"));
}

void iniFile_create() try {
    const std::unique_ptr<QFile> file = M_File::createIniFile(state().iniPath);
    if (!file)
        return;
    const QByteArray bytes = QByteArray("[") + kIniSection + "]\r\n" + kIniKeyLcid + '='
                             + QByteArray::number(userDefaultLcid()) + "\r\n";
    if (file->write(bytes) != bytes.size() || !file->flush())
        throw RtError(61, QStringLiteral("Disk full"), errno);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.iniFile_create()"));
}

void iniFile_read() try {
    const int lcid = M_Ini::num_get(QLatin1String(kIniSection), QLatin1String(kIniKeyLcid), userDefaultLcid(),
                                    state().iniPath);
    M_Rc::setRcOffset(M_Rc::lcid2rcOffset(lcid));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.iniFile_read()"));
}

void frms_setRcStr() try {
    for (FormSlot& slot : forms()) {
        if (auto* f = dynamic_cast<Form*>(slot.widget.data())) {
            f->ctrls_setRcStr();
            f->ctrls_resize();
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.frms_setRcStr()"));
}

void frms_unload() try {
    for (int idx = FrmCalibDist; idx < FormCount; ++idx)
        unloadForm(idx);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.frms_unload()"));
}

void terminate()
{
    frms_unload();
    unloadForm(FrmMain);
    for (FormSlot& slot : forms())
        slot.factory = nullptr;
}

void setFormFactory(int idx, FormFactory factory) { forms().at(size_t(idx)).factory = std::move(factory); }

QWidget* form(int idx) { return forms().at(size_t(idx)).widget.data(); }

QWidget* loadForm(int idx) try {
    FormSlot& slot = forms().at(size_t(idx));
    if (!slot.widget && slot.factory)
        slot.widget = slot.factory().release();
    return slot.widget.data();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.loadForm()"), QStringLiteral("idx = %1").arg(idx));
    return nullptr;
}

void unloadForm(int idx)
{
    delete forms().at(size_t(idx)).widget.data();
    forms().at(size_t(idx)).widget.clear();
}

QString dirCommonAppData() { return state().rootCommon; }
QString dirAppData() { return state().rootRoaming; }
QString dirLocalAppData() { return state().rootLocal; }
QString dirTmp() { return state().tmp; }
QString iniFilePath() { return state().iniPath; }
QColor defaultDrawColor() { return state().drawColor; }

QString dirProgramMake(int csidl) try {
    const QString root = rootOf(csidl);
    if (root.isEmpty())
        throw RtError(RtError::InvalidCall, QStringLiteral("csidl = %1").arg(csidl));
    if (!M_File::createDir(root + kMaker + u'/') || !M_File::createDir(programDir(root)))
        return {};
    return programDir(root);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("MMain.dirProgramMake()"));
    return {};
}

QString dirProgram(int csidl)
{
    const QString root = rootOf(csidl);
    return root.isEmpty() ? QString() : programDir(root);
}

} // namespace MMain
