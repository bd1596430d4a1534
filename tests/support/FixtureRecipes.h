#pragma once

#include "components/media/FixtureWriter.h"

// Recipes for the clips tests write, shared by every test executable.
namespace FixtureRecipes {

// A lossless clip of intra frames: every frame decodes to exactly the pattern painted into it.
inline FixtureSpec lossless(int width, int height, int frames)
{
    FixtureSpec recipe;
    recipe.encoder = QStringLiteral("ffv1");
    recipe.width = width;
    recipe.height = height;
    recipe.frames = frames;
    recipe.gop = 1;
    recipe.bFrames = 0;
    return recipe;
}

} // namespace FixtureRecipes
