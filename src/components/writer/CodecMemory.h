#pragma once

#include "components/DialogService.h"

#include <QString>
#include <optional>

// The codec choices the user made in this run, each kept under its settings name (the video
// operations use "Codec"), so the dialog opens on the last choice. Not saved between runs.
class CodecMemory {
public:
    static std::optional<CodecChoice> kept(const QString& name);
    static void keep(const QString& name, const CodecChoice& choice);
    static void forget(const QString& name);
};
