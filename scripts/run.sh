#!/usr/bin/env bash
# One command to see Vantra: installs what is missing, builds, creates the demo
# practice database when it does not exist, and opens the stand-in suite with
# the practice-analysis window inside it.
# Without a display, the window is drawn offscreen to a PNG whose path is
# printed, and the script exits 0.
#   scripts/run.sh [--size small|large] [extra vantra-suite options]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTRA_BUILD_DIR:-$root/build}"
size=small
if [[ "${1:-}" == "--size" ]]; then size="$2"; shift 2; fi

"$root/scripts/deps.sh"
"$root/scripts/build.sh"

# The same default the command line uses (DefaultDemoDbPath).
if [[ -n "${VANTRA_DATA:-}" ]]; then db="$VANTRA_DATA/demo.sqlite"
elif [[ -n "${XDG_DATA_HOME:-}" ]]; then db="$XDG_DATA_HOME/vantra/demo.sqlite"
else db="$HOME/.local/share/vantra/demo.sqlite"; fi
if [[ ! -s "$db" ]]; then
  echo "Création de la base de démonstration : $db" >&2
  "$build/bin/vantra" demo-db --size "$size"
fi

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != "offscreen" ]]; then
  exec "$build/bin/vantra-suite" --db "sqlite:$db" --open 2534 "$@"
fi
shot="${VANTRA_SCREENSHOT:-$root/build/vantra-suite.png}"
QT_QPA_PLATFORM=offscreen "$build/bin/vantra-suite" --db "sqlite:$db" --open 2534 \
  --screenshot "$shot" "$@"
echo "Aucun écran : la fenêtre a été dessinée dans $shot"
