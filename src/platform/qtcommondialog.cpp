#include "platform/qtcommondialog.h"

#include "core/nativename.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>

bool QtCommonDialog::chooseOpenFile(QString &fileName)
{
    return chooseFile(false, fileName);
}

bool QtCommonDialog::chooseSaveFile(QString &fileName)
{
    return chooseFile(true, fileName);
}

void QtCommonDialog::prepare(QFileDialog &dialog, bool save, const QString &fileName) const
{
    dialog.setWindowTitle(DialogTitle());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(Filter()));
    // The dialog reads every name as UTF-8: it finds one that is not as it shows it.
    if (!fileName.isEmpty())
        dialog.selectFile(NativeName::readable(fileName));
}

bool QtCommonDialog::chooseFile(bool save, QString &fileName)
{
    QFileDialog dialog(QApplication::activeWindow());
    prepare(dialog, save, fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}

bool QtCommonDialog::chooseFont(FontChoice &font)
{
    QFont initial(font.name);
    if (font.size > 0)
        initial.setPointSizeF(font.size);
    initial.setBold(font.bold);
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, initial, QApplication::activeWindow());
    if (!accepted)
        return false;
    font = {chosen.family(), chosen.pointSizeF(), chosen.bold()};
    return true;
}
