#include "view/CVw.h"

// The graphic items arrive with the drawing tools; until then a view has none.
int CVw::graphObj_count() const { return 0; }
void CVw::graphObj_rmLast() {}
void CVw::graphObj_rmAll() {}
