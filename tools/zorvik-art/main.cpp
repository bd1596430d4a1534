// zorvik-art: makes the program's pictures (button pictures, icons, cursor, logo) from the
// drawings in the art folder, as its manifest lists them.
#include "ArtGenerator.h"
#include "ArtManifest.h"
#include "ContactSheet.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage: zorvik-art MANIFEST OUTDIR [--sheet PNG]\n"
               "  Drawings are read from the manifest's folder; pictures are written below OUTDIR.\n",
               stderr);
    return 2;
}

int g_complaints = 0;

// The build runs without a desktop session; Qt's remark about that is noise there. Anything
// else, such as the SVG reader's complaint about a drawing, is shown and fails the run, so a
// broken drawing never turns silently into a wrong picture.
void messages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    if (type != QtDebugMsg && type != QtInfoMsg)
        ++g_complaints;
    std::fprintf(stderr, "zorvik-art: %s\n", qPrintable(text));
}

int fail(const QString& why)
{
    std::fprintf(stderr, "zorvik-art: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Runs during the build, where there is no display: the drawings only need fonts.
    qInstallMessageHandler(messages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QStringLiteral("--sheet")))
        return usage();

    ZorvikArt::ArtManifest manifest;
    QString error;
    if (!manifest.load(args[0], &error))
        return fail(error);
    const ZorvikArt::ArtGenerator generator(manifest, QFileInfo(args[0]).absolutePath());
    QList<ZorvikArt::MadePicture> pictures;
    if (!generator.make(&pictures, &error))
        return fail(error);
    if (g_complaints > 0)
        return fail(QStringLiteral("the drawings have problems (see above)"));
    if (!ZorvikArt::ArtGenerator::write(pictures, args[1], &error))
        return fail(error);
    if (args.size() == 4 && !ZorvikArt::contactSheet(pictures, 3).save(args[3]))
        return fail(QStringLiteral("cannot write the contact sheet %1").arg(args[3]));
    return 0;
}
