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

TEST(MediaDisplayModes, AProgressiveStreamHasNoFieldsToSeparate)
{
    const QString path = MediaFixtures::clip(QStringLiteral("progressive.mkv"), lossless(6));
    ASSERT_FALSE(path.isEmpty());
    MediaSource full;
    ASSERT_EQ(full.open(path, AlwaysSet), MediaOk);
    MediaSource fields;
    ASSERT_EQ(fields.open(path, 1 | AlwaysSet), MediaOk);
    EXPECT_FALSE(fields.interlaced());
    EXPECT_EQ(fields.flags(), 1 | AlwaysSet) << "the open flags are kept as given";
    EXPECT_EQ(fields.frameCount(), full.frameCount());
    EXPECT_FLOAT_EQ(fields.frameRate(), full.frameRate());
    for (int n = 0; n < fields.frameCount(); ++n)
        EXPECT_EQ(fields.picture(n), full.picture(n)) << n;
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

TEST(MediaDisplayModes, ModesCombineWithRotationAndIgnoreOtherBits)
{
    FixtureRecipe recipe = lossless(4);
    recipe.highSpeedLayout = 4;
    const QString path = MediaFixtures::clip(QStringLiteral("highspeed4_rot.mkv"), recipe);
    ASSERT_FALSE(path.isEmpty());
    MediaSource rotated;
    ASSERT_EQ(rotated.open(path, 4 | 0x400 | AlwaysSet), MediaOk);
    EXPECT_EQ(QSize(rotated.width(), rotated.height()), QSize(72, 176));
    // Turned back by 90 degrees clockwise, sub-picture 5 reads as 5.
    const QImage back = rotated.picture(5).transformed(QTransform().rotate(90));
    EXPECT_EQ(MediaFixtures::shownNumber(back), 5);

    // An unused field mode (2) and unknown bits show plain full frames.
    MediaSource plain;
    ASSERT_EQ(plain.open(path, AlwaysSet), MediaOk);
    MediaSource odd;
    ASSERT_EQ(odd.open(path, 2 | 0x10000 | AlwaysSet), MediaOk);
    EXPECT_EQ(odd.frameCount(), plain.frameCount());
    EXPECT_EQ(odd.picture(3), plain.picture(3));
}

TEST(MediaDisplayModes, AStreamsOwnTurnComesBeforeTheFlagsTurnAndMirror)
{
    FixtureRecipe recipe = lossless(6);
    recipe.rotation = 90;
    const QString path = MediaFixtures::clip(QStringLiteral("upright90.mov"), recipe);
    ASSERT_FALSE(path.isEmpty());
    constexpr uint32_t Turn270 = 1u << 10;
    constexpr uint32_t Turn90 = 1u << 8;
    constexpr uint32_t Mirror = 1u << 11;

    MediaSource shown;
    ASSERT_EQ(shown.open(path, AlwaysSet), MediaOk);
    EXPECT_EQ(shown.streamRotation(), 90);
    EXPECT_EQ(shown.width(), 144); // turned upright: portrait
    EXPECT_EQ(shown.height(), 176);
    // A quarter turn back by the flags cancels the stream's: the frame as recorded.
    MediaSource recorded;
    ASSERT_EQ(recorded.open(path, AlwaysSet | Turn270), MediaOk);
    EXPECT_EQ(QSize(recorded.width(), recorded.height()), QSize(176, 144));
    MediaSource mirrored;
    ASSERT_EQ(mirrored.open(path, AlwaysSet | Mirror), MediaOk);
    MediaSource mirroredTurned;
    ASSERT_EQ(mirroredTurned.open(path, AlwaysSet | Mirror | Turn90), MediaOk);
    for (int n : {5, 0, 3}) {
        const QImage coded = recorded.picture(n);
        EXPECT_EQ(MediaFixtures::shownNumber(coded), n);
        const QImage upright = shown.picture(n);
        EXPECT_EQ(upright, coded.transformed(QTransform().rotate(90))) << "frame " << n;
        // The flags' mirror and turn act on the upright picture, mirror first.
        EXPECT_EQ(mirrored.picture(n), upright.mirrored(true, false)) << "frame " << n;
        EXPECT_EQ(mirroredTurned.picture(n), upright.mirrored(true, false).transformed(QTransform().rotate(90)))
            << "frame " << n;
    }
    // The decoded frames themselves are not turned.
    EXPECT_EQ(QSize(shown.decodedFrame(0)->width, shown.decodedFrame(0)->height), QSize(176, 144));
}

} // namespace
