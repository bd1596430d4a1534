#pragma once

#include <QString>

// Folders a test may use: the source tree (for the string table and the code scan) and a
// scratch folder that lives as long as the test executable.
namespace TestPaths {
QString sourceDir();
QString scratchDir();
} // namespace TestPaths
