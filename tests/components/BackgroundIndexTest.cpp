// A long file opens with its first picture while its frame index is built in the background;
// what is known on the way is final, and once complete everything is as ffmpeg decodes it.
#include "support/MediaFixtures.h"

#include "components/media/FrameHash.h"
#include "components/media/FrameIndexer.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaDecoder.h"
#include "components/media/MediaSource.h"
#include "components/tracking/TrackJob.h"
#include "support/TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Two minutes of small pictures: MPEG-4 Part 2 in AVI (indexed by decoding) and H.264 with
// B-frames in Matroska (indexed from its packets); with gaps in their times when asked.
QString longClip(const char* encoder, const char* name, int gapEvery = 0, bool live = false)
{
    FixtureRecipe s;
    s.encoder = QString::fromLatin1(encoder);
    s.width = 64;
    s.height = 48;
    s.frames = 3600;
    s.rate = {30, 1};
    s.gop = 60;
    s.bFrames = 2;
    s.gapEvery = gapEvery;
    s.live = live;
    return MediaFixtures::clip(QString::fromLatin1(name), s);
}

// For as long as it lives, a view's open goes on in the background at once.
struct NoIndexWait {
    NoIndexWait() { MediaSource::setIndexWait(0); }
    ~NoIndexWait() { MediaSource::setIndexWait(600000); }
};

struct Partials : FrameIndexer::Listener {
    std::vector<std::shared_ptr<const FrameIndex>> seen;
    bool stopRequested() const override { return false; }
    void partial(std::shared_ptr<const FrameIndex> sofar, double) override { seen.push_back(std::move(sofar)); }
};

// Opens `path` with its index built in the background (a NoIndexWait in force); `reference`
// receives ffmpeg's checksums of its 3600 frames.
void openInBackground(MediaSource& source, const QString& path, QStringList& reference)
{
    ASSERT_FALSE(path.isEmpty());
    reference = MediaFixtures::ffmpegFrameMd5(path);
    ASSERT_EQ(reference.size(), 3600);
    ASSERT_EQ(source.open(path, 0, MediaSource::Indexing::Background), MediaOk);
}

bool isPrefix(const FrameIndex& part, const FrameIndex& whole)
{
    if (part.count() > whole.count() || part.fromDecodePass != whole.fromDecodePass)
        return false;
    if (!std::equal(part.timestamps.begin(), part.timestamps.end(), whole.timestamps.begin()))
        return false;
    for (const FrameIndex::SeekPoint& p : part.seekPoints) {
        const auto& all = whole.seekPoints;
        if (std::find_if(all.begin(), all.end(), [&](const auto& q) { return q.position == p.position && q.seekTs == p.seekTs; })
            == all.end())
            return false;
    }
    return true;
}

} // namespace

TEST(BackgroundIndex, WhatIsKnownOnTheWayIsAPrefixOfTheWhole)
{
    for (const auto& [encoder, name] : {std::pair{"mpeg4", "long_mpeg4.avi"}, std::pair{"libx264", "long_h264.mkv"}}) {
        const QString path = longClip(encoder, name);
        ASSERT_FALSE(path.isEmpty()) << name;
        MediaDecoder decoder;
        ASSERT_EQ(decoder.open(path), MediaOk);
        FrameIndex whole;
        Partials partials;
        ASSERT_EQ(FrameIndexer::build(decoder, path, whole, nullptr, &partials), MediaOk);
        EXPECT_EQ(whole.count(), 3600) << name;
        ASSERT_FALSE(partials.seen.empty()) << name;
        EXPECT_LT(partials.seen.front()->count(), whole.count()) << name;
        for (const auto& part : partials.seen)
            EXPECT_TRUE(isPrefix(*part, whole)) << name << " at " << part->count();
    }
}

TEST(BackgroundIndex, OpensAtOnceAndEndsWithFfmpegsFrames)
{
    const QString path = longClip("mpeg4", "long_mpeg4.avi");
    const NoIndexWait noWait;
    MediaSource source;
    QStringList reference;
    ASSERT_NO_FATAL_FAILURE(openInBackground(source, path, reference));
    EXPECT_TRUE(source.indexing());
    const int early = source.frameCount();
    EXPECT_GT(early, 0);
    EXPECT_LT(early, 3600);
    // The pictures known before the index is complete are the ones their numbers name.
    for (int n = early - 1; n >= 0; n -= std::max(1, early / 7))
        EXPECT_EQ(FrameHash::nativeMd5(source.decodedFrame(n).get()), reference[n].toLatin1()) << "frame " << n;
    // Pictures beyond the part indexed so far are reached through the container's index, each the
    // picture its number names, going on, jumping back and ahead.
    EXPECT_EQ(source.expectedFrameCount(), 3600);
    for (int n : {3500, 3501, 3502, 3440, 3599, 3598}) {
        ASSERT_TRUE(source.isProvisional(n)) << "frame " << n << " indexed already";
        EXPECT_EQ(FrameHash::nativeMd5(source.decodedFrame(n).get()), reference[n].toLatin1()) << "frame " << n;
    }
    EXPECT_TRUE(source.decodedFrame(3600) == nullptr);
    // A wait for one frame ends once the index knows it; the current frame's provisional number
    // stands once the index reaches it.
    ASSERT_TRUE(source.completeIndex({}, early + 100));
    EXPECT_GT(source.frameCount(), early + 100);
    source.setCurrentFrame(3501);
    EXPECT_EQ(source.currentFrame(), 3501);
    EXPECT_FALSE(source.picture(3501).isNull());
    EXPECT_TRUE(source.settleCurrent());
    EXPECT_FALSE(source.isProvisional(3501));
    EXPECT_EQ(source.currentFrame(), 3501);
    // A second opening of the file joins the build under way rather than reading the file again.
    MediaSource twin;
    ASSERT_EQ(twin.open(path, 0, MediaSource::Indexing::Complete), MediaOk);
    EXPECT_FALSE(twin.indexing());
    EXPECT_EQ(twin.frameCount(), 3600);
    int steps = 0;
    while (source.indexing() && steps++ < 10000) {
        source.updateIndex();
        if (source.frameCount() > 0) {
            EXPECT_FALSE(source.picture(source.frameCount() - 1).isNull());
        }
        QThread::msleep(5);
    }
    EXPECT_TRUE(source.completeIndex());
    EXPECT_FALSE(source.indexing());
    EXPECT_EQ(source.frameCount(), 3600);
    EXPECT_EQ(source.expectedFrameCount(), 3600);
    EXPECT_EQ(source.indexProgress(), 1.0);
    EXPECT_EQ(MediaFixtures::engineFrameMd5(source, MediaFixtures::Order::Random), reference);
    EXPECT_EQ(source.index(), twin.index());
    // A file changed on disk is indexed afresh.
    QFile touched(path);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    touched.close();
    MediaSource changed;
    ASSERT_EQ(changed.open(path), MediaOk);
    EXPECT_NE(changed.index(), source.index());
    EXPECT_EQ(changed.frameCount(), 3600);

    // Waiting can be given up, and closing while the index is built stops it. With the file
    // open nowhere else, its index is built anew.
    for (MediaSource* other : {&source, &twin, &changed})
        other->close();
    MediaSource waiting;
    ASSERT_EQ(waiting.open(path, 0, MediaSource::Indexing::Background), MediaOk);
    // Given up at the first question: a build that ends before it is asked (an optimised build
    // on an idle machine can) is simply complete.
    int asked = 0;
    const bool complete = waiting.completeIndex([&asked](double fraction) {
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        ++asked;
        return false;
    });
    EXPECT_EQ(complete, asked == 0);
    EXPECT_EQ(waiting.indexing(), !complete);
    waiting.close();
    EXPECT_FALSE(waiting.isOpen());
    EXPECT_FALSE(waiting.indexing());
}

TEST(BackgroundIndex, ADamagedFileShowsWhatCanBeDecoded)
{
    const QString path = longClip("mpeg4", "long_mpeg4.avi");
    ASSERT_FALSE(path.isEmpty());
    QFile whole(path);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("long_cut.avi"));
    QFile out(cut);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(bytes.size() / 2)); // the index at the end is gone too
    out.close();

    const NoIndexWait noWait;
    MediaSource source;
    ASSERT_EQ(source.open(cut, 0, MediaSource::Indexing::Background), MediaOk);
    EXPECT_TRUE(source.completeIndex());
    EXPECT_GT(source.frameCount(), 1000);
    EXPECT_LT(source.frameCount(), 3600);
    EXPECT_EQ(MediaFixtures::engineFrameMd5(source, MediaFixtures::Order::Backward),
              MediaFixtures::ffmpegFrameMd5(cut));
}

// A tracking run from a frame the index has not reached waits for it, and a cancel during that
// wait ends the run as cancelled, not as a frame that does not exist.
TEST(BackgroundIndex, ATrackingRunWaitingForTheIndexCanBeCancelled)
{
    const QString path = longClip("mpeg4", "long_mpeg4.avi");
    ASSERT_FALSE(path.isEmpty());
    const NoIndexWait noWait;
    tracking::TrackJob job;
    QSignalSpy finished(&job, &tracking::TrackJob::finished);
    ASSERT_TRUE(job.start({path, 0, 3500, QPointF(32, 24), -1, {}}));
    job.cancel();
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(finished[0][0].toInt(), int(tracking::TrackStop::Cancelled));
}

// A file with gaps in its times states more frames than it holds: a picture found far ahead
// by its time is a picture of the file, and the current frame's number is corrected to the one
// the index gives that picture, so the number goes on naming the picture shown.
TEST(BackgroundIndex, AProvisionalNumberIsCorrectedToThePictureShown)
{
    const QString path = longClip("mpeg4", "long_gaps.avi", 9);
    const NoIndexWait noWait;
    MediaSource source;
    QStringList reference;
    ASSERT_NO_FATAL_FAILURE(openInBackground(source, path, reference));
    EXPECT_GT(source.expectedFrameCount(), 3900);
    const int far = 3900;
    ASSERT_TRUE(source.isProvisional(far));
    const QByteArray shown = FrameHash::nativeMd5(source.decodedFrame(far).get());
    const int exact = int(reference.indexOf(QString::fromLatin1(shown)));
    ASSERT_GE(exact, 3400) << "not a picture of the file: " << shown.constData();
    EXPECT_LT(exact, 3600);
    source.setCurrentFrame(far);
    EXPECT_TRUE(source.settleCurrent());
    EXPECT_EQ(source.currentFrame(), exact);
    EXPECT_EQ(FrameHash::nativeMd5(source.decodedFrame(source.currentFrame()).get()), shown);
    EXPECT_TRUE(source.completeIndex());
    EXPECT_EQ(source.expectedFrameCount(), 3600);
}

// A live recording states neither its count nor its length: the count is estimated from the
// part of the file the index has read, pictures beyond it are found by their times, and a
// number beyond the end the estimate gives shows the file's last picture.
TEST(BackgroundIndex, AFileStatingNoLengthIsMeasuredByWhatIsRead)
{
    const QString path = longClip("mpeg4", "live_mpeg4.mkv", 0, true);
    const NoIndexWait noWait;
    MediaSource source;
    QStringList reference;
    ASSERT_NO_FATAL_FAILURE(openInBackground(source, path, reference));
    for (int i = 0; i < 2000 && source.indexing() && source.frameCount() < 360; ++i) {
        QThread::msleep(5);
        source.updateIndex();
    }
    // A loaded machine may leave this thread asleep while the index comes far: the picture
    // looked for lies beyond what is known, whatever that is.
    const int known = source.frameCount();
    ASSERT_TRUE(source.indexing() && known < 3599) << "the index came too far to tell";
    EXPECT_GT(source.expectedFrameCount(), known);
    EXPECT_NEAR(source.expectedFrameCount(), 3600, 360);
    const int far = std::max(3300, (known + 3600) / 2);
    ASSERT_TRUE(source.isProvisional(far));
    EXPECT_EQ(FrameHash::nativeMd5(source.decodedFrame(far).get()), reference[far].toLatin1());
    EXPECT_TRUE(source.completeIndex());
    EXPECT_EQ(source.expectedFrameCount(), 3600);

    MediaDecoder decoder;
    ASSERT_EQ(decoder.open(path), MediaOk);
    const FrameIndex& index = *source.index();
    const int64_t step = index.timestamps[1] - index.timestamps[0];
    int64_t found = 0;
    AvFramePtr last = decoder.decodeAtKey(index, index.timestamps.back() + 100 * step, step, 0, &found);
    EXPECT_EQ(found, index.timestamps.back());
    EXPECT_EQ(FrameHash::nativeMd5(last.get()), reference.back().toLatin1());
}
