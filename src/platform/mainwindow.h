#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QFont;
class QMainWindow;
class QMenu;
class QWidget;
class WindowWidget;

// The main window: caption, icon, menu bar, an inner area whose children are placed by
// twips, and the resize and close events.
class MainWindow
{
public:
    MainWindow();
    ~MainWindow();

    QWidget *innerArea() const;
    QMainWindow *window() const;

    QString Caption() const;
    void setCaption(const QString &caption);
    void setIcon(const QString &path);
    void setFont(const QFont &font);
    void setInnerSize(double width, double height);
    double ScaleWidth() const;
    double ScaleHeight() const;
    // Height of the text in the window's font, in twips.
    double TextHeight(const QString &text) const;
    void Show();

    QMenu *addMenu(const QString &caption);
    // Menu shortcuts win over the keys of the window's own controls (Ctrl+Z is a menu command,
    // not the editor's undo).
    void addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut,
                 const std::function<void()> &handler);
    void addSeparator(QMenu *menu);

    // A notice that stays in the status bar until it is cleared.
    void showStatus(const QString &message);
    void clearStatus();
    QString statusNotice() const;
    // A message that the status bar shows for a few seconds, or until the next one.
    void showBriefly(const QString &message);
    QString statusMessage() const;
    // The right-hand part of the status bar, beside any notice or message.
    void setPermanentStatus(const QString &text);
    QString permanentStatus() const;

    void onResize(std::function<void()> handler);
    void onClose(std::function<void(bool &cancel)> handler);
    // Closes the window without running the close handler.
    void closeWithoutAsking();
    // Deletes the window and every widget in it; nothing else may be called afterwards.
    void deleteWidgets();

private:
    std::unique_ptr<WindowWidget> m_window;
};
