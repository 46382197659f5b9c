#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages Korvel needs (the list is
# scripts/packages.txt) when some are missing, and configures and builds a build folder.
# Source it; it defines functions only.

KORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# korvel_missing_packages: prints the packages of packages.txt that are not installed.
korvel_missing_packages() {
    local package
    while read -r package; do
        package=${package%%#*}
        package=${package//[[:space:]]/}
        [[ -z $package ]] && continue
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done <"$KORVEL_ROOT/scripts/packages.txt"
}

# korvel_install_missing: installs what is missing with apt-get (through sudo when not root).
korvel_install_missing() {
    if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
        echo "korvel: this set-up needs Debian's dpkg and apt-get" >&2
        return 1
    fi
    local missing
    missing=$(korvel_missing_packages | tr '\n' ' ')
    [[ -z ${missing// /} ]] && return 0

    echo "korvel: installing $missing"
    local -a as_root=()
    if [[ $(id -u) -ne 0 ]]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "korvel: these packages are missing and there is no sudo to install them: $missing" >&2
            return 1
        fi
        as_root=(sudo)
    fi
    # shellcheck disable=SC2086 # one word per package
    "${as_root[@]}" apt-get update &&
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

# korvel_test_ratio: prints the non-blank lines of the C++ files (.cpp, .h) under tests/ against
# those of every other C++ file of the repository, and their ratio; warns when the tests pass 0.35
# of the code. Counts the files git tracks, so build folders never count; outside a git checkout
# it counts what find sees, build folders left out.
korvel_test_ratio() {
    local files
    if git -C "$KORVEL_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        files=$(cd "$KORVEL_ROOT" && git ls-files -- '*.cpp' '*.h' | while read -r f; do [[ -f $f ]] && echo "$f"; done)
    else
        files=$(cd "$KORVEL_ROOT" && find . -path './build*' -prune -o -path ./dist -prune -o \
            \( -name '*.cpp' -o -name '*.h' \) -type f -print | sed 's|^\./||')
    fi
    (cd "$KORVEL_ROOT" && awk '
        FNR == 1 { intests = (FILENAME ~ /^tests\//) }
        /[^[:space:]]/ { if (intests) tests++; else code++ }
        END {
            ratio = code ? tests / code : 0
            printf "=== test lines %d, code lines %d: the tests are %.3f of the code", tests, code, ratio
            print (ratio > 0.35 ? " (more than 0.35: trim or merge tests)" : " (at most 0.35)")
        }' $files)
}

# korvel_build BUILD_FOLDER [CMAKE_OPTION...] -- [TARGET...]
# Configures the folder with CMake and Ninja the first time (or when its options change) and
# builds the targets (everything when none is named). Incremental on later runs.
korvel_build() {
    local folder=$1
    shift
    local -a options=() targets=()
    while [[ $# -gt 0 && $1 != -- ]]; do
        options+=("$1")
        shift
    done
    [[ ${1:-} == -- ]] && shift
    targets=("$@")

    local stamp="$folder/.korvel-configure"
    local wanted="${options[*]:-}"
    if [[ ! -f $folder/build.ninja || ! -f $stamp || $(cat "$stamp") != "$wanted" ]]; then
        cmake -S "$KORVEL_ROOT" -B "$folder" -G Ninja "${options[@]}" || return 1
        echo "$wanted" >"$stamp"
    fi
    ninja -C "$folder" -j "${KORVEL_JOBS:-$(nproc)}" "${targets[@]}"
}
