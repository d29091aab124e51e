#pragma once

class QWidget;

// Positions and sizes are twips in the behaviour code; widgets want whole pixels.
namespace Units {
double twipsPerPixelX();
double twipsPerPixelY();
int toPixelsX(double twips);
int toPixelsY(double twips);
double toTwipsX(int pixels);
double toTwipsY(int pixels);
} // namespace Units
