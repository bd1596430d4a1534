// Saving videos the way a user does: "Save as" from a view's menu, for a progressive and an
// interlaced file and for the output of an operation (as AVI, MP4, animated GIF and PNG
// pictures), each written file read back with ffprobe and the engine.
#include "support/FixtureRecipes.h"
#include "support/MediaFixtures.h"
#include "support/Scenario.h"
#include "support/WriterProbe.h"

#include "app/M_Rc.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaSource.h"
#include "components/viewer/OvVView.h"
#include "components/writer/PngSequenceWriter.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QDir>
#include <QProcess>
#include <unistd.h>

namespace {

QString progressive(const QString& name, int frames)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, FixtureRecipes::lossless(160, 120, frames));
}

QString interlaced(const QString& name, int frames)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(160, 120, frames);
    recipe.interlaced = true;
    recipe.fieldPictures = true;
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, recipe);
}

QString target(const QString& name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("scenarios-out"));
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath(name));
    return QDir(dir).filePath(name);
}

struct Kind {
    const char* name;
    bool isInterlaced;
    const char* tickedMode; // the video mode the menu must show as in force
    int shownPerFrame;
};

class SaveAs : public Scenario, public ::testing::WithParamInterface<Kind> {};

// A clip of odd size at a rate whose frame time is no whole number of hundredths.
QString oddClip(const QString& name)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(161, 121, 12);
    recipe.rate = {30, 1};
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, recipe);
}

// Names in the folder, hidden ones included: a leftover of a write shows here.
QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The top-level boxes of an MP4 file in order.
QStringList topBoxes(const QString& path)
{
    QFile file(path);
    QStringList boxes;
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    while (file.pos() + 8 <= file.size()) {
        const QByteArray head = file.read(8);
        const quint64 size = quint32(uchar(head[0])) << 24 | uchar(head[1]) << 16 | uchar(head[2]) << 8
                             | uchar(head[3]);
        boxes << QString::fromLatin1(head.mid(4, 4));
        if (size < 8 || !file.seek(file.pos() + qint64(size) - 8))
            break;
    }
    return boxes;
}

// A folder nobody may write into, the superuser included: permissions do not stop that user,
// the immutable flag does where the file system has it.
class LockedFolder {
public:
    explicit LockedFolder(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        if (::geteuid() == 0)
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~LockedFolder()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool locked() const
    {
        QFile probe(m_path + QStringLiteral("/probe"));
        if (!probe.open(QIODevice::WriteOnly))
            return true;
        probe.remove();
        return false;
    }

private:
    QString m_path;
    bool m_immutable = false;
};

struct Export {
    const char* name;
    const char* file;
    const char* codec; // as ffprobe names it; none for pictures
};

class SaveOutput : public Scenario {
protected:
    // Opens two clips, splits them and returns the output view.
    CVw* split()
    {
        open({oddClip(QStringLiteral("odd-a.mkv")), oddClip(QStringLiteral("odd-b.mkv"))});
        click(toolButton("chkTbMainSplit"));
        return ctrl().m_VwIdxOp >= 0 ? view(ctrl().m_VwIdxOp) : nullptr;
    }
    static QString folder(const char* name)
    {
        const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("export-") + QLatin1String(name));
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        return dir;
    }
};

class SaveOutputAs : public SaveOutput, public ::testing::WithParamInterface<Export> {};

} // namespace

// The output of a split is written as the user sees it, in each kind the save dialog offers;
// only AVI asks for a codec. Read back: frame count, rate (for GIF the delays), and the
// pictures of the first frame and of a later one.
TEST_P(SaveOutputAs, WritesWhatIsShown)
{
    constexpr int kFrames = 12;
    CVw* output = split();
    ASSERT_NE(output, nullptr);
    const QImage shown = output->m_picOp.copy();
    const QRect area(0, 0, 161, 121);
    ASSERT_EQ(shown.size(), area.size());
    const QString dir = folder(GetParam().name);
    const QString out = QDir(dir).filePath(QLatin1String(GetParam().file));
    const QString codec = QLatin1String(GetParam().codec);
    const bool sequence = codec.isEmpty();
    const bool avi = codec == QLatin1String("ffv1");
    dialogs->fileAnswers.push_back({out});
    if (avi)
        dialogs->codecAnswers.push_back({codec, 0});
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    // The file opens in a view of its own; a sequence of pictures does not.
    const QString firstPicture = PngSequenceWriter::framePath(out, 0, kFrames);
    ASSERT_TRUE(waitFor([&] { return sequence ? QFile::exists(firstPicture) : numViews() == 4; }, 60000));
    EXPECT_EQ(dialogs->codecRequests, avi ? 1 : 0);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();

    // The cells of the split hold the same frame of both clips, its number painted in.
    const auto cellNumbers = [](const QImage& picture) {
        return std::pair(FramePattern::read(picture, QRect(0, 30, 80, 60)),
                         FramePattern::read(picture, QRect(80, 30, 80, 60)));
    };
    QImage first, seventh;
    if (sequence) {
        QStringList expected;
        for (int k = 0; k < kFrames; ++k)
            expected << QFileInfo(PngSequenceWriter::framePath(out, k, kFrames)).fileName();
        EXPECT_EQ(entries(dir), expected);
        first = QImage(PngSequenceWriter::framePath(out, 0, kFrames));
        seventh = QImage(PngSequenceWriter::framePath(out, 7, kFrames));
        EXPECT_EQ(first.size(), area.size());
    } else {
        const ProbedStream probed = WriterProbe::video(out);
        EXPECT_EQ(probed.frames, kFrames);
        EXPECT_EQ(probed.codec, codec);
        EXPECT_EQ(entries(dir), QStringList{QLatin1String(GetParam().file)});
        if (codec == QLatin1String("gif")) {
            // Thirtieths of a second in hundredths: 3 or 4 each, summing to the true length.
            const QList<double> delays = WriterProbe::packetDurations(out);
            ASSERT_EQ(delays.size(), kFrames);
            double total = 0;
            for (double d : delays) {
                EXPECT_TRUE(std::abs(d - 0.03) < 1e-6 || std::abs(d - 0.04) < 1e-6) << d;
                total += d;
            }
            EXPECT_NEAR(total, kFrames / 30.0, 1e-6);
            EXPECT_EQ(probed.width, 161);
        } else if (codec == QLatin1String("h264")) {
            EXPECT_EQ(probed.pixelFormat, QStringLiteral("yuv420p"));
            EXPECT_EQ(probed.rate, QStringLiteral("30/1"));
            EXPECT_EQ(QSize(probed.width, probed.height), QSize(162, 122)) << "padded to even";
            const QStringList boxes = topBoxes(out);
            const auto moov = boxes.indexOf(QStringLiteral("moov"));
            EXPECT_TRUE(moov >= 0 && moov < boxes.indexOf(QStringLiteral("mdat"))) << boxes.join(u' ').toStdString();
        } else {
            EXPECT_EQ(QSize(probed.width, probed.height), area.size());
            EXPECT_EQ(probed.rate, QStringLiteral("30/1"));
        }
        MediaSource written;
        ASSERT_EQ(written.open(out), 0);
        EXPECT_EQ(written.frameCount(), kFrames);
        first = written.picture(0);
        seventh = written.picture(7);
        if (codec == QLatin1String("h264")) {
            // The padding repeats the last column and row.
            EXPECT_LT(MediaFixtures::meanDifference(first.copy(161, 0, 1, 122), first.copy(160, 0, 1, 122), QRect(0, 0, 1, 122)), 3.0);
            EXPECT_LT(MediaFixtures::meanDifference(first.copy(0, 121, 162, 1), first.copy(0, 120, 162, 1), QRect(0, 0, 162, 1)), 3.0);
        }
    }
    // H.264 is lossy: about 1.9 here, and the conversions' rounding differs with the processor's
    // vector units. Colours swapped or pictures shifted by a pixel give 5 and more.
    const double tolerance = codec == QLatin1String("h264") ? 3.0 : 2.0;
    EXPECT_LT(MediaFixtures::meanDifference(first, shown, area), tolerance);
    EXPECT_EQ(cellNumbers(first), std::pair(0, 0));
    EXPECT_EQ(cellNumbers(seventh), std::pair(7, 7));
}

// A folder that takes no file: the message names the file and says why, and nothing is left.
TEST_P(SaveOutputAs, ReadOnlyFolderIsReportedAndLeftEmpty)
{
    CVw* output = split();
    ASSERT_NE(output, nullptr);
    const QString dir = folder(GetParam().name);
    const LockedFolder lock(dir);
    if (!lock.locked())
        GTEST_SKIP() << "no folder can be made read-only here";
    const QString out = QDir(dir).filePath(QLatin1String(GetParam().file));
    dialogs->fileAnswers.push_back({out});
    dialogs->codecAnswers.push_back({QStringLiteral("mjpeg"), 90});
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return !dialogs->messages.empty(); }));
    EXPECT_TRUE(dialogs->messages.front().text.contains(out)) << dialogs->messages.front().text.toStdString();
    EXPECT_TRUE(dialogs->messages.front().text.contains(M_Rc::getRcStr(3977)));
    EXPECT_EQ(numViews(), 3);
    EXPECT_EQ(entries(dir), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveOutputAs,
                         ::testing::Values(Export{"avi", "split.avi", "ffv1"}, Export{"mp4", "split.mp4", "h264"},
                                           Export{"gif", "split.gif", "gif"}, Export{"png", "split.png", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// Opening shows each file in the mode it can have; the menu ticks that mode, and "Save as"
// writes every recorded frame of the file, which then opens in a view of its own.
TEST_P(SaveAs, WritesEveryFrameOfTheFile)
{
    const Kind kind = GetParam();
    constexpr int kFrames = 24;
    const QString name = QLatin1String(kind.name) + QStringLiteral(".mkv");
    open({kind.isInterlaced ? interlaced(name, kFrames) : progressive(name, kFrames)});
    ASSERT_EQ(numViews(), 1);
    EXPECT_EQ(view(0)->m_AviNumFrames, kFrames * kind.shownPerFrame);

    // The menu's ticks as the user sees them in the "Video mode" sub-menu.
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Video mode")}));
    const QStringList modes = lastMenuEntries();
    EXPECT_TRUE(modes.contains(QStringLiteral("[x] ") + QLatin1String(kind.tickedMode))) << modes.join(u'|').toStdString();
    EXPECT_EQ(modes.filter(QStringLiteral("[x]")).size(), 1) << modes.join(u'|').toStdString();

    const QString out = target(QLatin1String(kind.name) + QStringLiteral("-copy.avi"));
    dialogs->fileAnswers.push_back({out});
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 2; }, 60000));
    EXPECT_EQ(WriterProbe::video(out).frames, kFrames);
    EXPECT_EQ(view(1)->viewer()->source().recordedFrameCount(), kFrames);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, SaveAs,
                         ::testing::Values(Kind{"progressive", false, "Full frames", 1},
                                           Kind{"interlaced", true, "Separate fields", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The saved output of a split opens as a view of its own and does not join the split.
TEST_F(Scenario, SavedOutputStaysOutOfTheOperation)
{
    open({progressive(QStringLiteral("split-a.mkv"), 12), progressive(QStringLiteral("split-b.mkv"), 12)});
    ASSERT_EQ(numViews(), 2);
    click(toolButton("chkTbMainSplit"));
    ASSERT_EQ(ctrl().numVwsSrc(), 2);
    ASSERT_TRUE(ctrl().m_VwIdxOp >= 0);
    CVw* output = view(ctrl().m_VwIdxOp);
    ASSERT_NE(output, nullptr);

    const QString out = target(QStringLiteral("split.avi"));
    dialogs->fileAnswers.push_back({out});
    dialogs->codecAnswers.push_back({QStringLiteral("mjpeg"), 90});
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 4; }));
    EXPECT_EQ(WriterProbe::video(out).frames, 12);
    EXPECT_EQ(ctrl().numVwsSrc(), 2);
    EXPECT_EQ(ctrl().m_VidOp, 2);
    EXPECT_EQ(view(3)->m_AviFileName, out);
    EXPECT_FALSE(view(3)->Selected());
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
    // No menu comes up again by itself afterwards.
    const size_t menus = dialogs->menuRequests.size();
    settle(300);
    EXPECT_EQ(dialogs->menuRequests.size(), menus);
}

// The dialog asked about "name.png" only: pictures of an earlier sequence of that name are
// replaced only when the user says so.
TEST_F(SaveOutput, ASequenceOverAnEarlierOneAsksFirst)
{
    CVw* output = split();
    ASSERT_NE(output, nullptr);
    const QString dir = folder("again");
    const QString out = QDir(dir).filePath(QStringLiteral("split.png"));
    const QString earlier = PngSequenceWriter::framePath(out, 0, 12);
    const QByteArray precious("an earlier picture");
    QFile file(earlier);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(precious) == precious.size());
    file.close();

    dialogs->fileAnswers.push_back({out});
    dialogs->messageAnswers.push_back(MsgBox::No);
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(earlier)) << dialogs->messages[0].text.toStdString();
    EXPECT_EQ(entries(dir).size(), 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), precious);
    file.close();

    dialogs->fileAnswers.push_back({out});
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return QDir(dir).entryList(QDir::Files).size() == 12; }));
    EXPECT_EQ(dialogs->messages.size(), 2u);
    EXPECT_EQ(QImage(earlier).size(), QSize(161, 121));
}
