#include "core/textchange.h"

#include <algorithm>
#include <cstring>

namespace {
// Blocks compared with memcmp first: on a long page that is what makes a keystroke cheap.
constexpr qsizetype Block = 64;

qsizetype commonPrefix(const QChar *a, const QChar *b, qsizetype length)
{
    qsizetype at = 0;
    while (at + Block <= length && std::memcmp(a + at, b + at, Block * sizeof(QChar)) == 0)
        at += Block;
    while (at < length && a[at] == b[at])
        ++at;
    return at;
}

qsizetype commonSuffix(const QChar *aEnd, const QChar *bEnd, qsizetype length)
{
    qsizetype at = 0;
    while (at + Block <= length &&
           std::memcmp(aEnd - at - Block, bEnd - at - Block, Block * sizeof(QChar)) == 0)
        at += Block;
    while (at < length && aEnd[-at - 1] == bEnd[-at - 1])
        ++at;
    return at;
}
} // namespace

TextChange TextChange::between(QStringView before, QStringView after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    const qsizetype prefix = commonPrefix(before.data(), after.data(), shorter);
    const qsizetype suffix =
        commonSuffix(before.data() + before.size(), after.data() + after.size(), shorter - prefix);
    return {prefix, before.size() - prefix - suffix, after.size() - prefix - suffix};
}
