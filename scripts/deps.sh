#!/usr/bin/env bash
# Installs the Debian packages Vantra needs, only those that are missing.
#   scripts/deps.sh          build and run (Qt, SQLite, libpq, libxlsxwriter)
#   scripts/deps.sh --test   also what the tests need (GoogleTest, PostgreSQL
#                            server, sqlite3 shell, poppler, LibreOffice Calc,
#                            clang 15 with libFuzzer for scripts/fuzz.sh)
#   scripts/deps.sh --package  also what the Debian package's build and test
#                            need (debhelper, ccache, lintian, the desktop-entry
#                            and AppStream validators, man-db, bash-completion)
# The options combine (--test --package).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libsqlite3-dev libpq-dev libxlsxwriter-dev zlib1g-dev
  sqlite3 xvfb xauth fonts-dejavu-core qt6-translations-l10n
)
for option in "$@"; do
  case "$option" in
    --test)
      packages+=(googletest libgtest-dev postgresql-15 postgresql-client-15 poppler-utils
                 libreoffice-calc-nogui clang-15 libfuzzer-15-dev cups cups-bsd printer-driver-cups-pdf) ;;
    --package)
      packages+=(debhelper dpkg-dev ccache lintian desktop-file-utils appstream man-db bash-completion) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installation des paquets manquants : ${missing[*]}" >&2
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else
    echo "Ces paquets manquent et il faut être root pour les installer : ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null || true
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
