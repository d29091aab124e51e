// The place in the page text where the element at a point of the document shown begins. The
// source is the one the document was loaded from, each start tag of the page text marked with
// its place; it is parsed, and the element at the point is paired with the node of that parse
// it was made of, as the preview's updates pair them: nodes that scripts added are passed
// over. An element that scripts made, or that the parser implied, stands for the nearest one
// around it that has a tag in the source, or else for the first within it or on the page.
// Runs in the program's own script world.
//
// The argument is {x, y, source, mark}: the point, in the view's pixels, the marked source and
// the name of the marking attribute. Returns the place, or -1 when nothing is at the point.
(function (request) {
    'use strict';
    var tree = new DOMParser().parseFromString(request.source, 'text/html');

    function sameKind(a, b) {
        return a.nodeType === b.nodeType && a.nodeName === b.nodeName &&
            a.namespaceURI === b.namespaceURI;
    }
    // The node of the parse that `live` was made of, or null.
    function sourceOf(live) {
        if (live === document)
            return tree;
        var parent = live.parentNode && sourceOf(live.parentNode);
        if (!parent)
            return null;
        var next = live.parentNode.firstChild;
        for (var node = parent.firstChild; node; node = node.nextSibling) {
            var match = next;
            while (match && !sameKind(node, match))
                match = match.nextSibling;
            if (match === live)
                return node;
            if (match)
                next = match.nextSibling;
        }
        return null;
    }

    var live = document.elementFromPoint(request.x, request.y), found = null;
    for (; live && !found; live = live.parentNode)
        found = sourceOf(live);
    if (!found)
        return -1;
    var marked = '[' + request.mark + ']', element = found;
    while (element && !(element.nodeType === Node.ELEMENT_NODE && element.matches(marked)))
        element = element.parentNode;
    element = element || found.querySelector(marked) || tree.querySelector(marked);
    return element ? Number(element.getAttribute(request.mark)) : -1;
})
