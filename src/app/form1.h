#pragma once

#include "app/services.h"
#include "assist/completionstate.h"
#include "assist/insertmenu.h"
#include "assist/markupassist.h"
#include "core/pagestate.h"
#include "documents/documents.h"
#include "editor/editcontrol.h"
#include "editor/markuphighlighter.h"
#include "platform/browsercontrol.h"
#include "platform/controls.h"
#include "platform/listcontrol.h"
#include "platform/mainwindow.h"
#include "preview/livepreview.h"
#include "preview/sourcepointer.h"

#include <QObject>

#include <memory>

class Browser;
class CommonDialog;
class FindPanel;
class FontCommand;
class KeySender;
class Layout;
class MessageBox;
class PageChecks;
class StatusLine;

// The one window of the editor: its controls, menus and state, start-up and shut-down. Each
// handler hands the work to the class that does it.
class Form1 : public QObject
{
    Q_OBJECT

public:
    explicit Form1(const Services &services, QObject *parent = nullptr);
    ~Form1() override;

    // Start-up: fills the lists, shows the window and opens the page named, or asks for the
    // first page when none is.
    void Form_Load(const QString &namedPage = QString());
    bool hasEnded() const { return m_ended; }

    MainWindow window;
    BrowserControl WebBrowser1;
    Frame Frame1;
    Label Label1;
    TextBox Text2;
    Label Label2;
    TextBox Text3;
    CheckBox Check1;
    Button Command1;
    Button Command2;
    Button Command3;
    Button Command4;
    EditControl Text1;
    ListControl List1;
    ListControl List2;
    Timer Timer1;
    CommonDialog &CommonDialog1;
    MessageBox &messageBox;
    KeySender &keySender;

    PageState page;
    CompletionState assist;
    MarkupHighlighter markupColours{Text1.editor()};

    InsertMenu insertMenu;
    LivePreview livePreview;
    Documents documents;

    void new_Click();
    void open_Click();
    void save_Click();
    void saveas_Click();
    void exit_Click();
    void search_Click();
    void font_Click();
    void htmltable_Click();
    void htmlp_Click();
    void htmlfont_Click();
    void htmla_Click();
    void htmlbr_Click();
    void htmlimg_Click();
    void htmlscript_Click();
    void html_Click();
    void htmlother_Click();
    void nbsp_Click();
    void inserthelp_Click();
    void aboutvlm_Click();

    void Text1_Change();
    void Text1_KeyDown(int &KeyCode, int Shift);
    void Text1_KeyPress(int &KeyAscii);
    void Text1_Click();
    void List1_KeyDown(int &KeyCode, int Shift);
    void List2_KeyDown(int &KeyCode, int Shift);
    void Form_Resize();
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Text2_GotFocus();
    void Form_Unload(bool &cancel);

signals:
    // The program has ended: nothing more is to run.
    void programEnded();

private:
    void buildMenus();
    void endProgram();

    bool m_ended = false;
    Browser &m_browser;
    std::unique_ptr<FindPanel> m_find;
    std::unique_ptr<Layout> m_layout;
    std::unique_ptr<FontCommand> m_font;
    std::unique_ptr<StatusLine> m_status;
    std::unique_ptr<PageChecks> m_checks;
    MarkupAssist m_markup;
    SourcePointer m_sourcePointer;
};
