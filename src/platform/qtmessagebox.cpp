#include "platform/qtmessagebox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

int QtMessageBox::show(const QString &prompt, int buttons, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (buttons & 0xF0) {
    case 32:
        box.setIcon(QMessageBox::Question);
        break;
    case 48:
        box.setIcon(QMessageBox::Warning);
        break;
    case 64:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (buttons & 0x0F) {
    case 1:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case 3:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case 4:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Cancel:
        return Cancel;
    case QMessageBox::Ok:
        return Ok;
    default: // closed without a choice
        return (buttons & 0x0F) == 0 ? Ok : Cancel;
    }
}

std::optional<int> QtMessageBox::askNumber(const QString &prompt, const QString &title, int value,
                                           int minimum, int maximum)
{
    bool ok = false;
    const int number = QInputDialog::getInt(QApplication::activeWindow(), title, prompt, value,
                                            minimum, maximum, 1, &ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}
