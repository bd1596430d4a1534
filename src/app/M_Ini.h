#pragma once

#include <QString>

// Reads and writes the classic initialisation-file format byte for byte: "[Section]" lines and
// "Key=Value" lines ended by CR LF, in the local 8-bit code page.
namespace M_Ini {

// Writes Key=Value into the section, creating the file, the section or the key as needed and
// keeping every other byte. Returns non-zero on success, 0 on failure.
int str_set(const QString& section, const QString& key, const QString& value, const QString& path);

// Reads an integer: the default when the file, section or key is missing; 0 when the value does
// not start with a number; a value of -1 is replaced by the default.
int num_get(const QString& section, const QString& key, int defaultValue, const QString& path);

// Reads a text value, trimmed; empty when the file, section or key is missing.
QString str_get(const QString& section, const QString& key, const QString& path);

} // namespace M_Ini
