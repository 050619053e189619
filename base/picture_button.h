// The picture buttons of the console's toolbars (owner-drawn "$BtnBulle"
// buttons): a picture in a one-pixel 3-D frame.
#pragma once
#include <windows.h>

// Draws an owner-draw request of a picture button: for a focus change only
// the focus rectangle 2 pixels inside; otherwise `bitmap` stretched into the
// square of the client height at the client origin, a raised frame (sunken
// while the button is pressed) and, when the button has the focus, the focus
// rectangle.
void DrawPictureButton(const DRAWITEMSTRUCT* item, HBITMAP bitmap);
