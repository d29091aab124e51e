// Scrolls the document shown so that the text before a position of its source is in view,
// unless it is in view already. The source up to that position is parsed as a load parses
// it; the path to its last node is followed in the document shown, node name by node name, so
// that where the document differs (a change not yet shown, nodes a script added) nothing
// moves. Runs in the program's own script world.
//
// The argument is {caret, length}: a position in the page text, and the length of the whole
// source that the preview's updates keep here; or {caret, headLength, source}: the position
// and the whole source. Returns "scrolled", "shown" when the place was in view, "lost" when it
// was not found, or "stale" when the source kept here is not the one meant.
(function (request) {
    'use strict';
    var kept = window.velmoraPreview;
    var source, head;
    if (request.source !== undefined) {
        source = request.source;
        head = request.headLength;
    } else if (kept && kept.source !== null && kept.source.length === request.length) {
        source = kept.source;
        head = kept.head;
    } else {
        return 'stale';
    }

    var parsed = new DOMParser().parseFromString(source.slice(0, head + request.caret),
                                                 'text/html');
    var want = parsed, live = document;
    while (want.lastChild) {
        want = want.lastChild;
        var siblings = live.childNodes, at = want.parentNode.childNodes.length - 1;
        live = siblings[at];
        // White space between the head and the body has no node yet where the source ends
        // before the body: an element is looked for further on among its siblings.
        while (want.nodeType === Node.ELEMENT_NODE && live && live.nodeName !== want.nodeName &&
               live.nodeType === Node.TEXT_NODE && live.data.trim() === '')
            live = siblings[++at];
        if (!live || live.nodeName !== want.nodeName)
            return 'lost';
    }

    // The text right before the position; white space between elements stands for the element
    // before it, or the one it lies in. Before all content, the place is the top of the page.
    var rect;
    if (live.nodeType === Node.TEXT_NODE && live.data.length >= want.data.length &&
        want.data.trim() !== '') {
        var range = document.createRange();
        var end = want.data.length;
        range.setStart(live, end - 1);
        range.setEnd(live, end);
        rect = range.getBoundingClientRect();
    } else {
        var element = live.nodeType === Node.ELEMENT_NODE ? live :
            (live.previousElementSibling || live.parentElement);
        if (!element)
            return 'lost';
        rect = element.getBoundingClientRect();
        if (element === document.body || element === document.documentElement)
            rect = {top: rect.top, bottom: rect.top + 1};
    }
    if (rect.bottom > 0 && rect.top < window.innerHeight)
        return 'shown';
    window.scrollBy(0, rect.top - window.innerHeight / 3);
    return 'scrolled';
})
