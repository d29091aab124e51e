#include "platform/mainwindow.h"

#include "platform/units.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include <chrono>

namespace {
constexpr std::chrono::milliseconds BriefMessage(5000);
constexpr qsizetype BriefMessageLength = 200;
} // namespace

class WindowWidget : public QMainWindow
{
public:
    WindowWidget()
    {
        m_inner = new QWidget(this);
        setCentralWidget(m_inner);
        m_inner->installEventFilter(this);
        qApp->installEventFilter(this);
        // A lasting notice is a widget of the bar: a menu item's status tip, a temporary
        // message, hides the bar's message but never a permanent widget.
        m_notice = new QLabel(this);
        statusBar()->addPermanentWidget(m_notice, 1);
        m_notice->hide();
        // The caret's place and the page's state, always at the right; the inner area keeps
        // its size below the menu bar and above this bar.
        m_permanent = new QLabel(this);
        statusBar()->addPermanentWidget(m_permanent);
    }

    ~WindowWidget() override { qApp->removeEventFilter(this); }

    QWidget *m_inner;
    QLabel *m_notice;
    QLabel *m_permanent;
    QList<QKeySequence> m_shortcuts;
    std::function<void()> m_resize;
    std::function<void(bool &)> m_close;
    bool m_closingWithoutAsking = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_inner && event->type() == QEvent::Resize && m_resize) {
            m_resize();
        } else if (event->type() == QEvent::ShortcutOverride &&
                   QApplication::activeWindow() == this) {
            // The key goes to the focus widget of this window; `watched` is not looked into,
            // since it may be one of the browser engine's own objects.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (m_shortcuts.contains(QKeySequence(key->keyCombination()))) {
                event->ignore();
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
    }

    void closeEvent(QCloseEvent *event) override
    {
        bool cancel = false;
        if (!m_closingWithoutAsking && m_close)
            m_close(cancel);
        if (cancel)
            event->ignore();
        else
            event->accept();
    }
};

MainWindow::MainWindow()
    : m_window(std::make_unique<WindowWidget>())
{}

MainWindow::~MainWindow() = default;

QWidget *MainWindow::innerArea() const
{
    return m_window->m_inner;
}

QMainWindow *MainWindow::window() const
{
    return m_window.get();
}

QString MainWindow::Caption() const
{
    return m_window->windowTitle();
}

void MainWindow::setCaption(const QString &caption)
{
    m_window->setWindowTitle(caption);
}

void MainWindow::setIcon(const QString &path)
{
    m_window->setWindowIcon(QIcon(path));
}

void MainWindow::setFont(const QFont &font)
{
    m_window->setFont(font);
}

void MainWindow::setInnerSize(double width, double height)
{
    const QSize inner(Units::toPixelsX(width), Units::toPixelsY(height));
    m_window->m_inner->resize(inner);
    m_window->resize(inner + QSize(0, m_window->menuBar()->sizeHint().height() +
                                          m_window->statusBar()->sizeHint().height()));
}

double MainWindow::ScaleWidth() const
{
    return Units::toTwipsX(m_window->m_inner->width());
}

double MainWindow::ScaleHeight() const
{
    return Units::toTwipsY(m_window->m_inner->height());
}

double MainWindow::TextHeight(const QString &text) const
{
    return Units::toTwipsY(QFontMetrics(m_window->font()).size(0, text).height());
}

void MainWindow::Show()
{
    m_window->show();
    m_window->activateWindow();
}

QMenu *MainWindow::addMenu(const QString &caption)
{
    return m_window->menuBar()->addMenu(caption);
}

void MainWindow::addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut,
                         const std::function<void()> &handler)
{
    QAction *action = menu->addAction(caption);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, m_window.get(), [handler] { handler(); });
    if (!shortcut.isEmpty())
        m_window->m_shortcuts.append(shortcut);
}

void MainWindow::addSeparator(QMenu *menu)
{
    menu->addSeparator();
}

void MainWindow::showStatus(const QString &message)
{
    m_window->m_notice->setText(message);
    m_window->m_notice->show();
}

void MainWindow::clearStatus()
{
    m_window->m_notice->hide();
    m_window->m_notice->clear();
}

QString MainWindow::statusNotice() const
{
    return m_window->m_notice->isHidden() ? QString() : m_window->m_notice->text();
}

void MainWindow::showBriefly(const QString &message)
{
    // The status line is one line: a long message is cut short, its line breaks are spaces.
    const QString line = message.simplified();
    m_window->statusBar()->showMessage(
        line.size() > BriefMessageLength ? line.first(BriefMessageLength) + QChar(0x2026) : line,
        int(BriefMessage.count()));
}

QString MainWindow::statusMessage() const
{
    return m_window->statusBar()->currentMessage();
}

void MainWindow::setPermanentStatus(const QString &text)
{
    if (m_window->m_permanent->text() != text)
        m_window->m_permanent->setText(text);
}

QString MainWindow::permanentStatus() const
{
    return m_window->m_permanent->text();
}

void MainWindow::onResize(std::function<void()> handler)
{
    m_window->m_resize = std::move(handler);
}

void MainWindow::onClose(std::function<void(bool &cancel)> handler)
{
    m_window->m_close = std::move(handler);
}

void MainWindow::closeWithoutAsking()
{
    m_window->m_closingWithoutAsking = true;
    m_window->close();
}

void MainWindow::deleteWidgets()
{
    m_window.reset();
}
