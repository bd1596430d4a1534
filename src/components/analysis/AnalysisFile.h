#pragma once

#include "AnalysisJson.h"

#include <QString>
#include <optional>

// Analysis files on disk: whole-file reads that change nothing until they succeed, atomic
// writes (the former file stays as it was until the new one is complete), and the videos an
// analysis names, found where they are now.
namespace analysis {

std::optional<Document> readFile(const QString& path, Problem& problem);
// Writes the document with each video's path made relative to the file's folder.
bool writeFile(const QString& path, Document doc, Problem& problem);

// Where the view's video is now: at its relative path from the analysis's folder, at its
// absolute path, or by its name beside the analysis; empty when it is in none of these.
QString locateVideo(const VideoRef& video, const QString& analysisPath);
// The analysis of the same name beside a video ("clip.avi" -> "clip.zorvik").
QString besideVideo(const QString& videoPath);
// Whether the path names an analysis by its suffix (any case).
bool isAnalysisFile(const QString& path);

} // namespace analysis
