#!/usr/bin/env bash
# Takes docs/quillet-window.png: the editor with the bundled sample table open, on a
# virtual screen (Xvfb), cropped to the window. Needs xvfb and ImageMagick, and a build in
# build/. Usage: docs/take-screenshot.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
out="$root/docs/quillet-window.png"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat > "$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
# A settings store of its own, so that the user's remembered folder stays as it was.
XDG_CONFIG_HOME="$3" "$1" "$2" &
editor=$!
sleep 3
import -window root "$3/screen.png"
kill "$editor"
INNER
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 800x600x24" "$work/shoot.sh" "$build/bin/quillet" "$build/sample.gxt" "$work"
# The window sits in the top-left corner of an otherwise black screen.
convert "$work/screen.png" -bordercolor black -border 1 -fuzz 2% -trim +repage -strip "$out"
echo "wrote $out"
