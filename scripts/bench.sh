#!/usr/bin/env bash
# Builds the benchmark program (RelWithDebInfo, in build-bench/) and runs it. Arguments go to
# korvel_bench; the usual ones:
#
#   scripts/bench.sh [--quick] [--postgres] [--out FOLDER]
#
# --quick     smaller sizes, done in a few minutes
# --postgres  also on a throw-away PostgreSQL server (through scripts/with-test-postgres.sh)
# --out       where results.csv, results.md (the table) and results.png (the chart) go;
#             default bench/results/latest
#
# The table is also printed. KORVEL_BENCH_BUILD_DIR names another build folder, KORVEL_JOBS the
# number of parallel build jobs. Not part of scripts/test.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

korvel_install_missing || exit 1
folder=${KORVEL_BENCH_BUILD_DIR:-$KORVEL_ROOT/build-bench}
echo "=== benchmark: build ($folder)"
korvel_build "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=ON \
    -- korvel_bench || { echo "=== benchmark: BUILD FAILED"; exit 1; }

args=("$@")
postgres=0
has_out=0
has_tag=0
for arg in "$@"; do
    case $arg in
    --postgres) postgres=1 ;;
    --out) has_out=1 ;;
    --tag) has_tag=1 ;;
    esac
done
[[ $has_out -eq 0 ]] && args+=(--out "$KORVEL_ROOT/bench/results/latest")
if [[ $has_tag -eq 0 ]]; then
    tag=$(git -C "$KORVEL_ROOT" rev-parse --short HEAD 2>/dev/null || echo "unknown commit")
    if [[ -n $(git -C "$KORVEL_ROOT" status --porcelain --untracked-files=no 2>/dev/null) ]]; then
        tag+=" + uncommitted changes"
    fi
    args+=(--tag "$tag")
fi

bench=("$folder/bench/korvel_bench" "${args[@]}")
echo "=== benchmark: run"
if [[ $postgres -eq 1 ]]; then
    "$KORVEL_ROOT/scripts/with-test-postgres.sh" "${bench[@]}"
else
    "${bench[@]}"
fi
