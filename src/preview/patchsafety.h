#pragma once

#include <QStringView>

class TextEncoding;
struct TextChange;

// Whether a document brought to a new text in place shows what loading that text would.
// The answers are conservative: where in doubt, the preview is loaded again.
namespace PatchSafety {

// The text holds what a load runs or fetches and an update in place would not repeat:
// scripts, event-handler attributes, frames, plug-ins, `<noscript>`, `<template>`, `<base>`,
// an `http-equiv` that refreshes, sets cookies, a policy or a style sheet; or, in an 8-bit page,
// characters the page's encoding cannot hold, which the preview file carries as character
// references.
bool hasActiveContent(QStringView text, const TextEncoding &encoding);

// The change brings in active content, or touches the page's encoding declaration.
bool changeNeedsReload(QStringView before, QStringView after, const TextChange &change,
                       const TextEncoding &encoding);

} // namespace PatchSafety
