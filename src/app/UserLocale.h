#pragma once

#include <QString>

// The user's default locale as a locale identifier, taken from LC_ALL, LC_MESSAGES or LANG
// (in that order of precedence); 1033 (English, United States) when none names a known locale.
int userDefaultLcid();

// The locale identifier of a POSIX locale name such as "fr_FR.UTF-8" or "de"; 0 when unknown.
int posixLocaleToLcid(const QString& name);
