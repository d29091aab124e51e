#include "app/fontcommand.h"

#include "core/runtimeerror.h"
#include "editor/editcontrol.h"
#include "platform/commondialog.h"
#include "system/settingsstore.h"

namespace {
// Screen and printer fonts, a Help button, and the two bits the dialog has always been given.
constexpr int FontFlags = 103;
const QString KeyPath = QStringLiteral("SOFTWARE\\VLM");
} // namespace

FontCommand::FontCommand(CommonDialog &dialog, EditControl &editor, mdlRegistry &store)
    : m_dialog(dialog)
    , m_editor(editor)
    , m_store(store)
{}

void FontCommand::run()
{
    try {
        m_dialog.setCancelError(true);
        m_dialog.setFlags(FontFlags);
        m_dialog.ShowFont();
        const float size = float(m_dialog.FontSize());
        m_editor.setFontName(m_dialog.FontName());
        m_editor.setFontSize(size);
        m_editor.setFontBold(m_dialog.FontBold());

        const quint32 root = mdlRegistry::HKEY_LOCAL_MACHINE;
        m_store.MakeKey(root, KeyPath);
        m_store.StoreValue(root, KeyPath, QStringLiteral("FontName"), m_dialog.FontName(),
                           mdlRegistry::REG_SZ);
        m_store.StoreValue(root, KeyPath, QStringLiteral("FontSize"), size, mdlRegistry::REG_SZ);
        m_store.StoreValue(root, KeyPath, QStringLiteral("FontBold"), m_dialog.FontBold(),
                           mdlRegistry::REG_SZ);
    } catch (const RuntimeError &) {
        // Cancel, or any other failure: the command simply ends.
    }
}
