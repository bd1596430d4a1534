// The open flags: separate fields, the high-speed camera layouts, rotation and mirror. Each
// shown picture is checked by the number painted into it.
#include "support/MediaFixtures.h"
#include "support/FixtureRecipes.h"

#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <QTransform>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t AlwaysSet = 131072; // bit 17, set by every caller

FixtureRecipe lossless(int frames) { return FixtureRecipes::lossless(176, 144, frames); }

TEST(MediaDisplayModes, SeparateFieldsFollowTheStreamsFieldOrder)
{
    for (const bool bottomFirst : {false, true}) {
        FixtureRecipe recipe = lossless(8);
        recipe.interlaced = true;
        recipe.fieldPictures = true;
        recipe.bottomFieldFirst = bottomFirst;
        const QString path = MediaFixtures::clip(bottomFirst ? QStringLiteral("fields_bb.mkv") : QStringLiteral("fields_tt.mkv"), recipe);
        ASSERT_FALSE(path.isEmpty());

        MediaSource full;
        ASSERT_EQ(full.open(path, AlwaysSet), MediaOk);
        MediaSource fields;
        ASSERT_EQ(fields.open(path, 1 | AlwaysSet), MediaOk);
        EXPECT_EQ(fields.frameCount(), 2 * full.frameCount());
        EXPECT_FLOAT_EQ(fields.frameRate(), 2 * full.frameRate());
        EXPECT_EQ(fields.width(), full.width());
        EXPECT_EQ(fields.height(), full.height()); // line-doubled to full height
        // Backwards, so each frame's second field comes before its first.
        for (int m = fields.frameCount() - 1; m >= 0; --m) {
            const QImage picture = fields.picture(m);
            ASSERT_EQ(picture.size(), QSize(176, 144));
            EXPECT_EQ(MediaFixtures::shownNumber(picture), m) << (bottomFirst ? "bottom" : "top") << " field first";
            // Line doubling: the two lines of each pair are the same field line.
            EXPECT_EQ(0, memcmp(picture.constScanLine(40), picture.constScanLine(41), 176 * 3));
        }
    }
}

TEST(MediaDisplayModes, HighSpeedLayoutsSplitEachFrameIntoItsSubPictures)
{
    struct Layout {
        uint32_t mode;
        int pictures;
        QSize size;
    };
    for (const Layout layout : {Layout{3, 2, {88, 144}}, Layout{4, 2, {176, 72}}, Layout{5, 4, {88, 72}}}) {
        FixtureRecipe recipe = lossless(5);
        recipe.highSpeedLayout = static_cast<int>(layout.mode);
        const QString path = MediaFixtures::clip(QStringLiteral("highspeed%1.mkv").arg(layout.mode), recipe);
        ASSERT_FALSE(path.isEmpty());
        MediaSource source;
        ASSERT_EQ(source.open(path, layout.mode | AlwaysSet), MediaOk);
        EXPECT_EQ(source.frameCount(), 5 * layout.pictures) << "mode " << layout.mode;
        EXPECT_FLOAT_EQ(source.frameRate(), 25.0f * layout.pictures);
        EXPECT_EQ(QSize(source.width(), source.height()), layout.size);
        for (const int m : {source.frameCount() - 1, 0, 1, 2, 3, 6, 7}) {
            const QImage picture = source.picture(m);
            ASSERT_EQ(picture.size(), layout.size);
            EXPECT_EQ(MediaFixtures::shownNumber(picture), m) << "mode " << layout.mode;
        }
    }
}

TEST(MediaDisplayModes, RotationAndMirrorMovePixelsExactly)
{
    const QString path = MediaFixtures::clip(QStringLiteral("orientation.mkv"), lossless(3));
    ASSERT_FALSE(path.isEmpty());
    MediaSource plain;
    ASSERT_EQ(plain.open(path, AlwaysSet), MediaOk);
    const QImage original = plain.picture(2);
    const int w = original.width();
    const int h = original.height();

    // Where pixel (x, y) of the recorded picture appears in the shown one.
    struct Case {
        uint32_t flags;
        QSize size;
        QPoint (*map)(int x, int y, int w, int h);
    };
    const Case cases[] = {
        {0x100, {h, w}, [](int x, int y, int, int h) { return QPoint(h - 1 - y, x); }},
        {0x200, {w, h}, [](int x, int y, int w, int h) { return QPoint(w - 1 - x, h - 1 - y); }},
        {0x400, {h, w}, [](int x, int y, int w, int) { return QPoint(y, w - 1 - x); }},
        {0x800, {w, h}, [](int x, int y, int w, int) { return QPoint(w - 1 - x, y); }},
        // Mirror first, then rotate.
        {0x900, {h, w}, [](int x, int y, int w, int h) { return QPoint(h - 1 - y, w - 1 - x); }},
        // Several rotation bits: the lowest one counts.
        {0x300, {h, w}, [](int x, int y, int, int h) { return QPoint(h - 1 - y, x); }},
    };
    for (const Case& c : cases) {
        MediaSource source;
        ASSERT_EQ(source.open(path, c.flags | AlwaysSet), MediaOk);
        EXPECT_EQ(QSize(source.width(), source.height()), c.size) << std::hex << c.flags;
        const QImage shown = source.picture(2);
        ASSERT_EQ(shown.size(), c.size);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                wrong += shown.pixel(c.map(x, y, w, h)) != original.pixel(x, y);
        EXPECT_EQ(wrong, 0) << "flags " << std::hex << c.flags;
    }
}

} // namespace
