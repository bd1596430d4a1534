#pragma once

#include "components/media/FixtureWriter.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QString>
#include <map>

extern "C" {
#include <libavutil/log.h>
}

// Recipes for the clips tests write, shared by every test executable.
namespace FixtureRecipes {

// A lossless clip of intra frames: every frame decodes to exactly the pattern painted into it.
inline FixtureRecipe lossless(int width, int height, int frames)
{
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("ffv1");
    recipe.width = width;
    recipe.height = height;
    recipe.frames = frames;
    recipe.gop = 1;
    recipe.bFrames = 0;
    return recipe;
}

// Writes the clip once per run as `name` in the scratch folder `folder` and returns its path
// (empty when it could not be written, with `error` set); later calls with the same folder and
// name reuse it.
inline QString writtenOnce(const QString& folder, const QString& name, const FixtureRecipe& recipe,
                           QString* error = nullptr)
{
    static std::map<QString, QString> written;
    const QString dir = QDir(TestPaths::scratchDir()).filePath(folder);
    const QString path = QDir(dir).filePath(name);
    av_log_set_level(AV_LOG_QUIET); // encoders and broken files would flood the test log
    if (const auto it = written.find(path); it != written.end())
        return it->second;
    QDir().mkpath(dir);
    QString why;
    if (FixtureWriter::write(path, recipe, &why) != 0) {
        if (error)
            *error = why;
        return {};
    }
    written[path] = path;
    return path;
}

} // namespace FixtureRecipes
