#!/usr/bin/env bash
# Takes the README's screenshots on a virtual screen (Xvfb), each cropped to the window:
# docs/quillet-window.png, the editor with the bundled sample table open in a window resized
# to 900 x 560 (as a remembered size, the way a user leaves it), and docs/quillet-tables.png,
# the sample file of tables at its opening size with its Tables menu open, and
# docs/quillet-translator.png, the sample's French translation beside the sample as its
# remembered reference, at 900 x 560. Needs xvfb, ImageMagick and xdotool (apt-get install
# xvfb imagemagick xdotool), and a build in build/.
# Usage: docs/take-screenshot.sh [build folder] [window|tables|translator ...]
# (every shot when none is named).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
shots="${*:-window tables translator}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat > "$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
# A settings store of its own, so that the user's remembered folder stays as it was: the
# table remembered as shown in the game's Western European numbering, in which its texts
# were written, and a remembered window size where the shot asks for one.
rm -rf "$3/Brindle Quillet"
mkdir -p "$3/Brindle Quillet"
conf="$3/Brindle Quillet/Brindle Quillet.conf"
printf '[Recent%%20Files]\nFile1=%s\nNumbering1=western\n' "$(realpath "$2")" > "$conf"
# A reference remembered for the table (keyed by a digest of its path), itself a recent
# file in the same numbering.
if [ -n "$6" ]; then
  printf 'File2=%s\nNumbering2=western\n' "$(realpath "$6")" >> "$conf"
  key="$(printf '%s' "$(realpath "$2")" | sha1sum | cut -d' ' -f1)"
  printf '[References]\n%s=%s|%s\n' "$key" "$(realpath "$2")" "$(realpath "$6")" >> "$conf"
fi
if [ -n "$5" ]; then
  printf '[Window]\nMain%%20Size=%s\n' "$5" >> "$conf"
fi
XDG_CONFIG_HOME="$3" "$1" "$2" &
editor=$!
sleep 3
# Without a window manager the window sits at the screen's corner: its menu bar's Tables
# title (after File and Edit) is at a fixed place.
if [ "$4" = tables ]; then
  xdotool mousemove 100 9 click 1
  sleep 1
fi
import -window root "$3/screen.png"
kill "$editor"
INNER
chmod +x "$work/shoot.sh"

shoot() { # table, what, output, remembered size, reference
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh" "$build/bin/quillet" "$1" "$work" "$2" "${4:-}" "${5:-}"
  # The window sits in the top-left corner of an otherwise black screen.
  convert "$work/screen.png" -bordercolor black -border 1 -fuzz 2% -trim +repage -strip "$3"
  echo "wrote $3"
}
for shot in $shots; do
  case "$shot" in
    window) shoot "$build/sample.gxt" window "$root/docs/quillet-window.png" 900x560 ;;
    tables) shoot "$build/sample-tables.gxt" tables "$root/docs/quillet-tables.png" ;;
    translator) shoot "$build/sample-fr.gxt" translator "$root/docs/quillet-translator.png" 900x560 "$build/sample.gxt" ;;
    *) echo "no shot is called $shot" >&2; exit 2 ;;
  esac
done
