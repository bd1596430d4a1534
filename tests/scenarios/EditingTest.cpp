// Undo and redo through the keys across every kind of edit a user makes on a view (a drawing, a
// calibration, a measurement, a keyframe, the eraser), and Delete on the item under the pointer.
#include "support/Scenario.h"

#include "components/analysis/AnalysisDoc.h"
#include "mainwindow/frmMain.h"
#include "view/CVw.h"
#include "view/ViewMouse.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QTest>

namespace {
// What a view holds, counted: drawings, measurements, keyframes, whether it is calibrated.
struct Work {
    std::size_t drawings, measurements, keyframes;
    bool calibrated;
    bool operator==(const Work&) const = default;
};

Work workOf(CVw* vw)
{
    const analysis::View v = vw->analysis_get();
    return {v.drawings.size(), v.measurements.size(), v.timeLine.keyframes.size(), v.calibrationInForce >= 0};
}

std::ostream& operator<<(std::ostream& os, const Work& w)
{
    return os << w.drawings << " drawings, " << w.measurements << " measurements, " << w.keyframes << " keyframes, "
              << (w.calibrated ? "calibrated" : "uncalibrated");
}
} // namespace

TEST_F(Scenario, UndoAndRedoWalkBackAndForthAcrossEveryKindOfEdit)
{
    open({clip(QStringLiteral("edit.mkv"))});
    CVw* v = view(0);
    ASSERT_NE(v, nullptr);
    std::vector<Work> states{workOf(v)};
    const auto made = [&] {
        states.push_back(workOf(v));
        ASSERT_NE(states.back(), states[states.size() - 2]) << "the edit changed nothing";
    };
    tool("chkTbMainDraw", "chkTbDrawLine");
    dragAt(v, {10, 10}, {60, 40});
    made();
    calibrate(v, {20, 100}, {120, 100}, QStringLiteral("1"));
    made();
    dragAt(v, {30, 20}, {90, 80}); // the distance tool stays chosen
    made();
    key(Qt::Key_Right);
    key(Qt::Key_K);
    made();
    click(toolButton("chkTbMainRmAll"));
    made();
    EXPECT_EQ(states.back().drawings, 0u);

    // Back step by step to the untouched view, one more undo changing nothing; then forth.
    for (int i = int(states.size()) - 2; i >= 0; --i) {
        key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(workOf(v), states[std::size_t(i)]) << "undo to state " << i;
    }
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(workOf(v), states[0]);
    for (std::size_t i = 1; i < states.size(); ++i) {
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(workOf(v), states[i]) << "redo to state " << i;
    }
    // A new edit after an undo leaves nothing to redo.
    key(Qt::Key_Z, Qt::ControlModifier);
    tool("chkTbMainDraw", "chkTbDrawLine");
    dragAt(v, {100, 10}, {150, 20});
    const Work branched = workOf(v);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(workOf(v), branched);
    auto* redo = window().findChild<QAction*>(QStringLiteral("frmMain_Edit_Redo"));
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(dialogs->messages.size() <= 2u) << "only the calibration's question and result";
}

TEST_F(Scenario, DeleteRemovesTheItemUnderThePointerOnly)
{
    open({clip(QStringLiteral("edit.mkv"))});
    CVw* v = view(0);
    tool("chkTbMainDraw", "chkTbDrawLine");
    dragAt(v, {10, 10}, {90, 10});
    dragAt(v, {10, 80}, {90, 80});
    tool("chkTbMainDraw", "chkTbDrawLine"); // put away: the pointer rests without drawing
    ASSERT_EQ(v->graphObj_count(), 2);
    const analysis::Drawing upper = v->analysis_get().drawings.at(0);
    const auto pointAt = [&](QPointF p) {
        QTest::mouseMove(v->viewer(), ViewMouse::at(v->viewer(), p));
        settle(0);
    };
    pointAt({50, 45}); // between the lines
    key(Qt::Key_Delete);
    EXPECT_EQ(v->graphObj_count(), 2);
    pointAt({50, 80});
    key(Qt::Key_Delete);
    ASSERT_EQ(v->graphObj_count(), 1);
    const analysis::View left = v->analysis_get();
    ASSERT_EQ(left.drawings.size(), 1u);
    EXPECT_EQ(left.drawings[0], upper) << "the other line stays";
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(v->graphObj_count(), 2) << "a deletion is undone like any edit";
}
