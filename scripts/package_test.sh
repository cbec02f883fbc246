#!/usr/bin/env bash
# The Debian package as a practice's IT person gets it: builds it
# (scripts/package.sh), checks it with lintian, installs it with apt-get
# (dependencies from the archive), then, as a plain user with a clean
# environment (no root, no LD_LIBRARY_PATH): the command line, the demo
# practice, one report of each analysis, a PDF and a chart, the window drawn
# off screen with the module loaded from its installed place, the man pages,
# the completion as bash-completion loads it, the menu entry, the AppStream
# file and the user units; last it purges the package and checks that none of
# its files is left.
#
#   scripts/package_test.sh        (root: apt-get, useradd, runuser)
#
# Not root: says so and skips. VANTRA_TEST_USER names the plain user
# (default vantratest, created when missing and removed afterwards).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [[ $(id -u) -ne 0 ]]; then
  echo "== package test skipped: it installs the package and needs root"
  exit 0
fi

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: one line per check, the run goes on
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
  fi
}

start=$SECONDS
"$root/scripts/deps.sh" --package
deb="$("$root/scripts/package.sh" | tail -n 1)"
build_seconds=$((SECONDS - start))
deb_kib=$(du -k "$deb" | cut -f1)

# The plain user every check below runs as, with a folder of its own.
user="${VANTRA_TEST_USER:-vantratest}"
created_user=0
if ! id "$user" >/dev/null 2>&1; then
  useradd -m -s /bin/bash "$user"
  created_user=1
fi
home="$(getent passwd "$user" | cut -d: -f6)"
work="$(mktemp -d /tmp/vantra-package-test.XXXXXX)"
chown "$user" "$work"
cleanup() {
  rm -rf "$work"
  if ((created_user)); then userdel -r "$user" >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

# as_user COMMAND...: the plain user, with a login's environment and nothing of
# ours; a command that hangs (a window waiting for a click) is ended after
# 5 minutes rather than holding CI.
as_user() {
  runuser -u "$user" -- timeout -k 10 300 env -i HOME="$home" USER="$user" LOGNAME="$user" \
    PATH=/usr/bin:/bin LANG=C.UTF-8 TMPDIR="$work" "$@"
}

echo "== lintian"
lintian_out="$(dirname "$deb")/lintian.txt"
cp "$deb" "$work/" && chown "$user" "$work/$(basename "$deb")"
# Every error and warning fails; the accepted ones are overridden in
# debian/vantra.lintian-overrides, each with its reason.
if as_user lintian --fail-on error,warning --display-info "$work/$(basename "$deb")" >"$lintian_out" 2>&1; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED: lintian" >&2
fi
cat "$lintian_out"

echo "== install"
export DEBIAN_FRONTEND=noninteractive
# A package of the same version already there would be left as it is.
if dpkg -s vantra >/dev/null 2>&1; then
  apt-get purge -y -qq vantra >/dev/null
fi
apt-get install -y -qq "$deb" >/dev/null
dpkg -L vantra | sort >"$(dirname "$deb")/installed-files.txt"
mapfile -t installed <"$(dirname "$deb")/installed-files.txt"
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
private="/usr/lib/$multiarch/vantra"

has_file() { [[ -f $1 ]] || { echo "missing: $1" >&2; return 1; }; }
for f in /usr/bin/vantra /usr/bin/vantra-suite "$private/libvantra.so" "$private/libvantra_host.so" \
         /usr/share/man/man1/vantra.1.gz /usr/share/man/man1/vantra-suite.1.gz \
         /usr/share/bash-completion/completions/vantra \
         /usr/share/applications/ca.vantra.Vantra.desktop /usr/share/metainfo/ca.vantra.Vantra.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/ca.vantra.Vantra.svg \
         /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/ca.vantra.Vantra.png \
         /usr/lib/systemd/user/vantra-batch.service /usr/lib/systemd/user/vantra-batch.timer \
         /usr/share/doc/vantra/copyright /usr/share/doc/vantra/README.md.gz; do
  check "installed $f" has_file "$f"
done

# Every program and library finds the project's libraries through a RUNPATH
# relative to itself, never through the build tree (which is still there).
runpaths_relative() {
  local f bad=0 runpath
  for f in /usr/bin/vantra /usr/bin/vantra-suite "$private"/*.so; do
    runpath="$(readelf -d "$f" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')"
    if [[ $runpath != '$ORIGIN'* || $runpath == *"$root"* ]]; then
      echo "$f: RUNPATH '$runpath'" >&2
      bad=1
    fi
  done
  return $bad
}
check "RUNPATH relative to each file" runpaths_relative

echo "== as a plain user"
db="sqlite:$work/cabinet.sqlite"
today=20261130

# out FILE COMMAND...: runs it as the user, standard output into FILE, and
# fails (saying why) on a non-zero status or an empty output.
out() {
  local file=$1 status=0
  shift
  as_user "$@" >"$file" 2>"$file.err" || status=$?
  if ((status != 0)) || [[ ! -s $file ]]; then
    echo "$* : status $status, $(wc -c <"$file") bytes; $(head -c 400 "$file.err")" >&2
    return 1
  fi
}
# runs COMMAND...: runs it as the user; fails (saying why) on a non-zero status.
runs() {
  local status=0
  as_user "$@" >"$work/runs.out" 2>&1 || status=$?
  if ((status != 0)); then
    echo "$* : status $status; $(head -c 400 "$work/runs.out")" >&2
    return 1
  fi
}
is_type() { file -b "$1" | grep -q "$2" || { echo "$1: $(file -b "$1")" >&2; return 1; }; }
holds() { grep -q -- "$2" "$1" || { echo "$1 lacks '$2'" >&2; return 1; }; }

check "vantra --help" out "$work/help.txt" vantra --help
check "vantra --help lists the analyses" holds "$work/help.txt" "productivity"
check "vantra demo-db" out "$work/demo.txt" vantra demo-db --db "$db" --today "$today"
check "vantra audit" out "$work/audit.tsv" \
  vantra audit --db "$db" --today "$today" AllModules=Y --from 20261101 --format tsv
check "vantra productivity" out "$work/productivity.tsv" \
  vantra productivity --db "$db" --today "$today" --from 20261101 --to 20261130 ListBy=P AllProducers=Y --format tsv
check "vantra stats" out "$work/stats.txt" \
  vantra stats --db "$db" --today "$today" --list all --from 20260101 --to 20261130
check "vantra goals" out "$work/goals.tsv" vantra goals --db "$db" --today "$today" Year=2026 --format tsv
# A few rows each, not just a heading: the demo practice has a month of work.
enough_lines() { (($(wc -l <"$1") >= $2)) || { echo "$1: $(wc -l <"$1") lines" >&2; return 1; }; }
check "audit lists rows" enough_lines "$work/audit.tsv" 20
check "productivity lists producers" enough_lines "$work/productivity.tsv" 5
check "stats lists its four lists" enough_lines "$work/stats.txt" 20
check "goals lists producers" enough_lines "$work/goals.tsv" 3
# PDF and PNG come from Qt, off screen, with the installed plugins and fonts.
check "vantra productivity --format pdf" runs \
  vantra productivity --db "$db" --today "$today" ListBy=C AllChairs=Y --format pdf --out "$work/productivite.pdf"
check "the PDF is a PDF" is_type "$work/productivite.pdf" "PDF document"
check "vantra goals --chart" runs \
  vantra goals --db "$db" --today "$today" Year=2026 --chart 10104,10079 --out "$work/objectifs.png"
check "the chart is a PNG" is_type "$work/objectifs.png" "PNG image"

shot="$work/vantra-suite.png"
suite_window() {
  local status=0
  as_user QT_QPA_PLATFORM=offscreen vantra-suite --db "$db" --today "$today" --open 2534 --press Générer \
    --screenshot "$shot" >"$work/suite.out" 2>"$work/suite.err" || status=$?
  # The module is found where the package put it: no "module PATH : why" line.
  if ((status != 0)) || grep -q "^vantra-suite : module " "$work/suite.err"; then
    echo "vantra-suite: status $status; $(cat "$work/suite.err")" >&2
    return 1
  fi
}
check "vantra-suite --screenshot with the module" suite_window
check "the screenshot is a PNG" is_type "$shot" "PNG image"
# Kept beside the package for a look.
cp -f "$shot" "$(dirname "$deb")/vantra-suite.png" 2>/dev/null || true

# What the batch timer starts, as its unit says, on the user's settings: the
# suite's first start wrote the INI file; the practice is the test's.
batch_unit() {
  local ini="$home/.config/vantra/tolvane.ini" exec_start presets written
  exec_start="$(sed -n 's/^ExecStart=//p' /usr/lib/systemd/user/vantra-batch.service)"
  as_user mkdir -p "$(dirname "$ini")"
  if as_user grep -q '^\[SUITE\]' "$ini" 2>/dev/null; then
    as_user sed -i "/^\[SUITE\]/a Database=$db" "$ini"
  else
    printf '[SUITE]\nDatabase=%s\n' "$db" | as_user tee -a "$ini" >/dev/null
  fi
  # shellcheck disable=SC2086 # the unit's command line, split as systemd splits it
  as_user $exec_start >"$work/batch.out" 2>&1 || { echo "$exec_start: $(cat "$work/batch.out")" >&2; return 1; }
  presets=$(as_user vantra preset list --db "$db" --format tsv | wc -l)
  written=$(find "$home/Documents/Vantra" -name '*.xlsx' 2>/dev/null | wc -l)
  if ((presets == 0 || written != presets)); then
    echo "batch: $written files for $presets presets; $(cat "$work/batch.out")" >&2
    return 1
  fi
}
check "the batch unit's command writes every preset" batch_unit

check "man -w vantra" out "$work/man-w.txt" man -w vantra
check "man -w finds the installed page" holds "$work/man-w.txt" "/usr/share/man/man1/vantra.1.gz"
check "man -w vantra-suite" out "$work/man-w-suite.txt" man -w vantra-suite
check "man vantra renders" out "$work/man.txt" env MANPAGER=cat MANWIDTH=80 man vantra
check "the page has its exit statuses" holds "$work/man.txt" "CODES DE SORTIE"

# The completion as bash-completion loads it on demand, asked for "vantra pro".
completes() {
  as_user DB="$db" bash -c '
    source /usr/share/bash-completion/bash_completion
    _completion_loader vantra
    complete -p vantra | grep -q -- "-F _vantra " || { echo "not loaded: $(complete -p vantra 2>&1)"; exit 1; }
    compopt() { :; }  # only inside a real completion
    ask() {
      COMP_LINE=$1; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<"$COMP_LINE"
      [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=(); _vantra; echo "${COMPREPLY[*]}"
    }
    got=$(ask "vantra pro"); [[ $got == productivity ]] || { echo "vantra pro: [$got]"; exit 1; }
    got=$(ask "vantra stats --format "); [[ $got == "text tsv csv xlsx pdf" ]] || { echo "--format: [$got]"; exit 1; }
    got=$(ask "vantra stats --li"); [[ $got == --list ]] || { echo "stats --li: [$got]"; exit 1; }
    got=$(ask "vantra audit AllM"); [[ $got == AllModules= ]] || { echo "audit AllM: [$got]"; exit 1; }
    got=$(ask "vantra goals Ye"); [[ $got == Year= ]] || { echo "goals Ye: [$got]"; exit 1; }
    # keys from "vantra preset keys", names from "vantra preset list"
    got=$(ask "vantra stats DiffColorB"); [[ $got == DiffColorBy= ]] || { echo "stats DiffColorB: [$got]"; exit 1; }
    got=$(ask "vantra audit --db $DB --preset Jour")
    [[ $got == "Journal\ du\ mois\ dernier" ]] || { echo "--preset Jour: [$got]"; exit 1; }
  ' >&2
}
check "bash completion" completes

check "desktop-file-validate" desktop-file-validate /usr/share/applications/ca.vantra.Vantra.desktop
check "appstreamcli validate" appstreamcli validate --no-net --explain /usr/share/metainfo/ca.vantra.Vantra.metainfo.xml
if command -v systemd-analyze >/dev/null; then
  units_verify() {
    local runtime="$work/runtime"
    as_user mkdir -m 700 "$runtime"
    as_user XDG_RUNTIME_DIR="$runtime" systemd-analyze verify --user \
      /usr/lib/systemd/user/vantra-batch.service /usr/lib/systemd/user/vantra-batch.timer
  }
  check "systemd-analyze verify the user units" units_verify
fi
not_enabled() { ! compgen -G "/etc/systemd/user/*.wants/vantra-batch.*" >/dev/null; }
check "the timer is not enabled by the install" not_enabled

echo "== purge"
apt-get purge -y -qq vantra >/dev/null
purged() {
  local f left=0
  for f in "${installed[@]}"; do
    [[ $f != /. && -e $f ]] || continue
    # dpkg -L lists the folders the package shares with others too: a folder
    # may stay while another package owns it.
    if [[ -d $f ]] && dpkg-query -S "$f" >/dev/null 2>&1; then continue; fi
    echo "left after purge: $f $( [[ -d $f ]] && ls -A "$f" | head -5 | tr '\n' ' ')" >&2
    left=1
  done
  if [[ -e $private ]]; then
    echo "left after purge: $private" >&2
    left=1
  fi
  if dpkg -s vantra >/dev/null 2>&1; then
    echo "dpkg still knows vantra: $(dpkg-query -W -f='${Status}' vantra)" >&2
    left=1
  fi
  return $left
}
check "nothing left after apt-get purge" purged

echo "== package: $(basename "$deb"), $deb_kib KiB; build ${build_seconds} s, whole test $((SECONDS - start)) s"
echo "package: $passed passed, $failed failed"
((failed == 0))
