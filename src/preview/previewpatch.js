// Brings the document shown to a new version of its source in place: the source is parsed as
// a load would parse it, and only the nodes that differ are changed, so that the scroll
// position stays and nothing flashes. Runs in the program's own script world, where the
// source of the document shown is kept between calls.
//
// The argument is either {headLength, source}: the whole source, the preview's head line(s)
// first; or {length, start, removed, inserted}: a change of the page text, `length` being the
// length of the whole source it applies to. Returns "patched"; "stale" when the source kept
// here is not the one the change applies to; "unsafe" when the new document holds what only a
// load would run; "failed" when the update could not be made.
(function (update) {
    'use strict';
    var state = window.velmoraPreview || (window.velmoraPreview = {source: null, head: 0});

    if (update.source !== undefined) {
        state.source = update.source;
        state.head = update.headLength;
    } else {
        if (state.source === null || state.source.length !== update.length)
            return 'stale';
        var at = state.head + update.start;
        state.source = state.source.slice(0, at) + update.inserted +
            state.source.slice(at + update.removed);
    }

    var next = new DOMParser().parseFromString(state.source, 'text/html');
    // The preview's own error-suppression line is the one script allowed.
    if (next.scripts.length !== 1 ||
        next.querySelector('iframe, frame, frameset, object, embed, applet, noscript, ' +
                           'template, base, meta[http-equiv]:not([http-equiv="content-type" i])')) {
        state.source = null;
        return 'unsafe';
    }

    function sameKind(a, b) {
        return a.nodeType === b.nodeType && a.nodeName === b.nodeName &&
            a.namespaceURI === b.namespaceURI;
    }

    function morphAttributes(live, wanted) {
        var have = live.attributes, want = wanted.attributes, i;
        var sameNames = have.length === want.length;
        for (i = 0; sameNames && i < want.length; ++i)
            sameNames = have[i].name === want[i].name &&
                have[i].namespaceURI === want[i].namespaceURI;
        if (sameNames) {
            for (i = 0; i < want.length; ++i) {
                if (have[i].value !== want[i].value)
                    have[i].value = want[i].value;
            }
            return;
        }
        // Attributes are kept in source order, as a load keeps them.
        while (have.length)
            live.removeAttributeNode(have[0]);
        for (i = 0; i < want.length; ++i)
            live.setAttributeNodeNS(document.importNode(want[i], true));
    }

    function morphNode(parent, live, wanted) {
        if (!sameKind(live, wanted)) {
            parent.replaceChild(document.importNode(wanted, true), live);
        } else if (live.nodeType === Node.ELEMENT_NODE) {
            morphAttributes(live, wanted);
            morphChildren(live, wanted);
        } else if (live.nodeType === Node.TEXT_NODE || live.nodeType === Node.COMMENT_NODE) {
            if (live.data !== wanted.data)
                live.data = wanted.data;
        } else {
            parent.replaceChild(document.importNode(wanted, true), live);
        }
    }

    // Equal runs at both ends are skipped by the engine's own comparison; what lies between
    // is changed pairwise, and what is left over removed or added.
    function morphChildren(live, wanted) {
        var have = live.childNodes, want = wanted.childNodes;
        var first = 0, haveEnd = have.length, wantEnd = want.length;
        while (first < haveEnd && first < wantEnd && have[first].isEqualNode(want[first]))
            ++first;
        while (haveEnd > first && wantEnd > first &&
               have[haveEnd - 1].isEqualNode(want[wantEnd - 1])) {
            --haveEnd;
            --wantEnd;
        }
        var oldNodes = Array.prototype.slice.call(have, first, haveEnd);
        var newNodes = Array.prototype.slice.call(want, first, wantEnd);
        var before = haveEnd < have.length ? have[haveEnd] : null;
        var paired = Math.min(oldNodes.length, newNodes.length), i;
        for (i = 0; i < paired; ++i)
            morphNode(live, oldNodes[i], newNodes[i]);
        for (i = paired; i < oldNodes.length; ++i)
            live.removeChild(oldNodes[i]);
        for (i = paired; i < newNodes.length; ++i)
            live.insertBefore(document.importNode(newNodes[i], true), before);
    }

    // A load keeps the scroll position as a number; the engine would otherwise move it to keep
    // the content on screen in place when content above it changes.
    var x = window.scrollX, y = window.scrollY;
    try {
        morphChildren(document, next);
    } catch (e) {
        state.source = null;
        return 'failed';
    }
    if (window.scrollX !== x || window.scrollY !== y)
        window.scrollTo(x, y);
    return 'patched';
})
