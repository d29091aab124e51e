#include "app/form1.h"

#include "app/fontcommand.h"
#include "app/layout.h"
#include "app/statusline.h"
#include "assist/wordlists.h"
#include "check/pagechecks.h"
#include "find/findpanel.h"
#include "platform/browser.h"
#include "platform/commondialog.h"
#include "platform/keysender.h"
#include "platform/messagebox.h"

#include <QColor>
#include <QFont>

namespace {
const QString Title = QStringLiteral("Velmora");
} // namespace

Form1::Form1(const Services &services, QObject *parent)
    : QObject(parent)
    , WebBrowser1(window.innerArea(), services.browser)
    , Frame1(window.innerArea())
    , Label1(Frame1.widget(), QStringLiteral("Content:"))
    , Text2(Frame1.widget())
    , Label2(Frame1.widget(), QStringLiteral("Replace:"))
    , Text3(Frame1.widget())
    , Check1(Frame1.widget(), QStringLiteral("Match case"))
    , Command1(window.innerArea(), QStringLiteral("Find (next)"))
    , Command2(window.innerArea(), QStringLiteral("Replace"))
    , Command3(window.innerArea(), QStringLiteral("Close(F3)"))
    , Command4(window.innerArea(), QStringLiteral("Rp all"))
    , Text1(window.innerArea())
    , List1(window.innerArea())
    , List2(window.innerArea())
    , CommonDialog1(services.commonDialog)
    , messageBox(services.messageBox)
    , keySender(services.keySender)
    , insertMenu(Text1, messageBox)
    , livePreview(page, Text1, WebBrowser1, window)
    , documents(
          page, {window, Text1, WebBrowser1, CommonDialog1, messageBox}, livePreview,
          [this] { insertMenu.wrap(InsertMenu::Page); }, [this] { endProgram(); })
    , m_browser(services.browser)
    , m_find(std::make_unique<FindPanel>(Frame1, Text2, Text3, Check1,
                                         std::array{&Command1, &Command2, &Command3, &Command4},
                                         Text1, messageBox))
    , m_layout(std::make_unique<Layout>(window, WebBrowser1, Text1, Frame1, Command1, Command2,
                                        Command3, Command4, Timer1))
    , m_font(std::make_unique<FontCommand>(CommonDialog1, Text1, services.settings))
    , m_status(std::make_unique<StatusLine>(window, Text1, page))
    , m_checks(std::make_unique<PageChecks>(Text1, page, messageBox))
    , m_markup(window, Text1, List1, List2, assist, keySender, [this] { Text1_Change(); })
    , m_sourcePointer(Text1, WebBrowser1, livePreview)
{
    const QFont windowFont = Fonts::designed(QStringLiteral("Tahoma"), 9, false);
    window.setFont(windowFont);
    window.setCaption(Title);
    window.setIcon(QStringLiteral(":/icons/velmora.png"));
    buildMenus();
    window.setInnerSize(9690, 7455);

    WebBrowser1.Move(0, 0, 9975, 2895);
    Text1.Move(0, 3720, 8535, 3735);
    Fonts::applyAtEveryRatio(Text1, Fonts::designed(QStringLiteral("Fixedsys"), 12, true));
    List1.Move(840, 4920, 2055, 1080);
    List1.setBackColor(QColor(255, 255, 192));
    List2.Move(3240, 4920, 2175, 1080);
    List2.setBackColor(QColor(192, 255, 192));
    Frame1.Move(1320, 2880, 7215, 975);
    Label1.Move(120, 240, 975, 255);
    Text2.Move(840, 240, 2655, 315);
    Label2.Move(3720, 240, 1095, 255);
    Text3.Move(4440, 240, 2655, 315);
    Check1.Move(840, 600, 1575, 255);
    Fonts::apply(Check1, Fonts::designed(QStringLiteral("Tahoma"), 7.5, false));
    Command1.Move(3600, 2880, 1095, 360);
    Command2.Move(7200, 2880, 1095, 360);
    Command3.Move(4800, 3480, 975, 360);
    Command4.Move(7200, 3480, 975, 360);
    Label1.setBuddy(Text2);
    Label2.setBuddy(Text3);
    fitCaptions({&Label1, &Label2, &Check1, &Command1, &Command2, &Command3, &Command4});

    Text1.setAccessibleName(QStringLiteral("Page source"));
    WebBrowser1.setAccessibleName(QStringLiteral("Preview"));
    List1.setAccessibleName(QStringLiteral("Tags and values"));
    List2.setAccessibleName(QStringLiteral("Attributes"));

    Text1.onChange([this] { Text1_Change(); });
    Text1.onKeyDown([this](int &keyCode, int shift) { Text1_KeyDown(keyCode, shift); });
    Text1.onKeyPress([this](int &keyAscii) { Text1_KeyPress(keyAscii); });
    Text1.onClick([this] { Text1_Click(); });
    List1.onKeyDown([this](int &keyCode, int shift) { List1_KeyDown(keyCode, shift); });
    List2.onKeyDown([this](int &keyCode, int shift) { List2_KeyDown(keyCode, shift); });
    window.onResize([this] { Form_Resize(); });
    Timer1.onTimer([this] { Timer1_Timer(); });
    Command1.onClick([this] { Command1_Click(); });
    Command2.onClick([this] { Command2_Click(); });
    Command3.onClick([this] { Command3_Click(); });
    Command4.onClick([this] { Command4_Click(); });
    Text2.onGotFocus([this] { Text2_GotFocus(); });
    window.onClose([this](bool &cancel) { Form_Unload(cancel); });
    m_browser.onAlert([this](const QString &text) { window.showBriefly(text); });
    m_browser.onPointedAt([this](const QPoint &point) { m_sourcePointer.pointedAt(point); });
    m_checks->onProblemsChanged([this](int count) { m_status->setProblems(count); });
}

Form1::~Form1()
{
    // The widgets go first: while they are torn down they may still report focus and other
    // events to the controls and handlers here.
    window.deleteWidgets();
    m_browser.onAlert(nullptr);
    m_browser.onPointedAt(nullptr);
}

void Form1::buildMenus()
{
    const auto item = [this](QMenu *menu, const char *caption, const QKeySequence &shortcut,
                             void (Form1::*handler)()) {
        window.addItem(menu, QString::fromUtf8(caption), shortcut, [this, handler] {
            if (m_ended)
                return;
            (this->*handler)();
            m_status->refresh();
            m_checks->textChanged(); // another page, or the same one in another folder
        });
    };

    QMenu *file = window.addMenu(QStringLiteral("&File"));
    item(file, "New", QKeySequence(Qt::CTRL | Qt::Key_N), &Form1::new_Click);
    item(file, "Open...", QKeySequence(Qt::CTRL | Qt::Key_O), &Form1::open_Click);
    item(file, "Save", QKeySequence(Qt::CTRL | Qt::Key_S), &Form1::save_Click);
    item(file, "Save as...", QKeySequence(), &Form1::saveas_Click);
    window.addSeparator(file);
    item(file, "Exit", QKeySequence(), &Form1::exit_Click);

    QMenu *edit = window.addMenu(QStringLiteral("&Edit"));
    item(edit, "Find or Replace", QKeySequence(Qt::Key_F3), &Form1::search_Click);
    item(edit, "Font...", QKeySequence(), &Form1::font_Click);

    // Each Insert command is one step of the editor's undo history.
    const auto insertItem = [this](QMenu *menu, const char *caption, const QKeySequence &shortcut,
                                   void (Form1::*handler)()) {
        window.addItem(menu, QString::fromUtf8(caption), shortcut, [this, handler] {
            if (m_ended)
                return;
            const EditControl::UndoStep step(Text1);
            (this->*handler)();
        });
    };

    QMenu *insert = window.addMenu(QStringLiteral("&Insert"));
    insertItem(insert, "<table...", QKeySequence(Qt::CTRL | Qt::Key_T), &Form1::htmltable_Click);
    insertItem(insert, "<p...", QKeySequence(Qt::CTRL | Qt::Key_P), &Form1::htmlp_Click);
    insertItem(insert, "<font...", QKeySequence(Qt::CTRL | Qt::Key_F), &Form1::htmlfont_Click);
    insertItem(insert, "<a href...", QKeySequence(Qt::Key_F5), &Form1::htmla_Click);
    insertItem(insert, "<br>", QKeySequence(Qt::CTRL | Qt::Key_B), &Form1::htmlbr_Click);
    insertItem(insert, "<img...", QKeySequence(Qt::CTRL | Qt::Key_I), &Form1::htmlimg_Click);
    insertItem(insert, "<script...", QKeySequence(), &Form1::htmlscript_Click);
    insertItem(insert, "<html...", QKeySequence(Qt::CTRL | Qt::Key_H), &Form1::html_Click);
    insertItem(insert, "<>...Other", QKeySequence(Qt::Key_F6), &Form1::htmlother_Click);
    insertItem(insert, "nbsp", QKeySequence(Qt::CTRL | Qt::Key_Z), &Form1::nbsp_Click);
    window.addSeparator(insert);
    item(insert, "Insert Help", QKeySequence(Qt::CTRL | Qt::Key_F1), &Form1::inserthelp_Click);

    QMenu *about = window.addMenu(QStringLiteral("&About"));
    item(about, "About VLM", QKeySequence(), &Form1::aboutvlm_Click);
}

void Form1::Form_Load(const QString &namedPage)
{
    WordLists::fill(List1, WordLists::Words);
    WordLists::fill(List2, WordLists::Attributes);
    assist.Completed = false;
    WebBrowser1.Navigate(QStringLiteral("about:blank"));
    window.Show();
    Frame1.setEnabled(false);
    Frame1.setTop(-Frame1.Height());
    Command1.setVisible(false);
    Command2.setVisible(false);
    Command3.setVisible(false);
    Command4.setVisible(false);
    WebBrowser1.setHeight(20);
    Text1.setHeight(window.ScaleHeight() / 2);
    WebBrowser1.GoHome();
    if (namedPage.isEmpty())
        open_Click();
    else
        documents.openNamed(namedPage);
    m_status->refresh();
    m_checks->textChanged();
}

void Form1::new_Click()
{
    if (page.filenum < 32767) // it only counts; at its largest it stays there
        ++page.filenum;
    open_Click();
}

void Form1::open_Click()
{
    documents.open();
}

void Form1::save_Click()
{
    documents.save();
}

void Form1::saveas_Click()
{
    documents.saveAs();
}

void Form1::exit_Click()
{
    if (documents.offerToSave() != Documents::SaveOffer::Go)
        return;
    livePreview.remove();
    endProgram();
}

void Form1::Form_Unload(bool &cancel)
{
    if (m_ended)
        return;
    switch (documents.offerToSave()) {
    case Documents::SaveOffer::Go:
        livePreview.remove();
        endProgram();
        break;
    case Documents::SaveOffer::Cancelled:
    case Documents::SaveOffer::NotSaved:
        // The window stays, and the preview keeps the typing that is not saved.
        cancel = true;
        break;
    }
}

void Form1::search_Click()
{
    m_find->toggle();
    m_layout->start();
}

void Form1::Command1_Click()
{
    m_find->findNext();
    livePreview.caretMayMove();
}

void Form1::Command2_Click()
{
    m_find->replace();
}

void Form1::Command3_Click()
{
    m_find->close();
    m_layout->start();
}

void Form1::Command4_Click()
{
    m_find->replaceAll();
}

void Form1::Text2_GotFocus()
{
    m_find->findBoxGotFocus();
}

void Form1::font_Click()
{
    m_font->run();
}

void Form1::htmltable_Click()
{
    insertMenu.wrap(InsertMenu::Table);
}

void Form1::htmlp_Click()
{
    insertMenu.wrap(InsertMenu::Paragraph);
}

void Form1::htmlfont_Click()
{
    insertMenu.wrap(InsertMenu::Font);
}

void Form1::htmla_Click()
{
    insertMenu.wrap(InsertMenu::Anchor);
}

void Form1::htmlbr_Click()
{
    insertMenu.wrap(InsertMenu::LineBreak);
}

void Form1::htmlimg_Click()
{
    insertMenu.wrap(InsertMenu::Image);
}

void Form1::htmlscript_Click()
{
    insertMenu.wrap(InsertMenu::Script);
}

void Form1::html_Click()
{
    insertMenu.wrap(InsertMenu::Page);
}

void Form1::htmlother_Click()
{
    insertMenu.wrap(InsertMenu::Other);
}

void Form1::nbsp_Click()
{
    insertMenu.nbsp();
}

void Form1::inserthelp_Click()
{
    insertMenu.help();
}

void Form1::aboutvlm_Click()
{
    const QString spaces30(30, u' ');
    const QString text = spaces30 + Title + spaces30 + QStringLiteral("\r\n") + QString(40, u' ') +
                         QStringLiteral("version 1.53\r\n\r\n") +
                         QStringLiteral("Copyright (C) 2026 The Velmora developers");
    messageBox.MsgBox(text, 64, QStringLiteral("About VLM"));
}

void Form1::Text1_Change()
{
    if (page.isopening == 1)
        return;
    livePreview.update();
    m_markup.textChanged();
    m_status->refresh();
    m_checks->textChanged();
}

void Form1::Text1_KeyDown(int &KeyCode, int Shift)
{
    m_checks->keyDown(KeyCode, Shift);
    if (KeyCode == 0)
        return;
    m_markup.editorKeyDown(KeyCode, Shift);
    livePreview.caretMayMove();
}

void Form1::Text1_KeyPress(int &KeyAscii)
{
    m_markup.editorKeyPress(KeyAscii);
}

void Form1::Text1_Click()
{
    m_markup.editorClick();
    livePreview.caretMayMove();
}

void Form1::List1_KeyDown(int &KeyCode, int)
{
    m_markup.listKeyDown(List1, KeyCode);
}

void Form1::List2_KeyDown(int &KeyCode, int)
{
    m_markup.listKeyDown(List2, KeyCode);
}

void Form1::Form_Resize()
{
    m_find->setEditorHeightTaken(m_layout->resize());
}

void Form1::Timer1_Timer()
{
    m_layout->tick();
}

void Form1::endProgram()
{
    m_ended = true;
    window.closeWithoutAsking();
    emit programEnded();
}
