#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in a normal build (build/) and
# under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/). Each run goes through
# scripts/with-test-postgres.sh, so the tests run against SQLite and a throw-away PostgreSQL
# server. Exits non-zero when anything fails. KORVEL_BUILD_DIR and KORVEL_ASAN_BUILD_DIR name other
# build folders, KORVEL_JOBS the number of parallel build jobs. At the end it prints how large the
# tests are against the code (korvel_test_ratio).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

korvel_install_missing || exit 1

status=0
run_suite() {
    local name=$1 folder=$2
    shift 2
    echo "=== $name: build ($folder)"
    if ! korvel_build "$folder" "$@"; then
        echo "=== $name: BUILD FAILED"
        status=1
        return
    fi
    echo "=== $name: tests"
    if ! QT_QPA_PLATFORM=offscreen "$KORVEL_ROOT/scripts/with-test-postgres.sh" \
        ctest --test-dir "$folder" --output-on-failure; then
        echo "=== $name: TESTS FAILED"
        status=1
    fi
}

run_suite "normal build" "${KORVEL_BUILD_DIR:-$KORVEL_ROOT/build}"

# Leak detection stays on (no Qt leak shows up under LeakSanitizer here) and nothing is suppressed:
# every report fails the run. Child processes (the korvel program under test) inherit these.
export ASAN_OPTIONS="detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite "sanitizer build" "${KORVEL_ASAN_BUILD_DIR:-$KORVEL_ROOT/build-asan}" -DKORVEL_SANITIZE=ON

korvel_test_ratio
if [[ $status -eq 0 ]]; then
    echo "=== all tests passed (normal and sanitizer builds)"
else
    echo "=== FAILURES above"
fi
exit $status
