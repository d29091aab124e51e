#include "fakecommondialog.h"

bool FakeCommonDialog::chooseOpenFile(QString &fileName)
{
    return chooseFile(fileName);
}

bool FakeCommonDialog::chooseSaveFile(QString &fileName)
{
    return chooseFile(fileName);
}

bool FakeCommonDialog::chooseFile(QString &fileName)
{
    if (whileShown)
        whileShown();
    shownTitles.append(DialogTitle());
    shownFilters.append(Filter());
    if (files.isEmpty())
        return false;
    const std::optional<QString> answer = files.takeFirst();
    if (!answer)
        return false;
    fileName = *answer;
    return true;
}

bool FakeCommonDialog::chooseFont(FontChoice &font)
{
    ++fontDialogs;
    if (fonts.isEmpty())
        return false;
    const std::optional<Font> answer = fonts.takeFirst();
    if (!answer)
        return false;
    font = {answer->name, answer->size, answer->bold};
    return true;
}
