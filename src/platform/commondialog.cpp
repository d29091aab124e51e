#include "platform/commondialog.h"

#include "core/runtimeerror.h"

#include <algorithm>

void CommonDialog::ShowOpen()
{
    QString fileName = m_fileName;
    if (chooseOpenFile(fileName))
        m_fileName = fileName;
    else
        cancelled();
}

void CommonDialog::ShowSave()
{
    QString fileName = m_fileName;
    if (chooseSaveFile(fileName))
        m_fileName = fileName;
    else
        cancelled();
}

void CommonDialog::ShowFont()
{
    FontChoice font{m_fontName, m_fontSize, m_fontBold};
    if (!chooseFont(font)) {
        cancelled();
        return;
    }
    m_fontName = font.name;
    m_fontSize = font.size;
    m_fontBold = font.bold;
}

void CommonDialog::cancelled() const
{
    if (m_cancelError)
        throw RuntimeError(RuntimeError::CancelSelected, QStringLiteral("Cancel was selected."));
}

QStringList CommonDialog::nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(u';');
        // "*.*" stands for every file, also those without an extension.
        std::replace(patterns.begin(), patterns.end(), QStringLiteral("*.*"), QStringLiteral("*"));
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}
