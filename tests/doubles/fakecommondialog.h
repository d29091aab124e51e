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
    struct Font
    {
        QString name;
        double size;
        bool bold;
    };

    QList<std::optional<QString>> files; // std::nullopt answers Cancel
    QList<std::optional<Font>> fonts;
    QStringList shownTitles;
    QStringList shownFilters;
    int fontDialogs = 0;
    std::function<void()> whileShown; // runs while each file dialog is up

protected:
    bool chooseOpenFile(QString &fileName) override;
    bool chooseSaveFile(QString &fileName) override;
    bool chooseFont(FontChoice &font) override;

private:
    bool chooseFile(QString &fileName);
};
