#pragma once

#include "AnalysisDoc.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace analysis {

// Why a document could not be read or written.
enum class Fault {
    None,
    Unreadable,   // the file cannot be opened or read
    Empty,        // the file holds nothing
    NotJson,      // damaged, cut short or not text: detail says where
    NotAnalysis,  // text of another kind
    NewerVersion, // written by a later version of the program: detail gives the version
    BadContent,   // an entry is missing or of the wrong kind: detail names it
    WriteFailed,  // the file could not be written: detail gives the system's reason
};

struct Problem {
    Fault fault = Fault::None;
    QString detail;
    explicit operator bool() const { return fault != Fault::None; }
    // The problem in English, for the command-line tool and the logs.
    QString text() const;
};

// The document as indented UTF-8 JSON. Doubles are written in their shortest exact form, so
// reading them back gives the same bits.
QByteArray toJson(const Document& doc);
// Reads a document; on failure gives nothing and the problem. Nothing is kept of a document
// that fails anywhere.
std::optional<Document> fromJson(const QByteArray& bytes, Problem& problem);

} // namespace analysis
