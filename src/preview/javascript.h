#pragma once

#include <QString>
#include <QStringView>

// The text as a JavaScript string literal, quotes included.
QString javaScriptString(QStringView text);

// The script of the program's resources at `path`, read once.
const QString &javaScriptResource(const QString &path);
