#pragma once

#include <QByteArray>

// A page of realistic hand-written markup (head with style and scripts, nested tables,
// paragraphs with links and attributes) of about `bytes` bytes, CR LF line breaks.
QByteArray generatePage(qint64 bytes);
