#!/usr/bin/env bash
# Installs what is missing, builds Velmora with warnings as errors, checks the formatting, runs
# the benchmark once at a tiny size and runs the whole test suite, runs the suite again in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, and last runs clang-tidy and clazy.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    | xargs -r clang-format --dry-run --Werror
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_TESTS=ON
cmake --build build-test -j"$(nproc)"
# The desktop entry, the AppStream metadata and the Debian package, with lintian.
scripts/check-package.sh build-test
# The benchmark is not a pass-or-fail test; one tiny run keeps it working.
timeout 600 build-test/bench/velmora-bench --sizes 2K --keys 3 --browser-keys 2 --idle-seconds 1
ctest --test-dir build-test --output-on-failure
# The cases skipped where a privilege or a path is missing (a chroot, a container), and why.
grep -h '^SKIP' build-test/Testing/Temporary/LastTest.log || true

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_TESTS=ON -DVELMORA_SANITIZE=ON
cmake --build build-asan -j"$(nproc)"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The seeded random keystroke-and-paste run, shorter under the sanitizers.
export VELMORA_RANDOM_EVENTS=20000
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure

# clang-tidy and clazy over src/ and bench/, with the compile commands of the first build; any
# finding fails the run.
scripts/lint.sh build-test
