#include "app/statusline.h"

#include "core/pagestate.h"
#include "editor/editcontrol.h"
#include "platform/mainwindow.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>

namespace {
QString encodingName(const TextEncoding &encoding)
{
    switch (encoding.codec()) {
    case TextEncoding::Utf8:
        return QLatin1String(encoding.hasByteOrderMark() ? "UTF-8 BOM" : "UTF-8");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252");
    default:
        return encoding.name();
    }
}
} // namespace

StatusLine::StatusLine(MainWindow &window, EditControl &Text1, const PageState &page)
    : m_window(window)
    , m_text1(Text1)
    , m_page(page)
{
    QObject::connect(Text1.editor(), &QPlainTextEdit::cursorPositionChanged, Text1.editor(),
                     [this] { refresh(); });
}

void StatusLine::refresh()
{
    if (m_page.editingfile.isEmpty())
        return;
    const QTextCursor caret = m_text1.editor()->textCursor();
    m_window.setPermanentStatus(text(caret.blockNumber() + 1, caret.positionInBlock() + 1,
                                     m_page.ischanged == 1, m_page, m_problems));
}

void StatusLine::setProblems(int count)
{
    m_problems = count;
    refresh();
}

QString StatusLine::text(int line, int column, bool modified, const PageState &page, int problems)
{
    QStringList parts{QStringLiteral("Ln %1, Col %2").arg(line).arg(column)};
    if (modified)
        parts << QStringLiteral("Modified");
    parts << encodingName(page.encoding) + u' ' +
                 QLatin1String(page.lineBreaks == LineBreakForm::Lf ? "LF" : "CRLF");
    if (problems == 1)
        parts << QStringLiteral("1 problem");
    else if (problems > 1)
        parts << QStringLiteral("%1 problems").arg(problems);
    return parts.join(QLatin1String("   "));
}
