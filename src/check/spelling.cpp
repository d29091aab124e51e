#include "check/spelling.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutexLocker>
#include <QRegularExpression>

#include <hunspell.hxx>

namespace {
const QStringList DictionaryFolders = {QStringLiteral("/usr/share/hunspell"),
                                       QStringLiteral("/usr/share/myspell")};

bool isWordChar(QChar c)
{
    return c.isLetter() || c.isMark();
}

// Appends the words of plain text from `from` to `to`.
void wordsIn(QStringView page, qsizetype from, qsizetype to, QList<Spelling::Word> &words)
{
    qsizetype i = from;
    while (i < to) {
        const QChar c = page.at(i);
        if (c == u'&') { // a character reference is not a word
            while (i < to && page.at(i) != u';' && !page.at(i).isSpace())
                ++i;
            continue;
        }
        if (!isWordChar(c)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < to && (isWordChar(page.at(i)) ||
                          (page.at(i) == u'\'' && i + 1 < to && isWordChar(page.at(i + 1)))))
            ++i;
        // Words with digits ("mp3", "h2") are names, not for a dictionary.
        if (i < to && page.at(i).isDigit()) {
            while (i < to && page.at(i).isLetterOrNumber())
                ++i;
            continue;
        }
        if (start > from && page.at(start - 1).isDigit())
            continue;
        words.append({int(start), int(i - start)});
    }
}

// The alt and title values inside the tag from `from` to `to`.
void attributeWords(QStringView page, qsizetype from, qsizetype to, QList<Spelling::Word> &words)
{
    static const QRegularExpression readable(
        QStringLiteral("\\s(?:alt|title)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator it = readable.globalMatch(page.mid(from, to - from));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const int group = match.hasCaptured(1) ? 1 : 2;
        const qsizetype start = from + match.capturedStart(group);
        wordsIn(page, start, start + match.capturedLength(group), words);
    }
}

QString dictionaryName(const QString &language)
{
    QString name = language;
    name.replace(u'-', u'_');
    const qsizetype split = name.indexOf(u'_');
    if (split > 0)
        name = name.left(split).toLower() + name.mid(split).toUpper();
    else
        name = name.toLower();
    for (const QString &folder : DictionaryFolders) {
        if (!name.isEmpty() && QFileInfo::exists(folder + u'/' + name + QLatin1String(".dic")))
            return folder + u'/' + name;
    }
    // "en" takes any English dictionary.
    const QString prefix = name.left(split > 0 ? split : name.size()) + u'_';
    for (const QString &folder : DictionaryFolders) {
        const QStringList found =
            QDir(folder).entryList({prefix + QLatin1String("*.dic")}, QDir::Files, QDir::Name);
        if (split < 0 && !found.isEmpty())
            return folder + u'/' + found.first().chopped(4);
    }
    return QString();
}
} // namespace

namespace Spelling {

QList<Word> textWords(QStringView page)
{
    QList<Word> words;
    qsizetype at = 0;
    while (at < page.size()) {
        const qsizetype open = page.indexOf(u'<', at);
        wordsIn(page, at, open < 0 ? page.size() : open, words);
        if (open < 0)
            break;
        if (page.mid(open).startsWith(u"<!--")) {
            const qsizetype close = page.indexOf(u"-->", open + 4);
            at = close < 0 ? page.size() : close + 3;
            continue;
        }
        const qsizetype close = page.indexOf(u'>', open);
        if (close < 0)
            break;
        attributeWords(page, open, close, words);
        at = close + 1;
        const QStringView tag = page.mid(open + 1, close - open - 1);
        for (const QStringView raw : {QStringView(u"script"), QStringView(u"style")}) {
            if (tag.startsWith(raw, Qt::CaseInsensitive) &&
                (tag.size() == raw.size() || !tag.at(raw.size()).isLetterOrNumber())) {
                const qsizetype end = page.indexOf(QString(QLatin1String("</") + raw.toString()),
                                                   at, Qt::CaseInsensitive);
                at = end < 0 ? page.size() : end;
            }
        }
    }
    return words;
}

QString pageLanguage(QStringView page)
{
    static const QRegularExpression html(
        QStringLiteral("<html\\b[^>]*\\slang\\s*=\\s*[\"']?([A-Za-z0-9-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return html.match(page.left(65536)).captured(1);
}

std::shared_ptr<Dictionary> Dictionary::forLanguage(const QString &language,
                                                    const QString &personalFile)
{
    QString path = dictionaryName(language);
    if (path.isEmpty())
        path = dictionaryName(QLocale::system().name());
    if (path.isEmpty())
        path = dictionaryName(QStringLiteral("en_US"));
    if (path.isEmpty())
        return nullptr;
    return std::shared_ptr<Dictionary>(
        new Dictionary(QFileInfo(path).fileName(), path, personalFile));
}

Dictionary::Dictionary(const QString &name, const QString &path, const QString &personalFile)
    : m_name(name)
    , m_personalFile(personalFile)
    , m_hunspell(
          std::make_unique<Hunspell>(QFile::encodeName(path + QLatin1String(".aff")).constData(),
                                     QFile::encodeName(path + QLatin1String(".dic")).constData()))
{
    QFile personal(personalFile);
    if (personal.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!personal.atEnd()) {
            const QString word = QString::fromUtf8(personal.readLine()).trimmed();
            if (!word.isEmpty())
                m_hunspell->add(word.toStdString());
        }
    }
}

Dictionary::~Dictionary() = default;

bool Dictionary::isCorrect(QStringView word)
{
    const QMutexLocker lock(&m_mutex);
    const QString key = word.toString();
    const auto known = m_known.constFind(key);
    if (known != m_known.cend())
        return *known;
    const bool correct = m_hunspell->spell(key.toStdString());
    m_known.insert(key, correct);
    return correct;
}

QStringList Dictionary::suggestions(const QString &word)
{
    const QMutexLocker lock(&m_mutex);
    QStringList found;
    for (const std::string &suggestion : m_hunspell->suggest(word.toStdString()))
        found.append(QString::fromStdString(suggestion));
    return found;
}

void Dictionary::add(const QString &word)
{
    const QMutexLocker lock(&m_mutex);
    m_hunspell->add(word.toStdString());
    m_known.insert(word, true);
    QDir().mkpath(QFileInfo(m_personalFile).absolutePath());
    QFile personal(m_personalFile);
    if (personal.open(QIODevice::Append | QIODevice::Text))
        personal.write(word.toUtf8() + '\n');
}

QList<Word> Dictionary::misspelt(QStringView page)
{
    QList<Word> found;
    for (const Word &word : textWords(page)) {
        if (!isCorrect(page.mid(word.start, word.length)))
            found.append(word);
    }
    return found;
}

} // namespace Spelling
