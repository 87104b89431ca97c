#!/usr/bin/env bash
# Renders audio through every factory program of the plug-in, once through the Linux
# module and once through the Windows DLL under Wine, with our command-line host, and
# again through the VST 3 bundles and the CLAP modules of both and the Linux LV2
# bundle, and through the 64-bit ARM Linux build of every format under qemu-user;
# prints a table of levels, of the largest difference between the two platforms, of
# the largest difference between each VST 3, CLAP or LV2 render and its VST 2 one,
# and of the largest difference between each arm64 render and its x86-64 one, draws a picture of each program's sweep, and takes pictures of the
# editor in every format.
# Called by ./run demo after the build; see README.md for the options.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
NATIVE_HOST=$ROOT/build/native/host/tavhost
NATIVE_MODULE=$ROOT/build/native/Tavrellion.so
WIN_HOST=$ROOT/build/win64/host/tavhost.exe
WIN_MODULE=$ROOT/build/win64/Tavrellion_x64.dll
NATIVE_VST3=$ROOT/build/native/Tavrellion.vst3
WIN_VST3=$ROOT/build/win64/Tavrellion.vst3
NATIVE_CLAP=$ROOT/build/native/Tavrellion.clap
NATIVE_LV2=$ROOT/build/native/Tavrellion.lv2
WIN_CLAP=$ROOT/build/win64/Tavrellion.clap
WINE=("$ROOT/cmake/wine-run" "$ROOT/build/win64/wineprefix")
# Windows that open need a display: a private Xvfb one, with a Wine prefix of its own.
WINE_DISPLAY=("$ROOT/cmake/wine-display-run" "$ROOT/build/win64/wineprefix-display")
TAVWAV=$ROOT/build/native/demo/tavwav
# The arm64 tavhost with the arm64 plug-ins, run explicitly under qemu-user.
ARM_HOST=(qemu-aarch64-static "$ROOT/build/arm64/host/tavhost")
ARM=$ROOT/build/arm64
# Each Linux format: its plug-in in a build tree, and where its renders go under out/.
ARM_FORMATS=("Tavrellion.so:." "Tavrellion.vst3:vst3" "Tavrellion.clap:clap" "Tavrellion.lv2:lv2")

usage() {
    cat <<'TEXT'
usage: ./run demo [--in FILE.wav] [--program N] [--tempo BPM] [--set-text PARAM=TEXT]... [--out DIR]
  --in FILE.wav          your own audio instead of the built-in 8-second 120 bpm loop
  --program N            only program N (0-9) instead of every factory program (0-6)
  --tempo BPM            the host tempo the sweeps follow (default 120)
  --set-text PARAM=TEXT  set a parameter by name or index from typed text, after the
                         program is selected (e.g. --set-text "Left Depth=80")
  --out DIR              where the WAV files go (default out/)
TEXT
}

source_args=(--generate demo-loop)
programs=(0 1 2 3 4 5 6)
tempo=120
sets=()
out=$ROOT/out
while [ $# -gt 0 ]; do
    case "$1" in
        --in) [ $# -ge 2 ] || { usage; exit 2; }
              [ -f "$2" ] || { echo "demo: no such file: $2" >&2; exit 2; }
              source_args=(--in "$(realpath "$2")"); shift 2 ;;
        --program) [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]$ ]] || { echo "demo: --program takes 0 to 9" >&2; exit 2; }
              programs=("$2"); shift 2 ;;
        --tempo) [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "demo: --tempo takes a number" >&2; exit 2; }
              tempo=$2; shift 2 ;;
        --set-text) [ $# -ge 2 ] || { usage; exit 2; }
              sets+=(--set-text "$2"); shift 2 ;;
        --out) [ $# -ge 2 ] || { usage; exit 2; }
              out=$(realpath -m "$2"); shift 2 ;;
        -h|--help) usage; exit 0 ;;
        *) echo "demo: unknown option $1" >&2; usage; exit 2 ;;
    esac
done
mkdir -p "$out/win64/vst3" "$out/vst3" "$out/win64/clap" "$out/clap" "$out/lv2" \
    "$out/arm64/vst3" "$out/arm64/clap" "$out/arm64/lv2"

slug() {
    local s
    s=$(printf '%s' "$1" | tr 'A-Z' 'a-z' | sed -e 's/[^a-z0-9]\{1,\}/-/g' -e 's/^-//' -e 's/-$//')
    printf '%s' "${s:-program}"
}

mapfile -t names < <("$NATIVE_HOST" "$NATIVE_MODULE" --programs | sed -n 's/^  [* ] \([0-9]\)  \(.*\)$/\1\t\2/p')
name_of() {
    local line
    for line in "${names[@]}"; do
        [ "${line%%$'\t'*}" = "$1" ] && { printf '%s' "${line#*$'\t'}"; return; }
    done
    printf 'program %s' "$1"
}

common=(--tempo "$tempo" --quiet)
rows=()
status=0

# The browser's column: the Web Audio Modules plug-in in headless Chromium, for
# the built-in loop at the default tempo, where a web build and npm's packages are.
declare -A browser=()
WEB_BUILD=$ROOT/build/web
if [ -f "$WEB_BUILD/tavrellion.wasm" ] && [ -d "$ROOT/web/node_modules/puppeteer-core" ] &&
    [ "${source_args[0]}" = --generate ] && [ "$tempo" = 120 ] && [ ${#sets[@]} -eq 0 ]; then
    echo "rendering every program in the browser (tavrellion.wasm in an AudioWorklet, headless Chromium)"
    while read -r _ p _ _ _ _ _ _ d; do
        browser[${p%:}]=$d
        [ "$d" = "0" ] || status=1
    done < <("$ROOT/checks/check-web" --demo "$out" "$ROOT/build/native" "$WEB_BUILD" | grep '^program') || status=1
fi
dry=(--write-input "$out/demo-dry.wav")
for p in "${programs[@]}"; do
    name=$(name_of "$p")
    file="demo-$(slug "$name").wav"
    args=("${source_args[@]}" "${common[@]}" --program "$p" "${sets[@]}")
    echo "rendering $name (Linux module, then Windows DLL under Wine; then their VST 3 bundles and CLAP modules, and the LV2 bundle; every arm64 format under qemu-user beside them)"
    arm_jobs=()
    for entry in "${ARM_FORMATS[@]}"; do
        "${ARM_HOST[@]}" "$ARM/${entry%%:*}" "${args[@]}" --out "$out/arm64/${entry#*:}/$file" >/dev/null &
        arm_jobs+=($!)
    done
    "$NATIVE_HOST" "$NATIVE_MODULE" "${args[@]}" "${dry[@]}" --out "$out/$file" >/dev/null
    dry=()
    "${WINE[@]}" "$WIN_HOST" "$WIN_MODULE" "${args[@]}" --out "$out/win64/$file" >/dev/null
    "$NATIVE_HOST" "$NATIVE_VST3" "${args[@]}" --out "$out/vst3/$file" >/dev/null
    "${WINE[@]}" "$WIN_HOST" "$WIN_VST3" "${args[@]}" --out "$out/win64/vst3/$file" >/dev/null
    "$NATIVE_HOST" "$NATIVE_CLAP" "${args[@]}" --out "$out/clap/$file" >/dev/null
    "${WINE[@]}" "$WIN_HOST" "$WIN_CLAP" "${args[@]}" --out "$out/win64/clap/$file" >/dev/null
    "$NATIVE_HOST" "$NATIVE_LV2" "${args[@]}" --out "$out/lv2/$file" >/dev/null
    "$TAVWAV" --sweep "$out/demo-dry.wav" "$out/$file" "$out/${file%.wav}.png" \
        --title "$name" --tempo "$tempo"
    read -r _ peak _ rms _ diff < <("$TAVWAV" "$out/$file" "$out/win64/$file")
    read -r _ _ _ _ _ linux3 < <("$TAVWAV" "$out/$file" "$out/vst3/$file")
    read -r _ _ _ _ _ windows3 < <("$TAVWAV" "$out/win64/$file" "$out/win64/vst3/$file")
    read -r _ _ _ _ _ linuxc < <("$TAVWAV" "$out/$file" "$out/clap/$file")
    read -r _ _ _ _ _ windowsc < <("$TAVWAV" "$out/win64/$file" "$out/win64/clap/$file")
    read -r _ _ _ _ _ linuxl < <("$TAVWAV" "$out/$file" "$out/lv2/$file")
    arm=()
    for job in "${arm_jobs[@]}"; do wait "$job" || status=1; done
    for entry in "${ARM_FORMATS[@]}"; do
        read -r _ _ _ _ _ d < <("$TAVWAV" "$out/${entry#*:}/$file" "$out/arm64/${entry#*:}/$file") || d=failed
        arm+=("$d")
        [ "$d" = "0" ] || status=1
    done
    rows+=("$(printf '%-24s %10s %10s %14s %12s %12s %12s %12s %12s %12s  %s' "$name" "$peak" "$rms" "$diff" "$linux3" "$windows3" "$linuxc" "$windowsc" "$linuxl" "${browser[$p]:--}" "$(IFS=/; echo "${arm[*]}")")")
    [ "$diff" = "0" ] && [ "$linux3" = "0" ] && [ "$windows3" = "0" ] || status=1
    [ "$linuxc" = "0" ] && [ "$windowsc" = "0" ] && [ "$linuxl" = "0" ] || status=1
done

echo "rendering 16 bars under a tempo ramp (100 to 140 bpm), the sweep free and locked to the song (CLAP module)"
ramp=(--generate long-noise --tempo-ramp 100:140 --start-beat 2 --quiet
    --set-text "Left Sweep Rate=1/1" --set-text "Right Sweep Rate=1/1")
"$NATIVE_HOST" "$NATIVE_CLAP" "${ramp[@]}" --write-input "$out/ramp-dry.wav" --out "$out/ramp-free.wav" >/dev/null
"$NATIVE_HOST" "$NATIVE_CLAP" "${ramp[@]}" --set-text "Sweep Sync=Song" --out "$out/ramp-song.wav" >/dev/null
"$TAVWAV" --sweep "$out/ramp-dry.wav" "$out/ramp-free.wav" "$out/sweep-ramp-free-song.png" \
    --versus "$out/ramp-song.wav" --names "Free,Song" \
    --title "16 bars from beat 2, tempo ramp 100 to 140 bpm, 1/1, left channel"
# Clicks show on a smooth chord, not on noise: the same ramp through the VST 2 module.
"$NATIVE_HOST" "$NATIVE_MODULE" --generate chord --tempo-ramp 100:140 --quiet --out "$out/ramp-chord.wav" >/dev/null
ramp_clicks=$("$TAVWAV" --clicks "$out/ramp-chord.wav" --block 512)
ramp_clicks=${ramp_clicks%% elsewhere*}

echo "rendering a chord with a Wet ramp and an Accent switch, Glide off and on (CLAP module)"
glide_names=(off on)
for glide in 0 1; do
    "$NATIVE_HOST" "$NATIVE_CLAP" --generate chord --block 64 --quiet --set Glide=$glide \
        --ramp "Wet Left=0.8:0.2@1s:3s" --step "Accent=0@4.5s" \
        --out "$out/glide-${glide_names[$glide]}.wav" >/dev/null
done
"$TAVWAV" --band-picture "$out/glide-off-on.png" "$out/glide-off.wav" "$out/glide-on.wav" \
    --names "Glide Off,Glide On" --seconds 6 \
    --title "A chord, Wet Left 80 to 20 % over 1-3 s, Accent Both to Left at 4.5 s"

echo "drawing the editor at the defaults and at \"Psy Asymetric\", and at 200 % (Windows DLL, VST 3 bundle and CLAP module under Wine)"
shots=()
# One picture: the host, the plug-in, the file name, then tavhost's options.
shoot() {
    local shot=$1; shift
    # Xvfb says goodbye on stderr when it stops: shown only when something failed.
    if "$@" --editor-shot "$out/$shot" >/dev/null 2>"$out/editor-shot.log"; then
        shots+=("$out/$shot")
    else
        cat "$out/editor-shot.log" >&2
        echo "demo: no picture of the editor for $shot" >&2; status=1
    fi
    rm -f "$out/editor-shot.log"
}
for format in vst2 vst3 clap; do
    case $format in
        vst2) module=$WIN_MODULE; prefix=editor ;;
        vst3) module=$WIN_VST3; prefix=editor-vst3 ;;
        clap) module=$WIN_CLAP; prefix=editor-clap ;;
    esac
    for p in default 1; do
        if [ "$p" = default ]; then shot=$prefix-default.png; args=(); else
            shot="$prefix-$(slug "$(name_of "$p")").png"; args=(--program "$p"); fi
        shoot "$shot" "${WINE_DISPLAY[@]}" "$WIN_HOST" "$module" "${args[@]}"
    done
    # The face for screens at 200 %, drawn from the larger skin.
    shoot "$prefix-default-200.png" "${WINE_DISPLAY[@]}" "$WIN_HOST" "$module" --editor-scale 2
done

echo "drawing the editor of the Linux module, bundles and CLAP module at the defaults (on a private Xvfb display)"
XVFB=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset")
shoot editor-linux-default.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_MODULE"
shoot editor-vst3-linux-default.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_VST3"
shoot editor-clap-linux-default.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_CLAP"
shoot editor-lv2-default.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_LV2"
shoot editor-linux-default-200.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_MODULE" --editor-scale 2
shoot editor-lv2-default-200.png "${XVFB[@]}" "$NATIVE_HOST" "$NATIVE_LV2" --editor-scale 2
# The LV2 UI's face is the VST 2 module's, pixel for pixel.
for scale in default default-200; do
    if [ -f "$out/editor-lv2-$scale.png" ] && [ -f "$out/editor-linux-$scale.png" ] &&
        ! cmp -s "$out/editor-lv2-$scale.png" "$out/editor-linux-$scale.png"; then
        echo "demo: the LV2 editor differs from the VST 2 module's at $scale" >&2; status=1
    fi
done

printf '\n%-24s %10s %10s %14s %12s %12s %12s %12s %12s %12s  %s\n' "" "" "" "largest diff:" "VST 3/VST 2" "VST 3/VST 2" "CLAP/VST 2" "CLAP/VST 2" "LV2/VST 2" "browser/" "arm64/x86-64"
printf '%-24s %10s %10s %14s %12s %12s %12s %12s %12s %12s  %s\n' "program" "peak" "RMS" "Windows/Linux" "Linux" "Windows" "Linux" "Windows" "Linux" "VST 2" "VST 2/VST 3/CLAP/LV2"
read -r _ peak _ rms < <("$TAVWAV" "$out/demo-dry.wav")
printf '%-24s %10s %10s %14s %12s %12s %12s %12s %12s %12s\n' "(dry input)" "$peak" "$rms" "-" "-" "-" "-" "-" "-" "-"
printf '%s\n' "${rows[@]}"
echo
echo "a chord under the tempo ramp, steps at block starts: ${ramp_clicks#block-starts } (-80 dBFS and below: no click)"
echo "written: $out/demo-dry.wav and $out/demo-<program>.wav (the Windows renders are in $out/win64/,"
echo "the VST 3 ones in vst3/ and the CLAP ones in clap/ below each, the LV2 ones in $out/lv2/,"
echo "the 64-bit ARM ones in $out/arm64/ and its vst3/, clap/ and lv2/, the browser's in $out/web/);"
echo "$out/demo-<program>.png shows each program's gain over time and frequency, left channel"
echo "on top: the dark curves are the notches sweeping with the tempo."
echo "$out/glide-off-on.png shows the peak above 8 kHz of a chord under a Wet ramp and an Accent"
echo "switch: above with Glide off (a click at every step and at the switch), below with it on."
echo "$out/sweep-ramp-free-song.png shows 16 bars of a tempo ramp: on top the sweep free (it starts"
echo "where play starts), below it locked to the song (where the bar lines put it)."
[ ${#shots[@]} -eq 0 ] || echo "the editor as the VST 2, VST 3 and CLAP plug-ins draw it on both platforms, and the LV2 UI: ${shots[*]}"
if [ -f "$WEB_BUILD/site/index.html" ]; then
    echo "the try-it page (the plug-in, its face, your own files) is in $WEB_BUILD/site/: serve it"
    echo "on this machine only with python3 -m http.server --bind 127.0.0.1 8000 --directory $WEB_BUILD/site"
    echo "and open http://127.0.0.1:8000/ in a browser."
fi
[ $status -eq 0 ] || { echo "demo: the platforms', processors' or formats' outputs differ, or the editor could not be drawn" >&2; exit 1; }
