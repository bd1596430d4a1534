#pragma once

// What the drawing and measuring tests share: a small clip to open in a real viewer, so hit
// tests run at the viewer's current frame and picture size.

#include "components/media/FixtureWriter.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"

#include <QDir>

namespace GraphicsFixtures {

// A lossless clip of w x h and n frames, written once per run.
inline QString clip(int w, int h, int frames)
{
    const QString path = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("graphics_%1x%2x%3.mkv").arg(w).arg(h).arg(frames));
    if (!QFile::exists(path) && FixtureWriter::write(path, FixtureRecipes::lossless(w, h, frames)) != 0)
        return {};
    return path;
}

} // namespace GraphicsFixtures
