#!/usr/bin/env bash
# Takes the README's screenshots on a virtual screen (Xvfb), each cropped to the window:
# docs/quillet-window.png, the editor with the bundled sample table open, and
# docs/quillet-tables.png, the sample file of tables with its Tables menu open. Needs xvfb,
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
# A settings store of its own, so that the user's remembered folder stays as it was.
XDG_CONFIG_HOME="$3" "$1" "$2" &
editor=$!
sleep 3
# Without a window manager the window sits at the screen's corner: its menu bar's Tables
# title is at a fixed place.
if [ "$4" = tables ]; then
  xdotool mousemove 64 9 click 1
  sleep 1
fi
import -window root "$3/screen.png"
kill "$editor"
INNER
chmod +x "$work/shoot.sh"

shoot() { # table, what, output
  xvfb-run -a -s "-screen 0 800x600x24" "$work/shoot.sh" "$build/bin/quillet" "$1" "$work" "$2"
  # The window sits in the top-left corner of an otherwise black screen.
  convert "$work/screen.png" -bordercolor black -border 1 -fuzz 2% -trim +repage -strip "$3"
  echo "wrote $3"
}
shoot "$build/sample.gxt" window "$root/docs/quillet-window.png"
shoot "$build/sample-tables.gxt" tables "$root/docs/quillet-tables.png"
