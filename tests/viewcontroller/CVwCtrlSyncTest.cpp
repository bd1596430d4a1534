// Synchronisation points across real views and the time line menu: which instant a new point
// takes, that all source views get it or none, and the menu's entries with their flags.
#include "../timeline/TimelineFixtures.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <map>

using namespace TimelineFixtures;

namespace {

class Sync : public TimelineTest {
protected:
    void SetUp() override
    {
        TimelineTest::SetUp();
        a = open(tenSeconds25());
        b = open(fourSeconds10());
        ASSERT_TRUE(a && b);
        ASSERT_EQ(ctrl.numVwsSrc(), 2);
        ctrl.vw_focus(0);
    }
    // The enabled state of every entry of the menu, by key, as the menu was shown.
    void recordMenu()
    {
        dialogs->onMenu = [this](QMenu& menu) {
            shownEntries.clear();
            for (QAction* action : menu.findChildren<QAction*>())
                if (!action->objectName().isEmpty() && !action->menu())
                    shownEntries[action->objectName()] = action->isEnabled();
        };
    }
    bool enabled(const char* suffix) const
    {
        const auto it = shownEntries.find(QStringLiteral("CVwCtrl") + QLatin1String(suffix));
        return it != shownEntries.end() && it->second;
    }

    CVw* a = nullptr;
    CVw* b = nullptr;
    std::map<QString, bool> shownEntries;
};

} // namespace

TEST_F(Sync, TheNewPointStandsAtTheLaterTimeInBothViews)
{
    a->timeLine().time_goto(1.2);
    b->timeLine().time_goto(3.4);
    double tSync = 0;
    ASSERT_TRUE(ctrl.syncPt_checkNew(tSync));
    EXPECT_DOUBLE_EQ(tSync, 3.4);
    ctrl.syncPt_set();

    for (CVw* vw : {a, b}) {
        CTL& tl = vw->timeLine();
        ASSERT_EQ(tl.m_NumSyncPts, 1);
        EXPECT_DOUBLE_EQ(tl.syncPts()[1].tSync, 3.4);
        EXPECT_DOUBLE_EQ(tl.m_Time, 3.4);
        EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdSyncPt0), 3.4f);
    }
    // Each view is tied at the frame it showed.
    EXPECT_DOUBLE_EQ(a->timeLine().syncPts()[1].tVw, 1.2);
    EXPECT_DOUBLE_EQ(b->timeLine().syncPts()[1].tVw, 3.4);
    EXPECT_EQ(frameOf(a), 30);
    EXPECT_EQ(frameOf(b), 34);
    EXPECT_EQ(a->timeLine().strip()->itemCaption(CTL::kIdSyncPt0), QStringLiteral("Sync point:   Time 3.400   Frame 30"));

    // From now on the views move together on the shared axis.
    ctrl.vidTimeGoto(3.9, true);
    EXPECT_EQ(frameOf(a), 42); // view time 1.7
    EXPECT_EQ(frameOf(b), 39);
    EXPECT_EQ(ViewFixtures::shownNumber(a->viewer()), 42);
    ctrl.vidTimeGoto(1.7, true);
    EXPECT_EQ(frameOf(a), 15); // scaled before the point: view time 0.6
    EXPECT_EQ(frameOf(b), 17);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Sync, OneRefusingViewMeansNoViewGetsThePoint)
{
    a->timeLine().time_goto(1.2);
    b->timeLine().time_goto(3.4);
    ctrl.syncPt_set();
    ASSERT_EQ(a->timeLine().m_NumSyncPts, 1);

    // a would take (3.0, 1.04); b would run 2.4 s of its video in 0.4 s and refuses.
    a->timeLine().time_goto(3.0);
    b->timeLine().time_goto(1.0);
    ASSERT_TRUE(a->timeLine().syncPt_checkNew(3.0, a->timeLine().time_adjust(a->timeLine().time_sync2vw(3.0))));
    double tSync = 0;
    EXPECT_FALSE(ctrl.syncPt_checkNew(tSync));
    EXPECT_EQ(a->timeLine().ctxTL_flags() & CTL::CtxSyncPtSet, 0);
    ctrl.syncPt_set();
    EXPECT_EQ(a->timeLine().m_NumSyncPts, 1);
    EXPECT_EQ(b->timeLine().m_NumSyncPts, 1);
    EXPECT_EQ(a->timeLine().strip()->itemCount(), 1);

    // Once b stands where it may, both get the point.
    b->timeLine().time_goto(3.0);
    ASSERT_TRUE(ctrl.syncPt_checkNew(tSync));
    EXPECT_NE(a->timeLine().ctxTL_flags() & CTL::CtxSyncPtSet, 0);
    ctrl.syncPt_set();
    EXPECT_EQ(a->timeLine().m_NumSyncPts, 2);
    EXPECT_EQ(b->timeLine().m_NumSyncPts, 2);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Sync, NoPointWithOneSourceOrAFocusOutsideTheSources)
{
    double tSync = 0;
    ASSERT_TRUE(ctrl.syncPt_checkNew(tSync));
    ctrl.vw_select(0, false, false); // a alone
    EXPECT_FALSE(ctrl.syncPt_checkNew(tSync));
    EXPECT_EQ(a->timeLine().ctxTL_flags() & CTL::CtxSyncPtSet, 0);
    ctrl.syncPt_set();
    EXPECT_EQ(a->timeLine().m_NumSyncPts, 0);

    ctrl.vw_select(1, false, false); // b alone selected, a focused
    ctrl.vw_focus(0);
    EXPECT_FALSE(ctrl.syncPt_checkNew(tSync));
}

TEST_F(Sync, TheClickedPointLeavesEverySourceAlsoWhenSetOutOfOrder)
{
    a->timeLine().time_goto(3.0);
    b->timeLine().time_goto(1.0);
    ctrl.syncPt_set(); // (3.0, 3.0) and (3.0, 1.0)
    a->timeLine().time_goto(1.0);
    b->timeLine().time_goto(0.5);
    ctrl.syncPt_set(); // before it: (1.0, 1.0) and (1.0, 0.1)
    for (CVw* vw : {a, b}) {
        ASSERT_EQ(vw->timeLine().m_NumSyncPts, 2);
        EXPECT_FLOAT_EQ(vw->timeLine().strip()->itemTime(CTL::kIdSyncPt0), 1.0f);
        EXPECT_FLOAT_EQ(vw->timeLine().strip()->itemTime(CTL::kIdSyncPt0 + 1), 3.0f);
    }
    EXPECT_DOUBLE_EQ(b->timeLine().syncPts()[1].tVw, 0.1);

    // A right click on a's later point and "Delete" in its menu.
    recordMenu();
    OvTimeLine* strip = a->timeLine().strip();
    dialogs->menuAnswers.push_back(QStringLiteral("CVwCtrl_TL_SyncPt_Del"));
    QTest::mouseClick(strip, Qt::RightButton, {}, bandPoint(strip, 3.0));
    EXPECT_TRUE(enabled("_TL_SyncPt_Del"));
    EXPECT_TRUE(enabled("_TL_SyncPt_DelAll"));
    for (CVw* vw : {a, b}) {
        CTL& tl = vw->timeLine();
        ASSERT_EQ(tl.m_NumSyncPts, 1);
        EXPECT_DOUBLE_EQ(tl.syncPts()[1].tSync, 1.0);
        EXPECT_FALSE(tl.strip()->hasItem(CTL::kIdSyncPt0 + 1));
        EXPECT_EQ(tl.m_idSelItem, -1);
    }

    // "Delete all" from b's menu clears both.
    dialogs->menuAnswers.push_back(QStringLiteral("CVwCtrl_TL_SyncPt_DelAll"));
    QTest::mouseClick(b->timeLine().strip(), Qt::RightButton, {}, bandPoint(b->timeLine().strip(), 2.5));
    EXPECT_EQ(ctrl.m_VwIdxFocus, 1);
    EXPECT_EQ(a->timeLine().m_NumSyncPts, 0);
    EXPECT_EQ(b->timeLine().m_NumSyncPts, 0);
    EXPECT_DOUBLE_EQ(b->timeLine().m_TimeMax, 4.0);
    EXPECT_TRUE(dialogs->messages.empty());
}
