#pragma once

#include "platform/commondialog.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Answers file and font dialogs from a script; an empty script answers Cancel. Records the
// title and filter each file dialog was shown with.
class FakeCommonDialog : public CommonDialog
{
public:
    using CommonDialog::FontChoice;

    QList<std::optional<QString>> files; // std::nullopt answers Cancel
    QList<std::optional<FontChoice>> fonts;
    QStringList shownTitles;
    QStringList shownFilters;
    std::function<void()> whileShown; // runs while each file dialog is up

protected:
    bool chooseOpenFile(QString &fileName) override { return chooseFile(fileName); }
    bool chooseSaveFile(QString &fileName) override { return chooseFile(fileName); }
    bool chooseFont(FontChoice &font) override
    {
        const std::optional<FontChoice> answer = fonts.isEmpty() ? std::nullopt : fonts.takeFirst();
        if (answer)
            font = *answer;
        return answer.has_value();
    }

private:
    bool chooseFile(QString &fileName)
    {
        if (whileShown)
            whileShown();
        shownTitles.append(DialogTitle());
        shownFilters.append(Filter());
        const std::optional<QString> answer = files.isEmpty() ? std::nullopt : files.takeFirst();
        if (answer)
            fileName = *answer;
        return answer.has_value();
    }
};
