#!/usr/bin/env bash
# readers.sh [OUT_DIR]: how a document saved by Zelto looks to its recipient.
#
# Makes a sample document through the main window (tests/readers/readers_sample: tabs, bullets
# and indents typed and set in the window, saved with Ctrl+S as RTF), renders it headless with
# LibreOffice and AbiWord to PDF, finds the words with pdftotext -bbox, and prints per reader the
# page size, the left margin, and each measured word's distance from the margin beside the
# editor's own, in points. A distance more than 3 pt off the editor's, or a page or margin that
# is not the file's, is marked "!!" and makes the exit code 1.
#
# Leaves the RTF, the PDFs and pictures in OUT_DIR (default build/readers): the editor's window,
# each reader's first page, and the three one above the other (side-by-side.png, with
# ImageMagick: editor, LibreOffice, AbiWord).
#
# Builds readers_sample in build/test (configured as the README says). Needs, installed by hand
# and not by setup.sh since the test command does not use them: libreoffice-writer-nogui (or
# libreoffice-writer), abiword, poppler-utils, python3; imagemagick for the side-by-side picture.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/build/readers}")"
build="$root/build/test"
tolerance=3

for tool in soffice abiword pdftotext pdftoppm python3; do
    if ! command -v "$tool" > /dev/null; then
        echo "readers.sh: $tool is missing (apt-get install libreoffice-writer-nogui abiword" \
            "poppler-utils python3)" >&2
        exit 2
    fi
done
cmake --build "$build" --target readers_sample > /dev/null

mkdir -p "$out"
rm -f "$out"/*.pdf "$out"/*.png "$out"/*.html
export LC_ALL=C.UTF-8
QT_QPA_PLATFORM=offscreen "$build/tests/readers/readers_sample" "$out/sample.rtf" \
    "$out/editor.png" 2> /dev/null > "$out/editor.tsv"

# Each reader in a profile of its own, so that no setting of the user's changes what it shows.
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
HOME="$profile" soffice -env:UserInstallation="file://$profile/lo" --headless \
    --convert-to pdf --outdir "$profile" "$out/sample.rtf" > /dev/null 2>&1
mv "$profile/sample.pdf" "$out/libreoffice.pdf"
HOME="$profile" abiword --to=pdf --to-name="$out/abiword.pdf" "$out/sample.rtf" > /dev/null 2>&1

for reader in libreoffice abiword; do
    pdftotext -bbox -f 1 -l 1 "$out/$reader.pdf" "$out/$reader.html"
    pdftoppm -png -r 96 -f 1 -l 1 -singlefile "$out/$reader.pdf" "$out/$reader"
done
if command -v convert > /dev/null; then
    # The text of the editor's window (under its toolbar) above that of each page, at twice the
    # size, each margin at the same place.
    convert \( "$out/editor.png" -crop 420x150+0+48 +repage \) \
        \( "$out/libreoffice.png" -crop 420x150+70+73 +repage \) \
        \( "$out/abiword.png" -crop 420x150+70+73 +repage \) \
        -background gray -splice 0x4 -append -scale 200% "$out/side-by-side.png"
fi

python3 - "$out" "$tolerance" << 'EOF'
import html, re, sys

out, tolerance = sys.argv[1], float(sys.argv[2])
editor = [line.rstrip("\n").split("\t") for line in open(f"{out}/editor.tsv", encoding="utf-8")]
page = {name: float(value) for name, _, value in editor[:2]}
margin_word, margin = editor[2][1], float(editor[2][2])
measures = [(name, word, float(value)) for name, word, value in editor[3:]]
readers = ["libreoffice", "abiword"]

def read(reader):
    text = open(f"{out}/{reader}.html", encoding="utf-8").read()
    size = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', text)
    words = {}
    for x, word in re.findall(r'<word xMin="([\d.]+)"[^>]*>([^<]*)</word>', text):
        words.setdefault(html.unescape(word), float(x))
    return float(size.group(1)), float(size.group(2)), words

failed = False
def cell(value, expected):
    global failed
    if value is None:
        failed = True
        return "missing !!"
    off = abs(value - expected) > tolerance
    failed |= off
    return f"{value:.1f}" + (" !!" if off else "")

rows = {reader: read(reader) for reader in readers}
print(f"{'distance from the left margin, pt':36} {'editor':>8} " +
      " ".join(f"{r:>12}" for r in readers))
print(f"{'page width':36} {page['page width']:8.1f} " +
      " ".join(f"{cell(rows[r][0], page['page width']):>12}" for r in readers))
print(f"{'page height':36} {page['page height']:8.1f} " +
      " ".join(f"{cell(rows[r][1], page['page height']):>12}" for r in readers))
left = {r: rows[r][2].get(margin_word) for r in readers}
print(f"{'left margin':36} {margin:8.1f} " +
      " ".join(f"{cell(left[r], margin):>12}" for r in readers))
for name, word, value in measures:
    shown = []
    for r in readers:
        x = rows[r][2].get(word)
        shown.append(cell(None if x is None or left[r] is None else x - left[r], value))
    print(f"{name + ' (' + word + ')':36} {value:8.1f} " + " ".join(f"{s:>12}" for s in shown))
sys.exit(1 if failed else 0)
EOF
