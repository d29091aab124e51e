#include "preview/engine/pagefolders.h"
#include "preview/engine/previewpage.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// What the preview lets a page load, and which clicked addresses leave for the system's browser.
class TestRequestRules : public QObject
{
    Q_OBJECT

private slots:
    void mayLoad_data();
    void mayLoad();
    void opensOutside_data();
    void opensOutside();

private:
    QTemporaryDir m_folder;
};

using Type = QWebEngineUrlRequestInfo::ResourceType;

void TestRequestRules::mayLoad_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("loaded");
    const QDir folder(m_folder.path());
    for (const char *name : {"page.html", "other.html_VLM_temp.html", "notes.txt", "s.css"})
        QFile(folder.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    const auto row = [&](const char *name, const QString &file, Type type, bool loaded) {
        QTest::addRow("%s, file", name) << QUrl::fromLocalFile(file) << int(type) << loaded;
        QTest::addRow("%s, own scheme", name) << PageFolders::address(file) << int(type) << loaded;
    };
    const auto in = [&](const char *name) { return folder.filePath(QString::fromLatin1(name)); };
    row("page shown", in("page.html"), Type::ResourceTypeMainFrame, true);
    row("text file not shown", in("notes.txt"), Type::ResourceTypeMainFrame, false);
    row("system file not shown", QStringLiteral("/etc/passwd"), Type::ResourceTypeMainFrame, false);
    row("folder not shown", m_folder.path(), Type::ResourceTypeMainFrame, false);
    row("page framed", in("page.html"), Type::ResourceTypeSubFrame, true);
    row("another preview not framed", in("other.html_VLM_temp.html"), Type::ResourceTypeSubFrame,
        false);
    row("text not framed", in("notes.txt"), Type::ResourceTypeSubFrame, false);
    row("style sheet", in("s.css"), Type::ResourceTypeStylesheet, true);
    row("text as style sheet", in("notes.txt"), Type::ResourceTypeStylesheet, false);
    row("text as script", in("notes.txt"), Type::ResourceTypeScript, false);
    row("image", in("notes.txt"), Type::ResourceTypeImage, true);
    row("fetch", in("notes.txt"), Type::ResourceTypeXhr, false);
    row("worker", in("notes.txt"), Type::ResourceTypeWorker, false);
    const QUrl remote(QStringLiteral("http://127.0.0.1:1/x.png"));
    QTest::addRow("remote image") << remote << int(Type::ResourceTypeImage) << false;
    QTest::addRow("remote page") << remote << int(Type::ResourceTypeMainFrame) << false;
}

void TestRequestRules::mayLoad()
{
    QFETCH(QUrl, url);
    QFETCH(int, type);
    QFETCH(bool, loaded);

    QCOMPARE(OwnResources::mayLoad(url, Type(type)), loaded);
}

void TestRequestRules::opensOutside_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    for (const char *url : {"http://example.org/", "https://example.org/", "mailto:a@b.c"})
        QTest::addRow("%s", url) << QString::fromLatin1(url) << true;
    for (const char *url : {"file:///etc/passwd", "javascript:alert(1)", "ftp://example.org/",
                            "sms:123", "data:text/html,x", "x-scheme-handler:y"})
        QTest::addRow("%s", url) << QString::fromLatin1(url) << false;
}

void TestRequestRules::opensOutside()
{
    QFETCH(QString, url);
    QFETCH(bool, opened);

    QCOMPARE(PreviewPage::opensOutside(QUrl(url)), opened);
}

QTEST_GUILESS_MAIN(TestRequestRules)
#include "tst_requestrules.moc"
