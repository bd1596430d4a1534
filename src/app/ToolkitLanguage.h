#pragma once

// Gives the toolkit's own texts (the buttons of message boxes, file and colour dialogs) the
// language of the given string-table offset, so a dialog never mixes two languages.
void applyToolkitLanguage(int rcOffset);
