// Graphic items as the drawing tools make them: what each kind becomes, drags and releases,
// freehand chains, circles on a diameter, typing, ids, frames, and the width/style mapping.
#include "GraphicsFixtures.h"

#include "components/media/MediaCodes.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "support/ScriptedDialogs.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace M_OvGS;

namespace {
const QColor kColour(255, 255, 128);

GiPtr make(OvGraphItems& gis, int kind, double x, double y, int width = 1, int id = -1, bool replace = false)
{
    return ovGi_new(kind, gis, x, y, kColour, width, 4, 2, 9, id, replace);
}
} // namespace

// A new item takes its place, colour and frames; a kind without a drawing makes nothing.
TEST(OvGSItems, AnItemTakesItsSettingsAndAnUnknownKindMakesNothing)
{
    ScopedDialogs d;
    for (int kind : {0, 5, 6, 7, 10, 12, 13}) {
        OvGraphItems gis;
        const GiPtr gi = make(gis, kind, 12.5, 7.25, 3);
        ASSERT_TRUE(gi) << "kind " << kind;
        EXPECT_EQ(gis.count(), 1);
        EXPECT_EQ(gi->point(1), QPointF(12.5, 7.25));
        EXPECT_EQ(gi->color(), kColour);
        EXPECT_EQ(gi->curFrame(), 4);
        EXPECT_EQ(gi->firstFrame(), 2);
        EXPECT_EQ(gi->lastFrame(), 9);
    }
    EXPECT_TRUE(d->messages.empty());
    OvGraphItems gis;
    EXPECT_EQ(make(gis, 9, 1, 1), nullptr);
    EXPECT_EQ(gis.count(), 0);
    EXPECT_EQ(d->messages.size(), 1u);
}

TEST(OvGSItems, IdsComeFromOneCounterAndAFixedIdReplaces)
{
    OvGraphItems gis;
    const GiPtr a = make(gis, OVGS_TYPE_CROSS, 1, 1);
    const GiPtr b = make(gis, OVGS_TYPE_LINE, 1, 1);
    EXPECT_EQ(b->id(), a->id() + 1);
    OvGraphItems other; // the counter is shared by every collection
    EXPECT_EQ(make(other, OVGS_TYPE_CROSS, 1, 1)->id(), b->id() + 1);

    for (int i = 0; i < 3; ++i)
        make(gis, OVGS_TYPE_CLOCK, 5, 5, 1, kIdClock, true);
    EXPECT_EQ(ovGi_get(gis, kIdClock).size(), 1u);
    // Without replace the id is shared.
    make(gis, OVGS_TYPE_CROSS, 5, 5, 1, kIdClock, false);
    EXPECT_EQ(ovGi_get(gis, kIdClock).size(), 2u);
    EXPECT_EQ(ovGi_get1st(gis, kIdClock)->type(), OvGraphItem::Text);
    EXPECT_EQ(ovGi_get1st(gis, 123456), nullptr);
    EXPECT_EQ(ovGi_idLast(gis), kIdClock);
    gis.rmAll();
    EXPECT_EQ(ovGi_idLast(gis), -1);
}

TEST(OvGSItems, CalibrationLineIsThreeItemsUnderOneIdAndIsReplaced)
{
    OvGraphItems gis;
    GiPtr start = make(gis, OVGS_TYPE_CALIB, 10, 20);
    ASSERT_TRUE(start);
    const int id = start->id();
    ASSERT_EQ(gis.count(), 3);
    const GiPtr end = gis.item(2);
    const GiPtr line = gis.item(3);
    EXPECT_EQ(start->type(), OvGraphItem::Cross);
    EXPECT_EQ(end->type(), OvGraphItem::Cross);
    EXPECT_EQ(line->type(), OvGraphItem::Line);
    EXPECT_EQ(start->size(), 7);
    EXPECT_EQ(end->size(), 7);
    EXPECT_EQ(end->id(), id);
    EXPECT_EQ(line->id(), id);
    EXPECT_TRUE(line->marked()); // dashed while drawn

    ovGi_update(OVGS_TYPE_CALIB, gis, start, 60, 80);
    EXPECT_EQ(start->point(0), QPointF(10, 20));
    EXPECT_EQ(end->point(0), QPointF(60, 80));
    EXPECT_EQ(line->point(0), QPointF(10, 20));
    EXPECT_EQ(line->point(1), QPointF(60, 80));
    ovGi_final(OVGS_TYPE_CALIB, gis, start, 70, 90);
    EXPECT_EQ(end->point(1), QPointF(70, 90));
    EXPECT_EQ(line->point(1), QPointF(70, 90));
    EXPECT_FALSE(line->marked() || start->marked() || end->marked());

    // Calibrating again with the line's id replaces it.
    GiPtr again = make(gis, OVGS_TYPE_CALIB, 30, 30, 1, id, true);
    EXPECT_EQ(again->id(), id);
    EXPECT_EQ(gis.count(), 3);
    EXPECT_FALSE(gis.contains(line.get()));
}

TEST(OvGSItems, CircleHasThePressedPointAndTheMouseOnADiameter)
{
    OvGraphItems gis;
    GiPtr circle = make(gis, OVGS_TYPE_CIRCLE, 10.4, 20.6); // anchor rounds to (10, 21)
    ovGi_update(OVGS_TYPE_CIRCLE, gis, circle, 50, 51);
    EXPECT_EQ(circle->point(0), QPointF(30, 36));
    EXPECT_FLOAT_EQ(circle->size(), 26.0f); // half of 50, plus 1
    ovGi_update(OVGS_TYPE_CIRCLE, gis, circle, 10, 21);
    EXPECT_EQ(circle->point(0), QPointF(10, 21));
    EXPECT_FLOAT_EQ(circle->size(), 1.0f);
    ovGi_update(OVGS_TYPE_CIRCLE, gis, circle, -6, 9); // up and to the left of the anchor
    EXPECT_EQ(circle->point(0), QPointF(2, 15));
    EXPECT_FLOAT_EQ(circle->size(), 11.0f);
    EXPECT_EQ(gis.count(), 1);
}

TEST(OvGSItems, FreehandStrokeOfNMovesIsNSegmentsUnderOneId)
{
    for (int n : {1, 2, 7}) {
        OvGraphItems gis;
        make(gis, OVGS_TYPE_CROSS, 0, 0); // another item before the stroke
        GiPtr seg = make(gis, OVGS_TYPE_FREEHAND, 100, 100, 4);
        const int id = seg->id();
        for (int i = 1; i <= n; ++i) {
            ovGi_update(OVGS_TYPE_FREEHAND, gis, seg, 100 + 3 * i, 100 + i * i);
            ovGi_update(OVGS_TYPE_FREEHAND, gis, seg, 100 + 3 * i, 100 + i * i); // no movement: nothing
        }
        ovGi_final(OVGS_TYPE_FREEHAND, gis, seg, 100 + 3 * n + 0.3, 100 + n * n - 0.2);
        const auto segments = ovGi_get(gis, id);
        ASSERT_EQ(int(segments.size()), n) << "moves " << n;
        // A chain: each segment starts where the one before ends, from the press to the release.
        EXPECT_EQ(segments.front()->point(0), QPointF(100, 100));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(segments[size_t(i)]->style(), 6);
            if (i > 0) {
                EXPECT_EQ(segments[size_t(i)]->point(0), segments[size_t(i - 1)]->point(1));
            }
        }
        // The release point, as far as the items' single precision holds it (an optimised build
        // need not round an expected value to float the way the items do).
        EXPECT_NEAR(segments.back()->point(1).x(), 100 + 3 * n + 0.3, 1e-4);
        EXPECT_NEAR(segments.back()->point(1).y(), 100 + n * n - 0.2, 1e-4);
        // Removing the last item removes the whole stroke.
        EXPECT_EQ(ovGi_idLast(gis), id);
        gis.rmLast();
        EXPECT_EQ(gis.count(), 1);
    }
    // A click without a move leaves a dot.
    OvGraphItems gis;
    GiPtr dot = make(gis, OVGS_TYPE_FREEHAND, 5, 5);
    ovGi_final(OVGS_TYPE_FREEHAND, gis, dot, 5, 5);
    EXPECT_EQ(gis.count(), 1);
}

TEST(OvGSItems, LineAndRectangleFollowTheDragAndAClickLeavesNoLine)
{
    OvGraphItems gis;
    GiPtr line = make(gis, OVGS_TYPE_LINE, 10, 10);
    ovGi_final(OVGS_TYPE_LINE, gis, line, 10, 10);
    EXPECT_EQ(line, nullptr);
    EXPECT_EQ(gis.count(), 0);

    line = make(gis, OVGS_TYPE_LINE, 10, 10);
    ovGi_update(OVGS_TYPE_LINE, gis, line, 40, 30);
    EXPECT_EQ(line->point(1), QPointF(40, 30));
    ovGi_update(OVGS_TYPE_LINE, gis, line, 10, 10); // back onto the start: kept where it was
    EXPECT_EQ(line->point(1), QPointF(40, 30));
    ovGi_final(OVGS_TYPE_LINE, gis, line, 45, 35);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->point(1), QPointF(45, 35));
    EXPECT_EQ(gis.count(), 1);

    GiPtr rect = make(gis, OVGS_TYPE_RECT, 5, 6);
    ovGi_update(OVGS_TYPE_RECT, gis, rect, 1, 2);
    EXPECT_EQ(rect->point(0), QPointF(5, 6));
    EXPECT_EQ(rect->point(1), QPointF(1, 2));
}

TEST(OvGSItems, TypingInsertsBeforeTheCursorAndBackspaceDeletes)
{
    OvGraphItems gis;
    GiPtr text = make(gis, OVGS_TYPE_TEXT, 20, 20);
    ovGi_update_OVGS_TYPE_TEXT(kKeyBackspace, gis, text); // only the cursor: unchanged
    EXPECT_EQ(text->text(), QStringLiteral("|"));
    for (int key : {int('A'), int('b'), 0xE9, 0x20AC, 13, int(' '), int('7')})
        ovGi_update_OVGS_TYPE_TEXT(key, gis, text);
    EXPECT_EQ(text->text(), QString::fromUtf8("Ab\u00E9\u20AC 7|"));
    ovGi_update_OVGS_TYPE_TEXT(kKeyBackspace, gis, text);
    ovGi_update_OVGS_TYPE_TEXT(kKeyBackspace, gis, text);
    EXPECT_EQ(text->text(), QString::fromUtf8("Ab\u00E9\u20AC|"));
    ovGi_final(OVGS_TYPE_TEXT, gis, text, 0, 0);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text(), QString::fromUtf8("Ab\u00E9\u20AC"));

    // A text finished without a character is removed.
    GiPtr empty = make(gis, OVGS_TYPE_TEXT, 50, 50);
    ovGi_update_OVGS_TYPE_TEXT('x', gis, empty);
    ovGi_update_OVGS_TYPE_TEXT(kKeyBackspace, gis, empty);
    ovGi_final(OVGS_TYPE_TEXT, gis, empty, 0, 0);
    EXPECT_EQ(empty, nullptr);
    EXPECT_EQ(gis.count(), 1);
}

TEST(OvGSItems, LabelsTakeTextAndPoint)
{
    OvGraphItems gis;
    for (int kind : {0, 1, 2, 3, 8}) {
        GiPtr label = make(gis, kind, 1, 1);
        ovGi_update(kind, gis, label, 33, 44, QStringLiteral("12.00\u00B0"));
        EXPECT_EQ(label->point(0), QPointF(33, 44));
        EXPECT_EQ(label->text(), QStringLiteral("12.00\u00B0"));
    }
}

TEST(OvGSItems, FramesKeepTheCurrentFrameInTheRange)
{
    OvGraphItems gis;
    GiPtr gi = make(gis, OVGS_TYPE_CROSS, 1, 1); // current 4, frames 2..9
    ovGi_setFrames(*gi, 6, 20, -1);
    EXPECT_EQ(gi->firstFrame(), 6);
    EXPECT_EQ(gi->lastFrame(), 20);
    EXPECT_EQ(gi->curFrame(), 6);
    ovGi_setFrames(*gi, 0, 3, -1);
    EXPECT_EQ(gi->curFrame(), 3);
    ovGi_setFrames(*gi, 0, 30, 12);
    EXPECT_EQ(gi->curFrame(), 12);
    ovGi_setFrames(*gi, 0, 30, -1);
    EXPECT_EQ(gi->curFrame(), 12);
}

TEST(OvGSItems, HitAnswersTheIdAtTheViewersFrame)
{
    const QString path = GraphicsFixtures::clip(120, 90, 5);
    ASSERT_FALSE(path.isEmpty());
    OvVView viewer;
    ASSERT_EQ(viewer.open(path, 131072), MediaOk);
    OvGraphItems gis;
    GiPtr stroke = ovGi_new(OVGS_TYPE_FREEHAND, gis, 10, 10, kColour, 1, 1, 1, 2);
    ovGi_update(OVGS_TYPE_FREEHAND, gis, stroke, 50, 10);
    ovGi_final(OVGS_TYPE_FREEHAND, gis, stroke, 50, 40);
    const int id = stroke->id();
    viewer.setCurrentFrame(1);
    EXPECT_EQ(ovGi_idHit(gis, viewer, 30, 11.4), id); // first segment, within 1 + half a pixel
    EXPECT_EQ(ovGi_idHit(gis, viewer, 51.4, 25), id); // second segment
    EXPECT_EQ(ovGi_idHit(gis, viewer, 30, 11.6), -1);
    viewer.setCurrentFrame(3);
    EXPECT_EQ(ovGi_idHit(gis, viewer, 30, 10), -1);
}
