#pragma once

#include <QWebEngineUrlSchemeHandler>

// Serves the files of this machine to the preview under a scheme of the program's own, with
// each file's folder as its origin: a page reads what lies in its own folder and below, and
// only shows what lies elsewhere (an image it cannot read back, a frame whose document it cannot
// reach, a style sheet whose rules it cannot list).
class PageFolders : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    static const QByteArray Scheme;

    // Makes the scheme known to the engine; before its first profile is made.
    static void registerScheme();
    // The address of a file on this machine, in the origin of its folder.
    static QUrl address(const QString &file);
    // The address of a file as the engine loads it from this machine.
    static QUrl fileAddress(const QString &file);
    // The address names a file within the folder of its origin, or below.
    static bool isWithinOrigin(const QUrl &address);
    // The file at such an address, or at a file address.
    static QString file(const QUrl &address);
    // The file on this machine that an address of this scheme or a file: address names, or
    // nothing for any other address.
    static QString localFile(const QUrl &url);

    void requestStarted(QWebEngineUrlRequestJob *job) override;
};
