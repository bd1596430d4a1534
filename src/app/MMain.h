#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// The start module: the process-wide state, the start sequence, the table of forms and shutdown.
namespace MMain {

// The table of forms in its fixed order; index 0 is always the main window.
enum FormIdx : int {
    FrmMain = 0,
    FrmCalibDist = 1,
    FrmLng = 2,
    FrmPrpGraphObj = 3,
    FrmPrpVidMix = 4,
    FrmPrpVidStrobo = 5,
    FormCount = 6,
};

using FormFactory = std::function<std::unique_ptr<QWidget>()>;

// The start of the program: Init, then the main window is loaded and shown. False when the
// start was stopped before any window was shown.
bool Main();
// The start sequence; false stops the program before any window is shown.
bool Init();
bool vars_init();
bool dir_init();
void iniFile_init();
void iniFile_create();
void iniFile_read();

// Every loaded form, in index order, takes the texts of the current language and lays out.
void frms_setRcStr();
// Unloads the forms at index 1 to 5; the main window is left alone.
void frms_unload();
// Releases everything the start module holds (the main window last); called once at exit.
void terminate();

// The table of forms. A form is loaded on first use from the factory registered for its slot.
void setFormFactory(int idx, FormFactory factory);
QWidget* form(int idx);     // the loaded form, or null
QWidget* loadForm(int idx); // loads the form if needed; null when its slot has no factory
void unloadForm(int idx);

// The process-wide state.
QString dirCommonAppData();   // per-machine root, ending in "/"
QString dirAppData();         // roaming root
QString dirLocalAppData();    // local root
QString dirProgram(int csidl); // <root>Ovra/Zorvik/ of a root
// The program folder of a root, made (with the maker's folder) if missing, for a file about to
// be written there; empty when it cannot be made (reported).
QString dirProgramMake(int csidl);
QString dirTmp();
QString iniFilePath();
QColor defaultDrawColor();

inline constexpr const char* kMaker = "Ovra";
inline constexpr const char* kProduct = "Zorvik";
inline constexpr const char* kIniSection = "Settings";
inline constexpr const char* kIniKeyLcid = "LCID";

} // namespace MMain
