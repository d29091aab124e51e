#include "check/problems.h"

#include "system/nativefile.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <memory>

namespace {
// The parser's reports that say what the page's author needs to mend; the rest is advice on
// style and on what browsers add by themselves.
const QSet<QByteArray> Reported = {
    "MISSING_ENDTAG_BEFORE", "MISSING_ENDTAG_FOR",     "DISCARDING_UNEXPECTED",
    "NON_MATCHING_ENDTAG",   "UNEXPECTED_ENDTAG",      "UNEXPECTED_ENDTAG_IN",
    "UNEXPECTED_ENDTAG_ERR", "COERCE_TO_ENDTAG",       "ANCHOR_NOT_UNIQUE",
    "UNKNOWN_ELEMENT",       "UNEXPECTED_END_OF_FILE", "CANT_BE_NESTED",
    "ELEMENT_NOT_EMPTY",     "MISSING_ATTRIBUTE"};

struct Parse
{
    const QString *text;
    const QList<int> *lineStarts;
    QList<Problems::Problem> *found;
    QStringList unknown; // "<name>" of each element not recognised
};

// The length of what is marked at `start`: its tag, or its word.
int extentAt(const QString &text, int start)
{
    if (start >= text.size())
        return 0;
    if (text.at(start) == u'<') {
        const qsizetype end = text.indexOf(u'>', start);
        return end < 0 || end - start > 200 ? 1 : int(end - start + 1);
    }
    int end = start;
    while (end < text.size() && !text.at(end).isSpace() && text.at(end) != u'<')
        ++end;
    return std::max(1, end - start);
}

Bool TIDY_CALL collect(TidyMessage message)
{
    TidyDoc doc = tidyGetMessageDoc(message);
    auto *parse = static_cast<Parse *>(tidyGetAppData(doc));
    const QByteArray key(tidyGetMessageKey(message));
    if (!Reported.contains(key))
        return no;
    const QString text = QString::fromUtf8(tidyGetMessage(message));
    // An unknown element is one problem, not also its start and end tags thrown away.
    static const QRegularExpression tagName(QStringLiteral("<(/?)([^>]*)>"));
    const QRegularExpressionMatch name = tagName.match(text);
    if (key == "UNKNOWN_ELEMENT")
        parse->unknown.append(name.captured(2));
    else if (key == "DISCARDING_UNEXPECTED" && parse->unknown.contains(name.captured(2)))
        return no;
    const int line = tidyGetMessageLine(message);
    const int column = tidyGetMessageColumn(message);
    const QList<int> &starts = *parse->lineStarts;
    const int lineStart = starts.value(std::clamp(line - 1, 0, int(starts.size()) - 1));
    // The parser counts characters, where a character beyond the BMP takes two here.
    const QString &page = *parse->text;
    int at = lineStart;
    for (int i = 1; i < column && at < page.size(); ++i)
        at += page.at(at).isHighSurrogate() && at + 1 < page.size() &&
                      page.at(at + 1).isLowSurrogate()
                  ? 2
                  : 1;
    parse->found->append({at, 0, text});
    return no;
}

using TidyHandle = std::unique_ptr<std::remove_pointer_t<TidyDoc>, decltype(&tidyRelease)>;

void parse(const QString &text, QList<Problems::Problem> &found)
{
    // The parser breaks lines at CR LF only, as the editor does; a lone CR or LF is one
    // character of its line there, here a space.
    QString input = text;
    QList<int> lineStarts{0};
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c == u'\r' && i + 1 < input.size() && input.at(i + 1) == u'\n') {
            lineStarts.append(int(i + 2));
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == u'\t') {
            input[i] = u' ';
        }
    }
    Parse state{&text, &lineStarts, &found, {}};
    TidyHandle doc(tidyCreate(), &tidyRelease);
    tidySetAppData(doc.get(), &state);
    tidySetMessageCallback(doc.get(), collect);
    tidySetCharEncoding(doc.get(), "utf8");
    tidyOptSetInt(doc.get(), TidyShowErrors, 1000000);
    tidyOptSetBool(doc.get(), TidyShowWarnings, yes);
    tidyOptSetBool(doc.get(), TidyQuiet, yes);
    tidyOptSetBool(doc.get(), TidyShowInfo, no);
    TidyBuffer errors;
    tidyBufInit(&errors);
    tidySetErrorBuffer(doc.get(), &errors);
    tidyParseString(doc.get(), input.toUtf8().constData());
    tidyBufFree(&errors);
    for (Problems::Problem &problem : found)
        problem.length = extentAt(text, problem.start);
}

// Local files named by href and src that are not there.
void findMissingFiles(const QString &text, const QString &folder, QList<Problems::Problem> &found)
{
    static const QRegularExpression reference(
        QStringLiteral(
            "<[a-zA-Z][^>]*?\\s(?:href|src)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QDir dir(folder);
    for (const QRegularExpressionMatch &match : reference.globalMatch(text)) {
        int group = 1;
        while (group < 3 && !match.hasCaptured(group))
            ++group;
        const QString value = match.captured(group).trimmed();
        const QUrl url(value);
        if (value.isEmpty() || value.startsWith(u'#') || !url.scheme().isEmpty() ||
            value.startsWith(QLatin1String("//")))
            continue;
        const QString path = QUrl::fromPercentEncoding(url.path().toUtf8());
        if (path.isEmpty() || NativeFile::exists(dir.filePath(path)))
            continue;
        found.append({int(match.capturedStart(group)),
                      std::max(1, int(match.capturedLength(group))),
                      QStringLiteral("\"%1\" does not exist").arg(path)});
    }
}
} // namespace

namespace Problems {

// Control characters other than tab and line breaks do not occur in text.
bool looksBinary(const QString &text)
{
    const qsizetype sample = std::min<qsizetype>(text.size(), 4096);
    int controls = 0;
    for (qsizetype i = 0; i < sample; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0)
            return true;
        if (c < 32 && c != u'\t' && c != u'\r' && c != u'\n' && c != u'\f')
            ++controls;
    }
    return controls * 20 > sample;
}

QList<Problem> find(const QString &text, const QString &folder)
{
    if (looksBinary(text))
        return {{0, 1, QStringLiteral("This page is not text: it cannot be checked")}};
    QList<Problem> found;
    parse(text, found);
    if (!folder.isEmpty())
        findMissingFiles(text, folder, found);
    std::stable_sort(found.begin(), found.end(),
                     [](const Problem &a, const Problem &b) { return a.start < b.start; });
    found.resize(std::unique(found.begin(), found.end()) - found.begin());
    return found;
}

} // namespace Problems
