#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes, which need not be UTF-8. A name is held as text that turns back into
// the very same bytes: a byte that is not part of valid UTF-8 is carried as the lone surrogate
// U+DC80 + byte, which valid UTF-8 never gives.
namespace NativeName {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &name);
// The name to show: each byte that is not text is shown as U+FFFD.
QString readable(const QString &name);

} // namespace NativeName
