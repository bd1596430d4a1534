// Every picture the program loads, as the build made it beside the program: present, of the
// right size and format, readable by Qt, and with disabled and hot looks that do their job.
#include "SvgPicture.h"
#include "app/M_GUI.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QImageReader>
#include "support/LittleEndian.h"
#include <gtest/gtest.h>

namespace {

struct Picture {
    QString path;
    QByteArray format;
    QSize size;
};

const QStringList kMainButtons{QStringLiteral("open"),    QStringLiteral("switch"),   QStringLiteral("vidSplit"),
                               QStringLiteral("vidMix"),  QStringLiteral("vidStrobo"), QStringLiteral("draw"),
                               QStringLiteral("measure"), QStringLiteral("rmLast"),   QStringLiteral("rmAll")};
const QStringList kToolButtons{
    QStringLiteral("colorLine"),  QStringLiteral("widthLine"), QStringLiteral("text"),      QStringLiteral("freehand"),
    QStringLiteral("line"),       QStringLiteral("rect"),      QStringLiteral("circle"),    QStringLiteral("cross"),
    QStringLiteral("distance"),   QStringLiteral("angle3Pt"),  QStringLiteral("angleHoriz"), QStringLiteral("angleVert"),
    QStringLiteral("angle2Line"), QStringLiteral("clock")};
const QStringList kTimeLineButtons{QStringLiteral("play"), QStringLiteral("gotoStart"), QStringLiteral("stepLft"),
                                   QStringLiteral("stepRgt"), QStringLiteral("gotoEnd")};

// Normal and disabled picture of each button, and the hot one where the program loads it.
struct Looks {
    QString normal, disabled, hot;
};

QList<Looks> buttonLooks()
{
    QList<Looks> looks;
    for (const QString& n : kMainButtons)
        looks.append({QStringLiteral("_60x59/%1.bmp").arg(n), QStringLiteral("_60x59/%1_dis.bmp").arg(n), {}});
    for (const QString& n : kToolButtons) {
        const QString hot = n == QStringLiteral("freehand") ? QStringLiteral("freeHand") : n;
        looks.append({QStringLiteral("_32x32/%1.ico").arg(n), QStringLiteral("_32x32/%1_dis.ico").arg(n),
                      QStringLiteral("_32x32/%1_hot.ico").arg(hot)});
    }
    for (const QString& n : kTimeLineButtons)
        looks.append({QStringLiteral("_24x24/%1.bmp").arg(n), QStringLiteral("_24x24/%1_dis.bmp").arg(n), {}});
    return looks;
}

QList<Picture> programPictures()
{
    QList<Picture> all;
    for (const Looks& l : buttonLooks()) {
        const QByteArray format = l.normal.endsWith(QStringLiteral(".bmp")) ? "bmp" : "ico";
        const QSize size = l.normal.startsWith(QStringLiteral("_60x59")) ? QSize(60, 59)
                           : l.normal.startsWith(QStringLiteral("_32x32")) ? QSize(32, 32)
                                                                             : QSize(24, 24);
        for (const QString& p : {l.normal, l.disabled, l.hot})
            if (!p.isEmpty())
                all.append({p, format, size});
    }
    all.append({QStringLiteral("_24x24/pause.bmp"), "bmp", QSize(24, 24)});
    all.append({QStringLiteral("_32x32/zorvik_256.ico"), "ico", QSize(16, 16)}); // first of its sizes
    all.append({QStringLiteral("ovraLogo_Zorvik.gif"), "gif", QSize(180, 60)});
    all.append({QStringLiteral("Cur/hand.cur"), "ico", QSize(32, 32)});
    return all;
}

QString img(const QString& relative) { return M_GUI::imgDir() + u'/' + relative; }

QImage load(const QString& relative)
{
    return QImageReader(img(relative)).read().convertToFormat(QImage::Format_ARGB32);
}

int spread(QRgb c) { return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}); }

int countDifferent(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace

TEST(ProgramPictures, EveryPictureIsThereInItsSizeAndFormat)
{
    for (const Picture& p : programPictures()) {
        QImageReader reader(img(p.path));
        EXPECT_EQ(reader.format(), p.format) << qPrintable(p.path);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << qPrintable(p.path) << ": " << qPrintable(reader.errorString());
        EXPECT_EQ(image.size(), p.size) << qPrintable(p.path);
    }
}

TEST(ProgramPictures, ButtonBitmapsAreTwentyFourBit)
{
    for (const Looks& l : buttonLooks()) {
        for (const QString& p : {l.normal, l.disabled}) {
            if (!p.endsWith(QStringLiteral(".bmp")))
                continue;
            QFile f(img(p));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(p);
            const QByteArray head = f.read(54);
            ASSERT_EQ(head.size(), 54);
            EXPECT_TRUE(head.startsWith("BM"));
            EXPECT_EQ(LittleEndian::u16(head, 28), 24) << qPrintable(p);
        }
    }
}

TEST(ProgramPictures, WindowIconHoldsSmallAndLargeSizes)
{
    QImageReader reader(img(QStringLiteral("_32x32/zorvik_256.ico")));
    QList<int> edges;
    for (int i = 0; i < reader.imageCount(); ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << i;
        EXPECT_EQ(image.width(), image.height());
        edges.append(image.width());
        // Each size is a real drawing: opaque in the middle, clear in the corner.
        EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255) << image.width();
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 64) << image.width();
    }
    EXPECT_EQ(edges, (QList<int>{16, 32, 48, 256}));
}

TEST(ProgramPictures, DisabledLooksAreGreyAndHotLooksStandOut)
{
    for (const Looks& l : buttonLooks()) {
        const QImage normal = load(l.normal), dis = load(l.disabled);
        ASSERT_FALSE(normal.isNull()) << qPrintable(l.normal);
        ASSERT_EQ(dis.size(), normal.size()) << qPrintable(l.disabled);
        int colourful = 0;
        for (int y = 0; y < dis.height(); ++y)
            for (int x = 0; x < dis.width(); ++x) {
                const QRgb d = dis.pixel(x, y);
                colourful += qAlpha(d) > 0 && spread(d) > 3;
                EXPECT_EQ(qAlpha(d), qAlpha(normal.pixel(x, y))) << qPrintable(l.disabled) << " keeps the outline";
            }
        EXPECT_EQ(colourful, 0) << qPrintable(l.disabled);
        // Still recognisable: a good part of the drawing's pixels differ from the face.
        EXPECT_GT(countDifferent(normal, dis), normal.width() * normal.height() / 20) << qPrintable(l.disabled);
        if (!l.hot.isEmpty()) {
            const QImage hot = load(l.hot);
            ASSERT_EQ(hot.size(), normal.size()) << qPrintable(l.hot);
            EXPECT_GT(countDifferent(normal, hot), normal.width() * normal.height() / 10) << qPrintable(l.hot);
        }
    }
}

TEST(ProgramPictures, PlayAndPauseAreDifferentPictures)
{
    EXPECT_GT(countDifferent(load(QStringLiteral("_24x24/play.bmp")), load(QStringLiteral("_24x24/pause.bmp"))), 20);
}

TEST(ProgramPictures, CursorIsAHandWhoseHotspotIsTheFingerTip)
{
    QFile f(img(QStringLiteral("Cur/hand.cur")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_GE(bytes.size(), 22);
    EXPECT_EQ(LittleEndian::u16(bytes, 2), 2) << "a cursor, not an icon";
    EXPECT_EQ(LittleEndian::u16(bytes, 4), 1);
    EXPECT_EQ(uchar(bytes[6]), 32);
    EXPECT_EQ(uchar(bytes[7]), 32);
    const int hotX = LittleEndian::u16(bytes, 10);
    const int hotY = LittleEndian::u16(bytes, 12);

    const QImage hand = load(QStringLiteral("Cur/hand.cur"));
    ASSERT_EQ(hand.size(), QSize(32, 32));
    // The finger tip is the topmost solid row of the picture; the hotspot sits on it.
    int top = -1;
    for (int y = 0; y < 32 && top < 0; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(hand.pixel(x, y)) >= 128)
                top = y;
    ASSERT_GE(top, 0) << "the cursor is empty";
    EXPECT_EQ(hotY, top);
    EXPECT_GE(qAlpha(hand.pixel(hotX, hotY)), 128) << "hotspot on the outline of the tip";
    // A narrow tip: the solid part of that row is a few pixels wide.
    int solid = 0;
    for (int x = 0; x < 32; ++x)
        solid += qAlpha(hand.pixel(x, top)) >= 128;
    EXPECT_LE(solid, 6);
    // Outline dark, inside light: both are there, so it reads on any background.
    int dark = 0, light = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = hand.pixel(x, y);
            dark += qAlpha(c) == 255 && qGray(c) < 60;
            light += qAlpha(c) == 255 && qGray(c) > 200;
        }
    EXPECT_GT(dark, 40);
    EXPECT_GT(light, 80);
}

TEST(ProgramPictures, LogoIsTheDrawingWithinThePalettesError)
{
    const QImage logo = QImageReader(img(QStringLiteral("ovraLogo_Zorvik.gif"))).read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(logo.size(), QSize(180, 60));
    EXPECT_EQ(logo.pixel(179, 59), qRgb(225, 225, 225)) << "the tool bar's background";

    QString error;
    const QImage drawn = ZorvikArt::renderSvg(TestPaths::sourceDir() + QStringLiteral("/assets/art/ovraLogo_Zorvik.svg"),
                                              QSize(180, 60), QColor(225, 225, 225), &error);
    ASSERT_FALSE(drawn.isNull()) << qPrintable(error);
    qint64 sum = 0;
    int worst = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 180; ++x) {
            const QRgb a = logo.pixel(x, y), b = drawn.pixel(x, y);
            for (int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                sum += std::abs(d);
                worst = std::max(worst, std::abs(d));
            }
        }
    EXPECT_LT(double(sum) / (180 * 60 * 3), 1.5) << "mean error per channel";
    EXPECT_LE(worst, 24);
}
