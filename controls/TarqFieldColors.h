#pragma once
// The background colours of a framed field by state, kept alike by the edit,
// the combo box and the list view: the field shows the colour its state calls
// for, and a colour given from outside becomes its idle colour.

#include "platform/gfx/Colors.h"

class TControl;

class TTarqFieldColors {
public:
    TColor disabled = clBtnFace;
    TColor focus = clWindow;
    TColor normal = clWindow;

    // Gives `field` the colour its state calls for. The colour change this
    // causes is the field's own and is not adopted.
    void Show(TControl& field, TColor color);
    // A colour given from outside becomes the idle colour, and takes the
    // focus colour along when the two were the same.
    void Adopt(TColor color);

private:
    bool showing_ = false;
};
