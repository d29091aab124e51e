// Brings the document shown to a new version of its source in place, so that the scroll
// position stays and nothing flashes. Runs in the program's own script world, which keeps the
// source of the document shown and its parse, the source tree, between calls: each change is
// parsed, compared with the source tree, and only what differs is changed, in the source tree
// and in the nodes of the document shown that came from it. Nodes the page's scripts made or
// moved are left alone.
//
// On a long page only the part of the body that a change can reach is parsed again: the body
// is cut, where its top-level elements begin, into parts that each parse to the same nodes on
// their own as in the whole; a changed part is parsed with an element after it that proves the
// parse ended as it began (nothing left open, no formatting element pending, no tag, comment
// or text element unfinished), so that what follows parses as before.
//
// The first argument is {headLength, source, exact, start, removed, inserted}: the whole source
// of the document loaded (the preview's head line(s) first), whether the document shown holds
// nothing but what that source makes, and a change of its page text; or
// {length, start, removed, inserted}: a change of the source kept here, `length` being its
// length. The second is the content that only a load may change: {elements, httpEquivs}.
// Returns "ready" when there is no change to make (the source is kept and cut into parts),
// "part" or "whole" (updated, by the part of the body or the whole source; followed by the
// milliseconds spent parsing and comparing, space-separated), "stale" when the source kept here
// is not the one the change applies to, "unsafe" when the change touches what only a load would
// run, "failed" when the update could not be made.
(function (update, rules) {
    'use strict';
    // Below this the whole source is parsed again: it costs less than keeping parts.
    var PartsFrom = 20000;
    var MinPart = 2000, MaxPart = 256000, MaxParts = 256;
    var End = '<i data-velmora-end></i>';
    var state = window.velmoraPreview;

    function parse(source) {
        return new DOMParser().parseFromString(source, 'text/html');
    }

    function sameKind(a, b) {
        return a.nodeType === b.nodeType && a.nodeName === b.nodeName &&
            a.namespaceURI === b.namespaceURI;
    }

    // Pairs each node of the source tree with the node of the document shown that a load made
    // of it, passing over what scripts added.
    function pair(tree, live) {
        state.live.set(tree, live);
        var next = live.firstChild;
        for (var node = tree.firstChild; node; node = node.nextSibling) {
            var match = next;
            while (match && !sameKind(node, match))
                match = match.nextSibling;
            if (match) {
                pair(node, match);
                next = match.nextSibling;
            }
        }
    }

    if (update.source !== undefined) {
        state = window.velmoraPreview = {source: update.source, head: update.headLength,
                                         tree: parse(update.source), live: new WeakMap(),
                                         parts: null};
        if (update.exact)
            morph(document, state.tree);
        pair(state.tree, document);
        cut();
        if (!update.removed && !update.inserted)
            return 'ready';
    } else if (!state || state.source === null || state.source.length !== update.length) {
        return 'stale';
    }

    function listed(node) {
        if (node.nodeType !== Node.ELEMENT_NODE)
            return false;
        var name = node.localName;
        if (rules.elements.indexOf(name) >= 0)
            return true;
        if (name === 'meta' && node.hasAttribute('http-equiv'))
            return rules.httpEquivs.indexOf(
                node.getAttribute('http-equiv').trim().toLowerCase()) >= 0;
        return false;
    }
    function handlers(node) {
        if (node.nodeType !== Node.ELEMENT_NODE)
            return false;
        for (var i = 0; i < node.attributes.length; ++i) {
            if (/^on/i.test(node.attributes[i].name))
                return true;
        }
        return false;
    }
    var selector = rules.elements.join(',') + ',meta[http-equiv]';
    // A node brought in or taken out holds what a load runs.
    function holdsActive(node) {
        if (node.nodeType !== Node.ELEMENT_NODE)
            return false;
        if (listed(node) || handlers(node))
            return true;
        var found = node.querySelectorAll(selector);
        for (var i = 0; i < found.length; ++i) {
            if (listed(found[i]))
                return true;
        }
        var all = node.getElementsByTagName('*');
        for (i = 0; i < all.length; ++i) {
            if (handlers(all[i]))
                return true;
        }
        return false;
    }
    function withinActive(node) {
        for (; node; node = node.parentNode) {
            if (listed(node))
                return true;
        }
        return false;
    }

    // What turns the children `have` of `parent` in the source tree into `want`, as a list of
    // steps; `after` is the node that follows them. A pair found to differ from the front is not
    // walked again from the back: on a long page that walk is most of the cost, at each level.
    function compareChildren(parent, have, want, after, steps) {
        var first = 0, haveEnd = have.length, wantEnd = want.length;
        while (first < haveEnd && first < wantEnd && have[first].isEqualNode(want[first]))
            ++first;
        while (haveEnd > first && wantEnd > first &&
               (haveEnd - 1 !== first || wantEnd - 1 !== first) &&
               have[haveEnd - 1].isEqualNode(want[wantEnd - 1])) {
            --haveEnd;
            --wantEnd;
        }
        var paired = Math.min(haveEnd, wantEnd) - first, i;
        for (i = 0; i < paired; ++i)
            compareNode(have[first + i], want[first + i], steps);
        for (i = first + paired; i < haveEnd; ++i)
            steps.push({remove: have[i]});
        var before = haveEnd < have.length ? have[haveEnd] : after;
        for (i = first + paired; i < wantEnd; ++i)
            steps.push({insert: want[i], parent: parent, before: before});
    }
    function compareNode(have, want, steps) {
        if (!sameKind(have, want) || (have.nodeType !== Node.ELEMENT_NODE &&
                                      have.nodeType !== Node.TEXT_NODE &&
                                      have.nodeType !== Node.COMMENT_NODE)) {
            steps.push({replace: have, by: want});
        } else if (have.nodeType === Node.ELEMENT_NODE) {
            if (!sameAttributes(have, want))
                steps.push({attributes: have, of: want});
            compareChildren(have, have.childNodes, want.childNodes, null, steps);
        } else if (have.data !== want.data) {
            steps.push({data: have, to: want.data});
        }
    }
    function sameAttributes(a, b) {
        var have = a.attributes, want = b.attributes;
        if (have.length !== want.length)
            return false;
        for (var i = 0; i < want.length; ++i) {
            if (have[i].name !== want[i].name || have[i].namespaceURI !== want[i].namespaceURI ||
                have[i].value !== want[i].value)
                return false;
        }
        return true;
    }

    function safe(step) {
        if (withinActive(step.remove || step.replace || step.attributes || step.data ||
                         step.parent))
            return false;
        if (step.attributes)
            return !handlers(step.attributes) && !handlers(step.of) && !listed(step.of);
        if (step.data)
            return true;
        return !holdsActive(step.remove || step.replace || step.insert) &&
            !(step.by && holdsActive(step.by));
    }

    // Attributes are kept in source order, as a load keeps them.
    function copyAttributes(node, from) {
        var have = node.attributes, want = from.attributes, i;
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
        while (have.length)
            node.removeAttributeNode(have[0]);
        for (i = 0; i < want.length; ++i)
            node.setAttributeNodeNS(node.ownerDocument.importNode(want[i], true));
    }
    function pairCopies(tree, live) {
        state.live.set(tree, live);
        for (var a = tree.firstChild, b = live.firstChild; a && b;
             a = a.nextSibling, b = b.nextSibling)
            pairCopies(a, b);
    }
    // The node of the document shown for a node of the source tree, while it is still there.
    function shown(node) {
        var live = node && state.live.get(node);
        return live && live.parentNode ? live : null;
    }
    // Puts a copy of `node`, new in the source tree, where it belongs in the document shown:
    // before the next node that is there, or else after the one before.
    function show(node) {
        var parent = node.parentNode === state.tree ? document : state.live.get(node.parentNode);
        if (!parent)
            return;
        var copy = document.importNode(node, true), at = null, next, previous;
        for (next = node.nextSibling; next && !at; next = next.nextSibling) {
            at = shown(next);
            if (at && at.parentNode !== parent)
                at = null;
        }
        if (!at) {
            for (previous = node.previousSibling; previous; previous = previous.previousSibling) {
                var live = shown(previous);
                if (live && live.parentNode === parent) {
                    at = live.nextSibling;
                    break;
                }
            }
        }
        parent.insertBefore(copy, at);
        pairCopies(node, copy);
    }

    function apply(step) {
        var live;
        if (step.data) {
            step.data.data = step.to;
            live = shown(step.data);
            if (live)
                live.data = step.to;
        } else if (step.attributes) {
            copyAttributes(step.attributes, step.of);
            live = shown(step.attributes);
            if (live)
                copyAttributes(live, step.of);
        } else if (step.remove) {
            live = shown(step.remove);
            if (live)
                live.parentNode.removeChild(live);
            step.remove.parentNode.removeChild(step.remove);
        } else if (step.replace) {
            live = shown(step.replace);
            step.replace.parentNode.replaceChild(step.by, step.replace);
            if (live) {
                var copy = document.importNode(step.by, true);
                live.parentNode.replaceChild(copy, live);
                pairCopies(step.by, copy);
            } else {
                show(step.by);
            }
        } else {
            step.parent.insertBefore(step.insert, step.before);
            show(step.insert);
        }
    }

    // A page without scripts shows its source alone: brought to the source tree, it shows
    // the version that was loaded, also where the load read a later version of the file.
    function morph(live, tree) {
        var steps = [];
        compareChildren(live, live.childNodes, tree.childNodes, null, steps);
        steps.forEach(function (step) {
            if (step.data)
                step.data.data = step.to;
            else if (step.attributes)
                copyAttributes(step.attributes, step.of);
            else if (step.remove)
                step.remove.parentNode.removeChild(step.remove);
            else if (step.replace)
                step.replace.parentNode.replaceChild(document.importNode(step.by, true),
                                                     step.replace);
            else
                step.parent.insertBefore(document.importNode(step.insert, true), step.before);
        });
    }

    // Runs the steps, unless one of them touches what only a load may change.
    function make(steps) {
        for (var i = 0; i < steps.length; ++i) {
            if (!safe(steps[i]))
                return false;
        }
        steps.forEach(apply);
        return true;
    }

    // The nodes `text` parses to at the top level of a body whose parse is at rest before it,
    // or null when the parse would not be at rest after it. The last part of the source may end
    // the body and the document: what follows them is parsed into the body too.
    function parsePart(text, last) {
        var ending = last ? /<\/body\s*>\s*(?:<\/html\s*>\s*)?$/i.exec(text) : null;
        if (/<\/?(?:html|head|body|frameset)\b/i.test(ending ? text.slice(0, ending.index) : text))
            return null;
        var doctype = state.tree.compatMode === 'BackCompat' ? '' : '<!DOCTYPE html>';
        var body = parse(doctype + '<body>' + text + End).body;
        var end = body && body.lastChild;
        if (!end || end.nodeName !== 'I' || !end.hasAttribute('data-velmora-end') ||
            body.ownerDocument.head.firstChild)
            return null;
        body.removeChild(end);
        return Array.prototype.slice.call(body.childNodes);
    }

    // Cuts the body into parts, each checked against the whole parse.
    function cut() {
        state.parts = null;
        var tree = state.tree, body = tree.body, source = state.source;
        if (source.length < PartsFrom || !body || !tree.head)
            return;
        var opening = /\n<(?!(?:html|head|body|frameset)\b)[a-z]/gi, nodes = body.childNodes;
        var from = -1, index = 0, match, tries = 0;
        // The first part begins where the head is complete and the body's parse at rest.
        while (from < 0 && ++tries < 50 && (match = opening.exec(source))) {
            var before = parse(source.slice(0, match.index + 1) + End);
            var last = before.body && before.body.lastChild;
            if (last && last.nodeName === 'I' && last.hasAttribute('data-velmora-end') &&
                before.head.childNodes.length === tree.head.childNodes.length) {
                from = match.index + 1;
                index = before.body.childNodes.length - 1;
            }
        }
        if (from < 0)
            return;
        // Each part costs a parse of its own here: a long page is cut into fewer, longer parts.
        var shortest = Math.max(MinPart, Math.ceil(source.length / MaxParts));
        var parts = {list: [], index: index}, least = shortest;
        opening.lastIndex = from + least;
        while ((match = opening.exec(source))) {
            var end = match.index + 1, found = parsePart(source.slice(from, end));
            var same = found && index + found.length <= nodes.length;
            for (var i = 0; same && i < found.length; ++i)
                same = found[i].isEqualNode(nodes[index + i]);
            if (same) {
                parts.list.push({start: from, end: end, count: found.length});
                index += found.length;
                from = end;
                least = shortest;
            } else if ((least *= 2) > MaxPart) {
                break;
            }
            opening.lastIndex = from + least;
        }
        if (!match) {
            found = parsePart(source.slice(from), true);
            same = found && index + found.length === nodes.length;
            for (i = 0; same && i < found.length; ++i)
                same = found[i].isEqualNode(nodes[index + i]);
            if (same)
                parts.list.push({start: from, end: source.length, count: found.length});
        }
        if (parts.list.length)
            state.parts = parts;
    }

    // The change at `at` of the old source, within the parts: the parts it touches are parsed
    // again and compared alone.
    function updatePart(at, removed, inserted) {
        var parts = state.parts, list = parts && parts.list;
        if (!list)
            return false;
        var end = at + removed, i = 0, j, index = parts.index;
        // The part begins before the change, so that it begins with the same tag.
        while (i < list.length && list[i].end < at) {
            index += list[i].count;
            ++i;
        }
        if (i === list.length || list[i].start >= at)
            return false;
        for (j = i; j < list.length && list[j].end < end; ++j) {}
        if (j === list.length)
            return false;
        var shift = inserted - removed, count = 0, k;
        for (k = i; k <= j; ++k)
            count += list[k].count;
        var started = performance.now();
        var last = list[j].end === state.source.length - shift;
        var found = parsePart(state.source.slice(list[i].start, list[j].end + shift), last);
        timing.parse = performance.now() - started;
        if (!found)
            return false;
        var children = state.tree.body.childNodes;
        var have = Array.prototype.slice.call(children, index, index + count);
        var steps = [];
        started = performance.now();
        compareChildren(state.tree.body, have, found, children[index + count] || null, steps);
        if (!make(steps))
            throw 'unsafe';
        timing.compare = performance.now() - started;
        list.splice(i, j - i + 1, {start: list[i].start, end: list[j].end + shift,
                                   count: found.length});
        for (k = i + 1; k < list.length; ++k) {
            list[k].start += shift;
            list[k].end += shift;
        }
        return true;
    }

    function updateWhole() {
        var started = performance.now();
        var next = parse(state.source), steps = [];
        timing.parse += performance.now() - started;
        started = performance.now();
        compareChildren(state.tree, state.tree.childNodes, next.childNodes, null, steps);
        if (!make(steps))
            throw 'unsafe';
        timing.compare = performance.now() - started;
        started = performance.now();
        cut();
        timing.parse += performance.now() - started;
    }

    var at = state.head + update.start;
    var old = state.source;
    state.source = old.slice(0, at) + update.inserted + old.slice(at + update.removed);
    // A load keeps the scroll position as a number; the engine would otherwise move it to keep
    // the content on screen in place when content above it changes.
    var x = window.scrollX, y = window.scrollY;
    var result = 'part', timing = {parse: 0, compare: 0};
    try {
        if (!updatePart(at, update.removed, update.inserted.length)) {
            result = 'whole';
            updateWhole();
        }
    } catch (e) {
        state.source = null;
        return e === 'unsafe' ? 'unsafe' : 'failed';
    }
    if (window.scrollX !== x || window.scrollY !== y)
        window.scrollTo(x, y);
    return result + ' ' + timing.parse.toFixed(3) + ' ' + timing.compare.toFixed(3);
})
