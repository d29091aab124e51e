#pragma once

#include <QString>
#include <QStringView>

class TextEncoding;
struct TextChange;

// Whether a document brought to a new text in place shows what loading that text would.
// The answers are conservative: where in doubt, the preview is loaded again.
namespace PatchSafety {

// The content that a load runs or fetches and an update in place would not repeat: these
// elements, an `http-equiv` of these values, and event-handler attributes (`on...=` in a tag).
// One list, read by the text rules below and handed to the update script, so that both judge
// alike.
const QStringList &reloadElements();
const QStringList &reloadHttpEquivs();
// The two lists as a JavaScript object literal: {elements: [...], httpEquivs: [...]}.
QString scriptRules();

// The text holds such content; or, in an 8-bit page, characters the page's encoding cannot
// hold, which the preview file carries as character references.
bool hasActiveContent(QStringView text, const TextEncoding &encoding);

// The change touches such content, or the page's encoding declaration.
bool changeNeedsReload(QStringView before, QStringView after, const TextChange &change,
                       const TextEncoding &encoding);

} // namespace PatchSafety
