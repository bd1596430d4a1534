#pragma once

// What every form of the program offers to the start module: re-texting in the chosen language
// and laying out its controls again. The table of forms walks these after a change of language.
class Form {
public:
    virtual ~Form() = default;
    virtual void ctrls_setRcStr() = 0;
    virtual void ctrls_resize() = 0;
};
