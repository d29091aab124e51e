#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) and clazy (levels 0 and 1) with the compile commands of the given
# build folder, both at once and each file in parallel; fails on any finding. Without files it
# checks every source of src/ and bench/; a header given is checked through the sources of src/
# and bench/ that include it.
# usage: scripts/lint.sh <build folder> [file...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/lint.sh <build folder> [file...]}
shift
jobs=$(nproc)
if [ $# -eq 0 ]; then
    files=$(git ls-files -- 'src/*.cpp' 'bench/*.cpp')
else
    files=$(for file in "$@"; do
        case $file in
        *.h)
            name=${file#src/}
            name=${name#bench/}
            git grep -l -F "#include \"$name\"" -- 'src/*.cpp' 'bench/*.cpp' || true
            ;;
        *) echo "$file" ;;
        esac
    done | sort -u)
fi
[ -n "$files" ] || exit 0
# Headers are checked through the sources that include them; generated code is not ours.
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet \
    2> >(grep -v -e '^[0-9]* warnings\? generated' -e '^Suppressed' -e '^Use -header-filter' >&2) &
tidy=$!
# Not for this project: non-pod-global-static (a few constant strings at namespace scope, built
# once before main on the one thread, none built from another) and qstring-ref (it proposes
# QStringRef, which Qt 6 no longer has).
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$jobs" -n 4 clazy-standalone -p "$build/compile_commands.json" \
    -checks=level0,level1,no-non-pod-global-static,no-qstring-ref -header-filter='/(src|bench)/' \
    -ignore-dirs='_autogen' &
clazy=$!
status=0
wait $tidy || status=1
wait $clazy || status=1
exit $status
