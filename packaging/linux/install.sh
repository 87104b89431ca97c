#!/bin/sh
# Installs Tavrellion for the current user: the VST 2 plug-in into ~/.vst/ and the
# VST 3 plug-in into ~/.vst3/, where Linux hosts look.
#   ./install.sh              install (or update) from this folder
#   ./install.sh --uninstall  remove both again
set -eu
here=$(cd "$(dirname "$0")" && pwd)
vst2=${HOME:?HOME is not set}/.vst
vst3=$HOME/.vst3

install_all() {
    if [ ! -f "$here/Tavrellion.so" ] || [ ! -d "$here/Tavrellion.vst3" ]; then
        echo "install.sh: Tavrellion.so and Tavrellion.vst3 belong beside this script" >&2
        exit 1
    fi
    mkdir -p "$vst2" "$vst3"
    # A copy beside the old one, then a rename: a host that has the old one loaded
    # keeps running on it instead of on a file rewritten under its feet.
    cp "$here/Tavrellion.so" "$vst2/.Tavrellion.so.new"
    chmod 0755 "$vst2/.Tavrellion.so.new"
    mv -f "$vst2/.Tavrellion.so.new" "$vst2/Tavrellion.so"
    rm -rf "$vst3/.Tavrellion.vst3.new" "$vst3/.Tavrellion.vst3.old"
    cp -R "$here/Tavrellion.vst3" "$vst3/.Tavrellion.vst3.new"
    if [ -e "$vst3/Tavrellion.vst3" ]; then mv "$vst3/Tavrellion.vst3" "$vst3/.Tavrellion.vst3.old"; fi
    mv "$vst3/.Tavrellion.vst3.new" "$vst3/Tavrellion.vst3"
    rm -rf "$vst3/.Tavrellion.vst3.old"
    echo "installed $vst2/Tavrellion.so and $vst3/Tavrellion.vst3"
    echo "rescan plug-ins in your host to find Tavrellion"
}

uninstall_all() {
    rm -f "$vst2/Tavrellion.so"
    rm -rf "$vst3/Tavrellion.vst3"
    echo "removed $vst2/Tavrellion.so and $vst3/Tavrellion.vst3"
}

case "${1:-}" in
    "") install_all ;;
    --uninstall) uninstall_all ;;
    -h | --help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//' ;;
    *)
        echo "install.sh: unknown option $1 (try --help)" >&2
        exit 2
        ;;
esac
