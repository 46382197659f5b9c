#!/usr/bin/env bash
# Keeps the layers below the windows apart from those above them: no source file of resources/,
# core/, persistence/, model/, exchange/ or document/ may include a header of widgets/, canvas/, dialogs/,
# designer/, addin/ or host/. Prints every such line and exits 1 when there is one. ctest runs it
# (the test "layers"), and with it scripts/test.sh; tests/core/layers_test.cpp checks the built base.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2

if grep -rnE --include='*.cpp' --include='*.h' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<](widgets|canvas|dialogs|designer|addin|host)/' \
    resources core persistence model exchange document; then
    echo "check-layers: a layer below the windows includes one above it (the lines above)" >&2
    exit 1
fi
echo "check-layers: the layers below the windows include nothing from above them"
