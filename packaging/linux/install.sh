#!/bin/sh
# Installs Tavrellion for the current user: the VST 2 plug-in into ~/.vst/, the
# VST 3 plug-in into ~/.vst3/, the CLAP plug-in into ~/.clap/ and the LV2 plug-in
# into ~/.lv2/, where Linux hosts look.
#   ./install.sh              install (or update) from this folder
#   ./install.sh --uninstall  remove them again
#   ./install.sh --any-machine  install even on a machine of another processor
#                             (a home folder shared with, or copied to, such a machine)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
vst2=${HOME:?HOME is not set}/.vst
vst3=$HOME/.vst3
clap=$HOME/.clap
lv2=$HOME/.lv2

# A bundle whole, never a mix of old and new files: DIR NAME.
replace_bundle() {
    rm -rf "$1/.$2.new" "$1/.$2.old"
    cp -R "$here/$2" "$1/.$2.new"
    if [ -e "$1/$2" ]; then mv "$1/$2" "$1/.$2.old"; fi
    mv "$1/.$2.new" "$1/$2"
    rm -rf "$1/.$2.old"
}

# The processor these plug-ins are built for (written in when the archive is made).
processor=@PROCESSOR@

# A plug-in built for another processor never loads: say which archive fits instead.
check_machine() {
    machine=$(uname -m)
    [ "$machine" = "$processor" ] && return 0
    echo "install.sh: these plug-ins are for $processor Linux, this machine is $machine:" >&2
    echo "download Tavrellion-<version>-linux-$machine.tar.xz instead (or use --any-machine)" >&2
    exit 1
}

install_all() {
    if [ ! -f "$here/Tavrellion.so" ] || [ ! -d "$here/Tavrellion.vst3" ] ||
        [ ! -f "$here/Tavrellion.clap" ] || [ ! -d "$here/Tavrellion.lv2" ]; then
        echo "install.sh: Tavrellion.so, Tavrellion.vst3, Tavrellion.clap and Tavrellion.lv2 belong beside this script" >&2
        exit 1
    fi
    mkdir -p "$vst2" "$vst3" "$clap" "$lv2"
    # A copy beside the old one, then a rename: a host that has the old one loaded
    # keeps running on it instead of on a file rewritten under its feet.
    cp "$here/Tavrellion.so" "$vst2/.Tavrellion.so.new"
    chmod 0755 "$vst2/.Tavrellion.so.new"
    mv -f "$vst2/.Tavrellion.so.new" "$vst2/Tavrellion.so"
    cp "$here/Tavrellion.clap" "$clap/.Tavrellion.clap.new"
    chmod 0755 "$clap/.Tavrellion.clap.new"
    mv -f "$clap/.Tavrellion.clap.new" "$clap/Tavrellion.clap"
    replace_bundle "$vst3" Tavrellion.vst3
    replace_bundle "$lv2" Tavrellion.lv2
    echo "installed $vst2/Tavrellion.so, $vst3/Tavrellion.vst3, $clap/Tavrellion.clap and $lv2/Tavrellion.lv2"
    echo "rescan plug-ins in your host to find Tavrellion"
}

uninstall_all() {
    rm -f "$vst2/Tavrellion.so"
    rm -rf "$vst3/Tavrellion.vst3"
    rm -f "$clap/Tavrellion.clap"
    rm -rf "$lv2/Tavrellion.lv2"
    echo "removed $vst2/Tavrellion.so, $vst3/Tavrellion.vst3, $clap/Tavrellion.clap and $lv2/Tavrellion.lv2"
}

case "${1:-}" in
    "") check_machine && install_all ;;
    --any-machine) install_all ;;
    --uninstall) uninstall_all ;;
    -h | --help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' ;;
    *)
        echo "install.sh: unknown option $1 (try --help)" >&2
        exit 2
        ;;
esac
