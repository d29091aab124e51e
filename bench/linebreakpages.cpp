#include "linebreakpages.h"

QByteArray withLfBreaks(QByteArray page)
{
    return page.replace("\r\n", "\n");
}
