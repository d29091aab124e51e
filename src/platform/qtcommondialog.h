#pragma once

#include "platform/commondialog.h"

class QFileDialog;

class QtCommonDialog : public CommonDialog
{
public:
    // Gives a file dialog the settings in force, ready to be shown.
    void prepare(QFileDialog &dialog, bool save, const QString &fileName) const;

protected:
    bool chooseOpenFile(QString &fileName) override;
    bool chooseSaveFile(QString &fileName) override;
    bool chooseFont(FontChoice &font) override;

private:
    bool chooseFile(bool save, QString &fileName);
};
