// The pens, brushes, font and bitmap that every window of the console shares.
#pragma once

// Creates them from the current system colours, deleting the previous ones.
void CreateDrawingObjects();
