#pragma once

#include <QString>
#include <QStringView>

// The text as a JavaScript string literal, quotes included.
QString javaScriptString(QStringView text);
