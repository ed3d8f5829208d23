#!/usr/bin/env bash
# Takes the README's screenshots on a virtual screen (Xvfb), each cropped to the window:
# docs/quillet-window.png, the editor with the bundled sample table open in a window resized
# to 900 x 560 (as a remembered size, the way a user leaves it), and docs/quillet-tables.png,
# the sample file of tables at its opening size with its Tables menu open. Needs xvfb,
# ImageMagick and xdotool (apt-get install xvfb imagemagick xdotool), and a build in build/.
# Usage: docs/take-screenshot.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
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
printf '[Recent%%20Files]\nFile1=%s\nNumbering1=western\n' "$(realpath "$2")" > "$3/Brindle Quillet/Brindle Quillet.conf"
if [ -n "$5" ]; then
  printf '[Window]\nMain%%20Size=%s\n' "$5" >> "$3/Brindle Quillet/Brindle Quillet.conf"
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

shoot() { # table, what, output, remembered size
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh" "$build/bin/quillet" "$1" "$work" "$2" "${4:-}"
  # The window sits in the top-left corner of an otherwise black screen.
  convert "$work/screen.png" -bordercolor black -border 1 -fuzz 2% -trim +repage -strip "$3"
  echo "wrote $3"
}
shoot "$build/sample.gxt" window "$root/docs/quillet-window.png" 900x560
shoot "$build/sample-tables.gxt" tables "$root/docs/quillet-tables.png"
