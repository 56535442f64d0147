#!/usr/bin/env bash
# atspi.sh [OUT_DIR]: what a screen reader meets in Zelto, over a real AT-SPI bus.
#
# Runs the editor under Xvfb in a D-Bus session of its own with the AT-SPI bus, walks the
# accessible tree of the toolbar and, opened with F10 and the arrows, of the paragraph dialog
# (scripts/atspi_tree.py; "2" typed in its first field), and fails when a button or box of the toolbar has neither name nor
# label. With Orca installed it then lets Orca read the window, the toolbar boxes, the colour grid
# and the paragraph dialog, and keeps what Orca said (its debug log's speech lines).
#
# Leaves toolbar.txt, dialog.txt, orca.txt (when Orca ran) and a screenshot in OUT_DIR (default
# build/atspi). Uses the editor built in build/test. Needs, installed by hand and not by setup.sh
# since the test command does not use them: xvfb, dbus-x11, at-spi2-core, python3-pyatspi,
# xdotool, imagemagick; orca for the speech.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/build/atspi}")"
editor="$root/build/test/src/app/zelto"
mkdir -p "$out"

if [ "${ATSPI_INNER:-}" != 1 ]; then
    for tool in xvfb-run dbus-run-session xdotool import; do
        command -v "$tool" > /dev/null || { echo "atspi.sh: $tool is missing" >&2; exit 2; }
    done
    [ -x "$editor" ] || { echo "atspi.sh: build $editor first" >&2; exit 2; }
    export ATSPI_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$out"
fi

# --- inside the session ------------------------------------------------------------------------
tree="/usr/bin/python3 $root/scripts/atspi_tree.py"
keys() { for k in "$@"; do xdotool key "$k"; sleep 1.5; done; }
export HOME="$out/home" XDG_CONFIG_HOME="$out/home/.config" XDG_RUNTIME_DIR="$out/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
/usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
sleep 1
/usr/libexec/at-spi2-registryd & registry=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$editor" > "$out/zelto.log" 2>&1 & zelto=$!
trap 'kill $zelto $registry $bus 2> /dev/null || true' EXIT
sleep 4
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name Zelto | head -1)"

$tree toolbar > "$out/toolbar.txt"
$tree check
keys F10 Right Right Down Return 2
$tree dialog > "$out/dialog.txt"
import -window root "$out/dialog.png"
keys Escape
xdotool key --window "$(xdotool search --onlyvisible --name Абзац | head -1)" alt+F4 || true
echo "atspi.sh: trees in $out/toolbar.txt and $out/dialog.txt"

command -v orca > /dev/null || { echo "atspi.sh: no orca, no speech"; exit 0; }
# Speech goes to speech-dispatcher's dummy output; Orca's debug log keeps every utterance.
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher"
printf 'AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n' \
    > "$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
kill $zelto; sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$editor" > "$out/zelto.log" 2>&1 & zelto=$!
orca --replace --debug-file="$out/orca-debug.txt" > /dev/null 2>&1 & orca=$!
trap 'kill $zelto $orca $registry $bus 2> /dev/null || true
      for p in $(find "$XDG_RUNTIME_DIR" -name "*.pid"); do kill "$(cat "$p")" 2> /dev/null || true; done' EXIT
sleep 15
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name Zelto | head -1)"
sleep 3
xdotool type abc; sleep 1
keys shift+Tab shift+Tab F4 Right Escape shift+Tab F10 Escape
keys F10 Right Right Down Return 2 Tab Tab Tab Tab Tab
sleep 2
grep "SPEECH OUTPUT" "$out/orca-debug.txt" | sed "s/^.* - SPEECH OUTPUT: //; s/{.*//" > "$out/orca.txt"
echo "atspi.sh: Orca's speech in $out/orca.txt"
