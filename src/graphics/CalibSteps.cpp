#include "graphics/CalibSteps.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"

namespace CalibSteps {

namespace {
constexpr int kStrCalibOk = 1041;
constexpr int kStrCalibFailed = 1043;

void tell(int stringNumber) { M_Msg::msgUsr(M_Rc::getRcStr(stringNumber), MsgBox::Information | MsgBox::OkOnly); }
} // namespace

std::shared_ptr<OvCalib2D> start(const OvCalib2Ds& factory, QSize picture, double calibDist, int calibUnit,
                                 double calibAspectRatio) try {
    if (!(calibAspectRatio > 0) || !(calibDist > 0)) {
        tell(kStrCalibFailed);
        return nullptr;
    }
    auto cal = factory.newCalib2D(picture);
    cal->setUnit(calibUnit);
    cal->setAspect(float(calibAspectRatio));
    cal->setRefLength(calibDist);
    return cal;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CalibSteps.start()"));
    return nullptr;
}

int actionSave(int currentAction) { return currentAction == kActionCalib ? 0 : currentAction; }

void press(OvCalib2D& cal, double fx, double fy) try {
    cal.setRefPoint(0, float(fx), float(fy));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CalibSteps.press()"));
}

bool release(OvCalib2D& cal, double fx, double fy) try {
    cal.setRefPoint(1, float(fx), float(fy));
    if (cal.failed() != OvCalib2D::None) {
        tell(kStrCalibFailed);
        return false;
    }
    tell(kStrCalibOk);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CalibSteps.release()"));
    return false;
}

} // namespace CalibSteps
