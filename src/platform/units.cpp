#include "platform/units.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
constexpr double TwipsPerInch = 1440.0;

double logicalDpiX()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double logicalDpiY()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
} // namespace

namespace Units {
double twipsPerPixelX()
{
    return TwipsPerInch / logicalDpiX();
}

double twipsPerPixelY()
{
    return TwipsPerInch / logicalDpiY();
}

int toPixelsX(double twips)
{
    return int(std::lround(twips / twipsPerPixelX()));
}

int toPixelsY(double twips)
{
    return int(std::lround(twips / twipsPerPixelY()));
}

double toTwipsX(int pixels)
{
    return pixels * twipsPerPixelX();
}

double toTwipsY(int pixels)
{
    return pixels * twipsPerPixelY();
}
} // namespace Units
