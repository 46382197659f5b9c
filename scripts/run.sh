#!/usr/bin/env bash
# Installs what is missing, builds Korvel in build/ and opens the designer.
# Arguments go to the korvel program, e.g.  scripts/run.sh --user alice
#                                            scripts/run.sh --db postgresql://me:pw@server/korvel
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

korvel_install_missing
korvel_build "$KORVEL_ROOT/build" -- korvel_host

# Without a display the window cannot be shown; korvel renders --screenshot and prints --help off
# screen by itself.
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    if [[ " $* " != *" --screenshot"* && " $* " != *" --help "* && " $* " != *" -h "* &&
          " $* " != *" --init-db "* ]]; then
        echo "korvel: there is no display to show the designer on (DISPLAY is not set)." >&2
        echo "        Run it in a desktop session, or render it: scripts/run.sh --screenshot designer.png" >&2
        exit 1
    fi
fi
exec "$KORVEL_ROOT/build/host/korvel" "$@"
