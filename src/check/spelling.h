#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

class Hunspell;

// The spelling of a page's text: the words a reader sees, and the dictionary they are checked
// against.
namespace Spelling {

struct Word
{
    int start = 0;
    int length = 0;
};

// The words of the page's text and of its alt and title values; not tag names, other attribute
// values, comments, character references, scripts or style sheets.
QList<Word> textWords(QStringView page);
// The lang of the page's html element ("en-US"), empty without one.
QString pageLanguage(QStringView page);

// One installed dictionary and the user's own words, which are kept in `personalFile`. Safe to
// use from several threads.
class Dictionary
{
public:
    // The dictionary for `language` ("en-US", "de"), or for the system's language where none
    // is installed for it; null when neither is.
    static std::shared_ptr<Dictionary> forLanguage(const QString &language,
                                                   const QString &personalFile);
    ~Dictionary();

    QString name() const { return m_name; }
    bool isCorrect(QStringView word);
    // Best first.
    QStringList suggestions(const QString &word);
    void add(const QString &word);

    // The misspelt words of a page.
    QList<Word> misspelt(QStringView page);

private:
    Dictionary(const QString &name, const QString &path, const QString &personalFile);

    QString m_name;
    QString m_personalFile;
    QMutex m_mutex;
    std::unique_ptr<Hunspell> m_hunspell;
    QHash<QString, bool> m_known; // words looked up already
};

} // namespace Spelling
