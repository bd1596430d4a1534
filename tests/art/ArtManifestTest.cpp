// Reading the picture manifest: file names of the variants, and clear messages for bad lines.
#include "ArtManifest.h"
#include "app/M_GUI.h"
#include "support/TestPaths.h"

#include <QFileInfo>
#include <QImageReader>
#include <gtest/gtest.h>

using ZorvikArt::ArtManifest;
using ZorvikArt::ArtVariant;

TEST(ArtManifest, VariantsAreNamedAfterThePictureOrByTheirOwnName)
{
    ArtManifest m;
    QString error;
    ASSERT_TRUE(m.parse(QStringLiteral("# comment\n\n"
                                       "hot-tint\t#102030\n"
                                       "_32x32/freehand.ico\tfreehand.svg\t32x32\tnone\tdis,hot=freeHand_hot,hot\n"
                                       "_24x24/pause.bmp\tpause.svg\t24x24\t#e3e3e3\t-\n"
                                       "a.ico\tz.svg\t16,32,256\tnone\t-\n"
                                       "Cur/hand.cur\thand.svg\t32x32\tnone\t-\t12,1\n"),
                        &error))
        << qPrintable(error);
    ASSERT_EQ(m.entries().size(), 4);
    EXPECT_EQ(m.hotTint(), QColor(0x10, 0x20, 0x30));

    const auto& free = m.entries()[0];
    EXPECT_EQ(free.line, 4);
    EXPECT_EQ(free.format(), QStringLiteral("ico"));
    EXPECT_FALSE(free.background.isValid());
    ASSERT_EQ(free.variants.size(), 4);
    EXPECT_EQ(free.variants[0].path, QStringLiteral("_32x32/freehand.ico"));
    EXPECT_EQ(free.variants[1].kind, ArtVariant::Kind::Disabled);
    EXPECT_EQ(free.variants[1].path, QStringLiteral("_32x32/freehand_dis.ico"));
    EXPECT_EQ(free.variants[2].path, QStringLiteral("_32x32/freeHand_hot.ico"));
    EXPECT_EQ(free.variants[3].kind, ArtVariant::Kind::Hot);
    EXPECT_EQ(free.variants[3].path, QStringLiteral("_32x32/freehand_hot.ico"));

    EXPECT_EQ(m.entries()[1].background, QColor(227, 227, 227));
    EXPECT_EQ(m.entries()[1].variants.size(), 1);
    EXPECT_EQ(m.entries()[2].sizes, (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(256, 256)}));
    EXPECT_EQ(m.entries()[3].hotspot, QPoint(12, 1));
}

TEST(ArtManifest, BadLinesAreRefusedWithTheirLineNumber)
{
    struct Case {
        const char* line;
        const char* says;
    };
    const QList<Case> cases{
        {"a.bmp\ta.svg\t24x24", "expected 5 or 6"},
        {"a.png\ta.svg\t24x24\t#ffffff\t-", "unknown picture format"},
        {"a.bmp\ta.svg\t24by24\t#ffffff\t-", "bad size"},
        {"a.bmp\ta.svg\t0x24\t#ffffff\t-", "bad size"},
        {"a.bmp\ta.svg\t512x512\t#ffffff\t-", "bad size"},
        {"a.bmp\ta.svg\t16,32\t#ffffff\t-", "only an icon"},
        {"a.bmp\ta.svg\t24x24\tnone\t-", "no transparency"},
        {"a.bmp\ta.svg\t24x24\tgreenish\t-", "bad background"},
        {"a.bmp\ta.svg\t24x24\t#ffffff\tglow", "unknown variant"},
        {"a.cur\ta.svg\t32x32\tnone\t-", "hotspot"},
        {"a.cur\ta.svg\t32x32\tnone\t-\t40,1", "outside"},
        {"a.ico\ta.svg\t32x32\tnone\t-\t1,1", "only a cursor"},
        {"../a.bmp\ta.svg\t24x24\t#ffffff\t-", "bad output path"},
        {"a.ico\ta.svg\t32x32\tnone\thot=a", "made twice"},
        {"hot-tint\tblue-ish", "hot-tint"},
    };
    for (const Case& c : cases) {
        ArtManifest m;
        QString error;
        EXPECT_FALSE(m.parse(QStringLiteral("# first\n") + QString::fromUtf8(c.line), &error)) << c.line;
        EXPECT_TRUE(error.contains(QStringLiteral("line 2"))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.line << " -> " << qPrintable(error);
        EXPECT_TRUE(m.entries().isEmpty());
    }
}

TEST(ArtManifest, TheRepositoryManifestReadsAndNamesExistingDrawings)
{
    const QString art = TestPaths::sourceDir() + QStringLiteral("/assets/art");
    ArtManifest m;
    QString error;
    ASSERT_TRUE(m.load(art + QStringLiteral("/pictures.tsv"), &error)) << qPrintable(error);
    EXPECT_FALSE(m.entries().isEmpty());
    // The build turned every entry into the pictures the program loads, each in its first size.
    for (const auto& e : m.entries()) {
        EXPECT_TRUE(QFileInfo::exists(art + u'/' + e.source)) << qPrintable(e.source);
        for (const ArtVariant& v : e.variants) {
            QImageReader reader(M_GUI::imgDir() + u'/' + v.path);
            EXPECT_EQ(reader.read().size(), e.sizes.value(0)) << qPrintable(v.path) << ": " << qPrintable(reader.errorString());
        }
    }
    EXPECT_FALSE(m.load(art + QStringLiteral("/no-such-manifest.tsv"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot read")));
}
