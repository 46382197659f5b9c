#!/usr/bin/env bash
# Builds the Debian package of Korvel: a Release build without tests in build-package/ (or
# KORVEL_PACKAGE_BUILD_DIR), installed under /usr, packed by CPack into dist/ (or the folder given
# as the first argument). Prints the package's file name and lists its contents.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

korvel_install_missing
folder=${KORVEL_PACKAGE_BUILD_DIR:-$KORVEL_ROOT/build-package}
out=$(realpath -m "${1:-$KORVEL_ROOT/dist}")
korvel_build "$folder" -DCMAKE_BUILD_TYPE=Release -DKORVEL_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    --

mkdir -p "$out"
(cd "$folder" && cpack -G DEB -B "$out")
rm -rf "$out/_CPack_Packages"
package=$(ls -t "$out"/korvel_*.deb | head -n 1)
echo "korvel: built $package"
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
dpkg-deb --contents "$package"
