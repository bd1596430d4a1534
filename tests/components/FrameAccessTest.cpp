// The reading side of the frame access object: blank pictures, frames drawn at a zoom,
// the current picture and picture files.
#include "support/MediaFixtures.h"
#include "support/FixtureRecipes.h"

#include "components/media/FrameAccess.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "support/TestPaths.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QString patternClip()
{
    FixtureRecipe recipe = FixtureRecipes::lossless(120, 96, 10);
    return MediaFixtures::clip(QStringLiteral("access.mkv"), recipe);
}

TEST(FrameAccess, DrawFrameAtZoomAndOffset)
{
    const QString path = patternClip();
    ASSERT_FALSE(path.isEmpty());
    MediaSource source;
    FrameAccess access(source);
    QImage target = FrameAccess::blankPicture(300, 250, QColor(0, 0, 255));
    EXPECT_EQ(access.drawFrame(target, 0, 100, 0, 0), MediaNotOpen);

    ASSERT_EQ(source.open(path, 131072), MediaOk);
    EXPECT_EQ(access.frameWidth(), 120);
    EXPECT_EQ(access.frameHeight(), 96);
    EXPECT_EQ(access.path(), path);
    EXPECT_EQ(access.openMode(), 131072u);

    // Half size at (10, 20): 60x48 of picture, background around it.
    ASSERT_EQ(access.drawFrame(target, 6, 50, 10, 20), MediaOk);
    EXPECT_EQ(target.pixel(9, 20), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(10, 19), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(70, 50), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(10, 68), qRgb(0, 0, 255));
    EXPECT_EQ(FramePattern::read(target, QRect(10, 20, 60, 48)), 6);

    // Double size, partly outside the target: drawn and clipped.
    ASSERT_EQ(access.drawFrame(target, 9, 200, 100, 100), MediaOk);
    EXPECT_EQ(FramePattern::read(target.copy(100, 100, 240, 192), QRect(0, 0, 240, 192)), 9);

    EXPECT_EQ(access.drawFrame(target, 10, 100, 0, 0), MediaBadArgument);
    EXPECT_EQ(access.drawFrame(target, -1, 100, 0, 0), MediaBadArgument);
    EXPECT_EQ(access.drawFrame(target, 0, 0, 0, 0), MediaBadArgument);
    QImage none;
    EXPECT_EQ(access.drawFrame(none, 0, 100, 0, 0), MediaBadArgument);
}

TEST(FrameAccess, CurrentPictureFollowsTheCurrentFrame)
{
    const QString path = patternClip();
    ASSERT_FALSE(path.isEmpty());
    MediaSource source;
    FrameAccess access(source);
    EXPECT_TRUE(access.currentPicture().isNull());
    ASSERT_EQ(source.open(path), MediaOk);
    EXPECT_EQ(source.currentFrame(), 0);
    source.setCurrentFrame(7);
    EXPECT_EQ(MediaFixtures::shownNumber(access.currentPicture()), 7);
    const QImage zoomed = access.currentPicture(150);
    EXPECT_EQ(zoomed.size(), QSize(180, 144));
    EXPECT_EQ(MediaFixtures::shownNumber(zoomed), 7);
    source.setCurrentFrame(99);
    EXPECT_EQ(source.currentFrame(), 9);
    source.setCurrentFrame(-3);
    EXPECT_EQ(source.currentFrame(), 0);
}

} // namespace
