#pragma once

#include <QPixmap>

// The country flags of the language list, drawn in code. Image indexes are those of the
// language dialog's image list: 6 United States, 8 France, 10 Germany, 19 Portugal,
// 22 China, 24 Spain. Any other index gives a neutral grey flag.
QPixmap flagPicture(int imageIndex, int height);
