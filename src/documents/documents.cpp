#include "documents/documents.h"

#include "core/nativename.h"
#include "core/pagestate.h"
#include "core/runtimeerror.h"
#include "editor/editcontrol.h"
#include "platform/browsercontrol.h"
#include "platform/commondialog.h"
#include "platform/mainwindow.h"
#include "platform/messagebox.h"
#include "preview/livepreview.h"
#include "system/files.h"
#include "system/nativefile.h"
#include "system/previewfile.h"

namespace {
const QString SavePrompt = QStringLiteral("The file have been changed,save it?");
const QString PreviewRefused = QStringLiteral("This is the temp file for VLM,Select another!");
const QString InAnotherWindow =
    QStringLiteral(" is being edited in another VLM window,Select another!");

// The page's path: the name chosen when it has ".htm" in it, in any letter case, else that
// name with ".html" added.
QString pagePath(const QString &chosen)
{
    return chosen.contains(QLatin1String(".htm"), Qt::CaseInsensitive)
               ? chosen
               : chosen + QStringLiteral(".html");
}
} // namespace

Documents::Documents(PageState &page, const Window &window, LivePreview &preview,
                     std::function<void()> writeSkeleton, std::function<void()> endProgram)
    : m_page(page)
    , m_window(window)
    , m_preview(preview)
    , m_writeSkeleton(std::move(writeSkeleton))
    , m_recovery(window.messageBox)
    , m_endProgram(std::move(endProgram))
{}

void Documents::open()
{
    // The page's preview stays on disk until another page has taken its place: a kill while
    // the dialog is up still finds the typing there.
    bool previewTaken = false;
    for (;;) {
        if (m_page.ischanged == 1) {
            if (offerToSave() != SaveOffer::Go) {
                if (previewTaken)
                    showPreviewAgain();
                return;
            }
            m_window.WebBrowser1.GoHome();
        }
        m_page.isopening = 1;
        if (m_preview.exists())
            m_window.WebBrowser1.GoHome();
        previewTaken = true;

        CommonDialog &dialog = m_window.CommonDialog1;
        dialog.setFilter(QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files|*.*"));
        dialog.setCancelError(true);
        dialog.setDialogTitle(QStringLiteral("Open or type a name to start a new page."));
        try {
            dialog.ShowOpen();
        } catch (const RuntimeError &) {
            if (m_page.editingfile.isEmpty())
                m_endProgram();
            else
                showPreviewAgain();
            return;
        }
        const QString chosen = NativeFile::found(dialog.FileName());
        if (refused(chosen))
            continue;
        if (openChosen(chosen))
            return;
        // The page could not be read: the previous page stays, and at start-up, where there
        // is none, the dialog comes again.
        if (!m_page.editingfile.isEmpty()) {
            showPreviewAgain();
            return;
        }
    }
}

void Documents::openNamed(const QString &name)
{
    m_page.isopening = 1;
    if (!refused(name) && openChosen(name))
        return;
    m_page.isopening = 0;
    open();
}

// A preview file is not a page, and a page that another window edits is that window's: the
// user is told and asked for another.
bool Documents::refused(const QString &chosen)
{
    if (chosen.contains(PreviewFile::Suffix)) {
        m_window.messageBox.MsgBox(PreviewRefused, 0);
        return true;
    }
    if (m_pageLock.take(pagePath(chosen)))
        return false;
    m_window.messageBox.MsgBox(NativeName::readable(pagePath(chosen)) + InAnotherWindow, 0);
    return true;
}

bool Documents::openChosen(const QString &chosen)
{
    const QString path = pagePath(chosen);
    // A name typed without its ".html" still finds the page of that name.
    const QString source = !NativeFile::exists(chosen) && NativeFile::exists(path) ? path : chosen;
    const bool existing = NativeFile::exists(source);
    if (existing) {
        QString reason;
        if (!Floadfile(source, &reason)) {
            m_window.messageBox.MsgBox(QStringLiteral("Cannot open ") +
                                           NativeName::readable(source) + QStringLiteral(":\r\n") +
                                           reason,
                                       48, QStringLiteral("Warning"));
            return false;
        }
    }
    const QString previous = m_page.tempfile;
    m_page.editingfile = path;
    m_page.ownfile = existing ? source : QString();
    m_window.window.setCaption(NativeName::readable(path) + QStringLiteral(" -- Velmora"));
    m_page.tempfile = path + PreviewFile::Suffix;
    // Before anything overwrites it, a preview left by a run that died offers its text back;
    // this window's own preview of the page, whose changes the user chose not to save, does not.
    std::optional<Recovery::Recovered> recovered;
    if (m_page.tempfile != previous)
        recovered =
            m_recovery.offer(path, m_page.tempfile, existing ? m_window.Text1.Text() : QString(),
                             existing ? m_page.encoding : TextEncoding());
    if (recovered) {
        if (!existing)
            m_page.encoding = TextEncoding();
        // A page changed on disk after the text was typed is not replaced unasked.
        if (recovered->pageIsNewer)
            m_page.ownfile.clear();
        m_window.Text1.setText(recovered->text);
        m_window.Text1.SetFocus();
    } else if (!existing) {
        startNewPage();
    }
    m_window.WebBrowser1.GoHome();
    m_page.ischanged = recovered ? 1 : 0;
    writePreview();
    m_preview.show();
    m_page.isopening = 0;
    removeOtherPreview(previous);
    m_pageLock.keep();
    return true;
}

void Documents::startNewPage()
{
    EditControl &text1 = m_window.Text1;
    text1.setText(QString());
    m_page.encoding = TextEncoding();
    m_page.lineBreaks = LineBreakForm::CrLf;
    const QString spaces(10, u' ');
    m_window.messageBox.MsgBox(spaces + QStringLiteral("New    File !") + spaces, 48,
                               QStringLiteral("Attention"));
    for (int i = 0; i < 6; ++i)
        text1.setText(text1.Text() + QStringLiteral("\r\n"));
    m_writeSkeleton();
    text1.SetFocus();
}

bool Documents::Floadfile(const QString &file, QString *reason)
{
    QString text;
    TextEncoding encoding;
    LineBreakForm lineBreaks;
    if (!readPage(file, &text, &encoding, &lineBreaks, reason))
        return false;
    m_window.Text1.setText(text);
    m_page.encoding = encoding;
    m_page.lineBreaks = lineBreaks;
    return true;
}

Documents::SaveOffer Documents::offerToSave()
{
    if (m_page.ischanged != 1)
        return SaveOffer::Go;
    switch (m_window.messageBox.MsgBox(SavePrompt, 35, QStringLiteral("Warning"))) {
    case MessageBox::Yes:
        return save() ? SaveOffer::Go : SaveOffer::NotSaved;
    case MessageBox::No:
        return SaveOffer::Go;
    default:
        return SaveOffer::Cancelled;
    }
}

bool Documents::save()
{
    if (m_page.editingfile.isEmpty())
        return saveAs();
    if (!mayReplace(m_page.editingfile) || !write(m_page.editingfile))
        return false;
    m_page.ischanged = 0;
    return true;
}

bool Documents::saveAs()
{
    // The preview stays on disk until the page is saved elsewhere.
    if (m_preview.exists())
        m_window.WebBrowser1.GoHome();
    CommonDialog &dialog = m_window.CommonDialog1;
    dialog.setFilter(QStringLiteral("HTML Files(*.htm,*.html)|*.htm*|All Files(*.*)|*.*"));
    dialog.setCancelError(true);
    try {
        dialog.ShowSave();
    } catch (const RuntimeError &) {
        showPreviewAgain();
        return false;
    }
    // The dialog asks before it returns an existing file, but not of the name with ".html" added.
    const QString chosen = NativeFile::found(dialog.FileName());
    const QString path = pagePath(chosen);
    if (path + PreviewFile::Suffix != m_page.tempfile && !m_pageLock.take(path)) {
        m_window.messageBox.MsgBox(NativeName::readable(path) + InAnotherWindow, 0);
        showPreviewAgain();
        return false;
    }
    if ((path != chosen && !mayReplace(path)) || !write(path)) {
        showPreviewAgain();
        return false;
    }
    const QString previous = m_page.tempfile;
    m_page.editingfile = path;
    m_window.window.setCaption(NativeName::readable(path) + QStringLiteral("--Velmora"));
    m_page.ischanged = 0;
    m_page.isopening = 0;
    m_page.tempfile = path + PreviewFile::Suffix;
    writePreview();
    m_preview.show();
    removeOtherPreview(previous);
    m_pageLock.keep();
    return true;
}

// The page stays as it was: its preview is written again and shown.
void Documents::showPreviewAgain()
{
    m_pageLock.drop();
    m_page.tempfile = m_page.editingfile + PreviewFile::Suffix;
    writePreview();
    m_preview.show();
    m_page.isopening = 0;
}

// Every write of the preview outside typing: while the page has changes that are not saved,
// the preview holds them as typing writes them, which the next start recognises and offers.
void Documents::writePreview()
{
    if (m_page.ischanged == 1)
        m_preview.writeChanged();
    else
        m_preview.writeText();
}

// The preview of the page this window edited before, once the new page's preview is written.
void Documents::removeOtherPreview(const QString &previous)
{
    if (!previous.isEmpty() && previous != m_page.tempfile &&
        PreviewFile::canHoldPreview(previous) && PreviewFile::isOwn(previous))
        NativeFile::remove(previous);
}

// A page opened as "b" or "notes.txt" is saved as "b.html" or "notes.txt.html": a file of that
// name is not overwritten unasked.
bool Documents::mayReplace(const QString &path)
{
    if (!NativeFile::exists(path) ||
        (!m_page.ownfile.isEmpty() &&
         NativeFile::canonical(path) == NativeFile::canonical(m_page.ownfile)))
        return true;
    return m_window.messageBox.MsgBox(NativeName::readable(path) +
                                          QStringLiteral(" already exists. Replace it?"),
                                      36, QStringLiteral("Warning")) == MessageBox::Yes;
}

bool Documents::write(const QString &path)
{
    QString reason;
    const int links = otherLinks(path);
    if (writePage(path, m_window.Text1.Text(), m_page.encoding, m_page.lineBreaks, &reason)) {
        m_page.ownfile = path;
        // The page is a new file now: the other names still hold the text it replaced.
        if (links > 0)
            m_window.messageBox.MsgBox(NativeName::readable(path) +
                                           QStringLiteral(" is saved as a new file; its other "
                                                          "names (hard links) keep the old "
                                                          "text."),
                                       64, QStringLiteral("Attention"));
        return true;
    }
    m_window.messageBox.MsgBox(QStringLiteral("Cannot save ") + NativeName::readable(path) +
                                   QStringLiteral(":\r\n") + reason,
                               48, QStringLiteral("Warning"));
    return false;
}
