#pragma once

#include <QString>

// Folders a test may use: the source tree (for the string table and the code scan) and a
// scratch folder that lives as long as the test executable.
namespace TestPaths {
QString sourceDir();
QString scratchDir();
// The settings a window keeps between sessions (its place and size, the last folder, the tools)
// are forgotten, so each test's window starts as on a first run.
void forgetSession();
} // namespace TestPaths
