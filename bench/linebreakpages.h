#pragma once

#include <QByteArray>

// The same page with LF line breaks, as many editors save it: what the editor's text model
// makes of such a page is measured beside the CR LF one.
QByteArray withLfBreaks(QByteArray page);
