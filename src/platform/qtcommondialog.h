#pragma once

#include "commondialog.h"

class QtCommonDialog : public CommonDialog
{
protected:
    bool chooseOpenFile(QString &fileName) override;
    bool chooseSaveFile(QString &fileName) override;
    bool chooseFont(FontChoice &font) override;

private:
    bool chooseFile(bool save, QString &fileName);
};
