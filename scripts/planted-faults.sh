#!/usr/bin/env bash
# The planted-fault check: do the tests catch the mistakes we are most likely to make?
#
#   scripts/planted-faults.sh [--only PATTERN] [--list] [--timeout SECONDS] [--build-dir FOLDER]
#
# Each tests/planted-faults/NN-short-name.patch is a small fault (its first line, "# Breaks: ...",
# says what it breaks). One at a time, the script applies the patch, rebuilds incrementally in a
# build folder of its own (build-faults/: Debug, no sanitizers, configured once), runs the test
# programs that cover the patched folders (the table below), and puts the tree back. It prints one
# line per fault and the totals:
#
#   caught           a test program failed (or timed out)
#   NOT caught       every test program passed
#   does not build   the patched tree does not compile: the patch must be fixed, it is no fault
#   does not apply   the patch no longer applies to the tree (or a file it touches has
#                    uncommitted changes, which the check will not touch)
#
# Before the first fault the selected test programs are built and run once on the unchanged tree;
# a failure there stops the check, since it would make every fault look caught.
#
# The tree is restored whatever happens (also on Ctrl+C or a kill): only the files the current
# patch touches are put back, and only those, which had no uncommitted changes when it was applied.
# The test programs run against SQLite and one throw-away PostgreSQL server for the whole check
# (scripts/with-test-postgres.sh), unless KORVEL_TEST_PG names one already.
#
# --only PATTERN   only the faults whose file name contains PATTERN (a grep -E expression)
# --list           lists the faults, the folders they patch and what they break; runs nothing
# --timeout N      the longest one test program may run, seconds (default 900)
# --build-dir DIR  the build folder (default build-faults/)
# KORVEL_JOBS sets the parallel build jobs. Logs of every build and test run: BUILD_DIR/fault-logs/.
set -uo pipefail

SCRIPT=$(realpath "${BASH_SOURCE[0]}")
KORVEL_ROOT=$(cd "$(dirname "$SCRIPT")/.." && pwd)
cd "$KORVEL_ROOT" || exit 2

FAULT_DIR=tests/planted-faults
BUILD_DIR=$KORVEL_ROOT/build-faults
ONLY=
LIST=0
TEST_TIMEOUT=900
ARGS=("$@")

usage() {
    sed -n '2,/^set -uo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'
}

while [[ $# -gt 0 ]]; do
    case $1 in
    --only) ONLY=${2:?--only needs a pattern}; shift 2 ;;
    --list) LIST=1; shift ;;
    --timeout) TEST_TIMEOUT=${2:?--timeout needs seconds}; shift 2 ;;
    --build-dir) BUILD_DIR=$(realpath -m "${2:?--build-dir needs a folder}"); shift 2 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "planted-faults: unknown argument $1" >&2; usage >&2; exit 2 ;;
    esac
done
if ! [[ $TEST_TIMEOUT =~ ^[1-9][0-9]*$ ]]; then
    echo "planted-faults: --timeout needs a whole number of seconds" >&2
    exit 2
fi

# Which test programs cover a source folder: the folder's own program and those above it that
# drive it.
programs_for_folder() {
    case $1 in
    core) echo test_core test_persistence test_model test_dialogs test_designer test_host ;; # the file writer is walked by the program tests
    persistence) echo test_persistence test_model test_exchange test_host ;;
    model) echo test_model test_document test_designer test_exchange test_host ;;
    document) echo test_document test_designer ;;
    widgets) echo test_widgets test_dialogs test_designer ;;
    dialogs) echo test_dialogs test_designer ;;
    canvas) echo test_canvas test_designer test_host ;; # pictures are walked by korvel render
    designer) echo test_designer test_host ;;
    addin) echo test_host ;;
    exchange) echo test_exchange test_designer test_host ;; # the designer pastes through the strict reader
    host) echo test_host test_persistence test_model ;; # test_stress is long and not run here
    resources) echo test_core test_widgets test_dialogs test_designer ;;
    *) echo test_core test_persistence test_model test_document test_widgets test_dialogs test_canvas test_designer test_exchange test_host ;;
    esac
}

# The repository files a patch touches, one a line.
patched_files() {
    sed -n 's|^diff --git a/\([^ ]*\) b/.*|\1|p' "$1" | sort -u
}

# The test programs for a patch, each once, in the order of the layers.
PROGRAM_ORDER=(test_core test_persistence test_model test_document test_widgets test_dialogs test_canvas test_designer test_exchange test_host)
programs_for_patch() {
    local file program wanted=" "
    for file in $(patched_files "$1"); do
        wanted+="$(programs_for_folder "${file%%/*}") "
    done
    for program in "${PROGRAM_ORDER[@]}"; do
        [[ $wanted == *" $program "* ]] && printf '%s ' "$program"
    done
}

breaks_line() {
    sed -n '1s/^# Breaks: //p' "$1"
}

mapfile -t FAULTS < <(find "$FAULT_DIR" -maxdepth 1 -name '[0-9]*.patch' | sort)
if [[ -n $ONLY ]]; then
    mapfile -t FAULTS < <(printf '%s\n' "${FAULTS[@]}" | grep -E -- "$ONLY")
fi
if [[ ${#FAULTS[@]} -eq 0 ]]; then
    echo "planted-faults: no fault matches" >&2
    exit 2
fi

if [[ $LIST -eq 1 ]]; then
    for patch in "${FAULTS[@]}"; do
        name=$(basename "$patch" .patch)
        printf '%-48s %-14s %s\n' "$name" "$(patched_files "$patch" | cut -d/ -f1 | sort -u | tr '\n' ' ')" \
            "$(breaks_line "$patch")"
    done
    echo "${#FAULTS[@]} faults"
    exit 0
fi

# One PostgreSQL server for the whole check.
if [[ -z ${KORVEL_TEST_PG:-} ]]; then
    exec "$KORVEL_ROOT/scripts/with-test-postgres.sh" "$SCRIPT" "${ARGS[@]}"
fi
export QT_QPA_PLATFORM=offscreen

LOG_DIR=$BUILD_DIR/fault-logs
mkdir -p "$LOG_DIR"

# The patch applied now and the files it touches; restore() puts them back.
APPLIED=
APPLIED_FILES=()
restore() {
    [[ -z $APPLIED ]] && return 0
    if ! git apply -R "$APPLIED" 2>/dev/null; then
        # The files were clean before the patch: HEAD's version is what they held.
        git checkout HEAD -- "${APPLIED_FILES[@]}"
    fi
    APPLIED=
    APPLIED_FILES=()
}
# Builds and test programs run as children that the script waits for, so that a signal is handled
# at once (a trap waits for a foreground command to end): the child is stopped, then the tree put back.
CHILD=
run_child() { # run_child LOG COMMAND...: COMMAND's output is added to LOG
    local log=$1 status
    shift
    "$@" >>"$log" 2>&1 &
    CHILD=$!
    wait "$CHILD"
    status=$?
    CHILD=
    return $status
}
on_signal() {
    trap '' INT TERM HUP
    if [[ -n $CHILD ]]; then
        kill -TERM "$CHILD" 2>/dev/null
        wait "$CHILD" 2>/dev/null
    fi
    restore
    echo "planted-faults: stopped; the tree is restored" >&2
    exit "$1"
}
trap 'restore' EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM
trap 'on_signal 129' HUP

build() { # build LOG TARGET...: configured once (Debug, no sanitizers), then incremental
    local log=$1
    shift
    if [[ ! -f $BUILD_DIR/build.ninja ]]; then
        run_child "$log" cmake -S "$KORVEL_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
            -DKORVEL_SANITIZE=OFF -DKORVEL_BUILD_TESTS=ON || return 1
    fi
    run_child "$log" ninja -C "$BUILD_DIR" -j "${KORVEL_JOBS:-$(nproc)}" "$@"
}

run_program() { # run_program LOG PROGRAM: 0 passed, 1 failed, 2 timed out
    local log=$1 program=$2 status
    run_child "$log" timeout --kill-after=30 "$TEST_TIMEOUT" "$BUILD_DIR/tests/$program"
    status=$?
    if [[ $status -eq 0 ]]; then
        return 0
    elif [[ $status -eq 124 || $status -eq 137 ]]; then
        return 2
    fi
    return 1
}

# The test programs any selected fault needs: built and run once on the unchanged tree.
mapfile -t ALL_PROGRAMS < <(for patch in "${FAULTS[@]}"; do programs_for_patch "$patch"; done |
    tr ' ' '\n' | awk 'NF && !seen[$0]++')
echo "=== planted faults: ${#FAULTS[@]}, test programs: ${ALL_PROGRAMS[*]}"
echo "=== commit $(git rev-parse --short HEAD), build folder $BUILD_DIR, timeout ${TEST_TIMEOUT}s per program"
echo "=== baseline: build and run on the unchanged tree"
: >"$LOG_DIR/baseline-build.log"
if ! build "$LOG_DIR/baseline-build.log" "${ALL_PROGRAMS[@]}"; then
    echo "planted-faults: the unchanged tree does not build (see $LOG_DIR/baseline-build.log)" >&2
    exit 1
fi
: >"$LOG_DIR/baseline-tests.log"
for program in "${ALL_PROGRAMS[@]}"; do
    if ! run_program "$LOG_DIR/baseline-tests.log" "$program"; then
        echo "planted-faults: $program fails on the unchanged tree (see $LOG_DIR/baseline-tests.log)" >&2
        exit 1
    fi
done

caught=0 missed=0 unbuilt=0 unapplied=0
missed_names=()
for patch in "${FAULTS[@]}"; do
    name=$(basename "$patch" .patch)
    log=$LOG_DIR/$name.log
    mapfile -t files < <(patched_files "$patch")
    read -r -a programs <<<"$(programs_for_patch "$patch")"
    : >"$log"

    if ! git diff --quiet HEAD -- "${files[@]}"; then
        printf '%-48s does not apply (uncommitted changes in %s)\n' "$name" "${files[*]}"
        unapplied=$((unapplied + 1))
        continue
    fi
    if ! git apply --check "$patch" >>"$log" 2>&1; then
        printf '%-48s does not apply\n' "$name"
        unapplied=$((unapplied + 1))
        continue
    fi
    APPLIED_FILES=("${files[@]}")
    APPLIED=$patch
    if ! git apply "$patch" >>"$log" 2>&1; then
        APPLIED=
        printf '%-48s does not apply\n' "$name"
        unapplied=$((unapplied + 1))
        continue
    fi

    if ! build "$log" "${programs[@]}"; then
        restore
        printf '%-48s does not build\n' "$name"
        unbuilt=$((unbuilt + 1))
        continue
    fi

    failing=()
    for program in "${programs[@]}"; do
        echo "=== $program" >>"$log"
        run_program "$log" "$program"
        case $? in
        1) failing+=("$program") ;;
        2) failing+=("$program(timed out)") ;;
        esac
    done
    restore

    if [[ ${#failing[@]} -gt 0 ]]; then
        printf '%-48s caught       by %s\n' "$name" "${failing[*]}"
        caught=$((caught + 1))
    else
        printf '%-48s NOT caught   (ran %s)\n' "$name" "${programs[*]}"
        missed=$((missed + 1))
        missed_names+=("$name")
    fi
done

total=${#FAULTS[@]}
echo "=== caught $caught of $total; NOT caught $missed; does not build $unbuilt; does not apply $unapplied"
if [[ $missed -gt 0 ]]; then
    echo "=== not caught:"
    printf '    %s\n' "${missed_names[@]}"
fi
[[ $unbuilt -eq 0 && $unapplied -eq 0 ]]
