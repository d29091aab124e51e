#pragma once

class QString;

// True when the file can be opened for reading and closed again.
bool Fexists(const QString &path);
