#!/usr/bin/env bash
# screenshot.sh [OUT.png [SCALE]]: starts Zelto under Xvfb with a short Russian letter, formats it
# through the window as a user would (keys and clicks sent with xdotool), and grabs the main window
# to OUT.png (default docs/zelto.png). SCALE (default 1) is the Qt scale factor; at 2 the window
# and everything in it are drawn at twice the density.
#
# Uses the program of build/release (built first when missing), or the one named by ZELTO_BIN.
# Needs Xvfb, xdotool and ImageMagick's import; ZELTO_SETUP_EXTRA adds the last two to `setup.sh test`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/docs/zelto.png}")"
scale="${2:-1}"

ZELTO_SETUP_EXTRA="xdotool imagemagick" "$root/scripts/setup.sh" test
bin="${ZELTO_BIN:-$root/build/release/src/app/zelto}"
if [ ! -x "$bin" ]; then
    "$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release \
        -DZELTO_BUILD_TESTS=OFF -DZELTO_BUILD_BENCH=OFF
fi

# shellcheck source=display.sh
. "$root/scripts/display.sh"

# The letter, as the plain Windows-1251 text with CR LF line ends that the program reads.
printf '%s\r\n' \
    "Приглашение на выставку" \
    "" \
    "Дорогие друзья!" \
    "Приглашаем вас на выставку акварелей, которая откроется в субботу в городской библиотеке. Вас ждут пейзажи родного края, портреты и натюрморты." \
    "В программе вечера:" \
    "знакомство с художниками;" \
    "мастер-класс для детей;" \
    "чаепитие и музыка." \
    "" \
    "С уважением, оргкомитет" |
    iconv -f UTF-8 -t CP1251 > "$work/Приглашение.txt"

# A display of its own, on the first free number, large enough for the restored window (798 x 480
# at 211, 141).
width=$((1010 * scale))
height=$((622 * scale))
start_display "${width}x${height}"

QT_SCALE_FACTOR="$scale" LC_ALL=C.UTF-8 "$bin" "$work/Приглашение.txt" &
pids+=($!)
window="$(xdotool search --sync --onlyvisible --name 'Текстовый редактор Zelto')"
sleep 1

# Positions in the window, in its own pixels at 96 dpi: the toolbar under the menu bar, each
# control at its place in the toolbar's row.
menu_height=23
at() { # at X Y: clicks the window's point X, Y
    xdotool mousemove --window "$window" $(($1 * scale)) $(($2 * scale)) click 1
    sleep 0.2
}
button() { at $(($1 + 12)) $((menu_height + 2 + 12)); }
centre=137 right=162 bold=520 underline=545 italic=570 bullets=603
size_box=470
# Keys go where the pointer is (there is no window manager to give the focus): into the window.
keys() { xdotool key --delay 40 "$@"; sleep 0.2; }
size() { # size N: types N into the size box; the editor takes the focus back
    at "$size_box" $((menu_height + 4 + 10))
    keys End shift+Home
    xdotool type --delay 40 "$1"
    keys Return
}

# The heading: centred, bold, 20 points.
at 300 300
keys ctrl+Home shift+End
button $centre
button $bold
size 20
# The greeting in italics, 16 points.
keys Down Down Home shift+End
button $italic
size 16
# In the next paragraph: "акварелей" bold, "в субботу" underlined.
keys Down Home ctrl+Right ctrl+Right ctrl+Right ctrl+Right ctrl+shift+Right
button $bold
keys ctrl+Right ctrl+Right ctrl+Right ctrl+shift+Right ctrl+shift+Right shift+Left
button $underline
# From the end, where every line is a paragraph of its own: the signature flush right, in
# italics, and the three items of the programme as a bulleted list.
keys ctrl+End Up Home shift+End
button $right
button $italic
keys Up Up Home shift+End shift+Up shift+Up
button $bullets
# The caret back at the start, the pointer off the toolbar.
keys ctrl+Home
xdotool mousemove --window "$window" $((700 * scale)) $((400 * scale))
sleep 0.5

mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "wrote $out"
