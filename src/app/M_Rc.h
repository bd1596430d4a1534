#pragma once

#include <QString>
#include <array>

// The string table and the interface language. Every text the program shows is fetched by its
// base number (1000..9999); the text of the chosen language sits at that language's offset plus
// the base number.
namespace M_Rc {

struct Language {
    const char* key;  // "DEU", "ENU", ...
    int offset;       // string-table offset of its block
    int lcid;         // locale identifier
    bool needsUnicode;
};

// The language table in its fixed order; Korean and Thai have no strings in the table.
const std::array<Language, 8>& languages();

// Builds the language table and loads the compiled-in string table; true on success.
bool Init();

QString lcid2nlsKey(int lcid);
int nlsKey2lcid(const QString& key);
int key2rcOffset(const QString& key);
QString rcOffset2nlsKey(int offset);
int rcOffset2lcid(int offset);
int lcid2rcOffset(int lcid);
bool rcOffset_RequiresUnicode(int offset);

// The current language offset (set at start from the settings file, and by the options dialog).
int rcOffset();
void setRcOffset(int offset);

// The string of base number n in the current language; with bUni false, a language that needs
// Unicode gives the English string instead. A number without a string is reported and gives "".
QString getRcStr(int n, bool bUni = true);

// True when the table holds a string for base number n at the given offset.
bool hasString(int offset, int n);
// The base numbers of the table's English block, ascending.
QList<int> baseNumbers();

// Reads a table from TSV text (header line, then number and the six texts); replaces the
// loaded table. Returns false, leaving the table as it was, when the text is malformed.
bool loadTable(const QString& tsv, QString* error = nullptr);

} // namespace M_Rc
