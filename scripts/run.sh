#!/usr/bin/env bash
# Builds Quillet and starts the editor on the bundled sample table. Extra arguments go to
# the editor in place of the sample. Without a display, the window opens under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-deps.sh" --gui
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j "$(nproc)" --target quillet sample_table

args=("$@")
[ ${#args[@]} -eq 0 ] && args=("$root/build/sample.gxt")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a "$root/build/bin/quillet" "${args[@]}"
fi
exec "$root/build/bin/quillet" "${args[@]}"
