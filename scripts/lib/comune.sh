# comune.sh: shared by the scripts in scripts/. Source it, do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages by what they are for; each script installs only its own
# group (scripts/test all of them). "@name" takes in another group.
declare -A PACKAGE_GROUPS=(
  # Building the viewer and showing it on a display, or drawing its picture
  # with no display at all (EGL on Mesa's surfaceless platform, PNG by
  # libpng). g++ and make rather than build-essential: dpkg-dev and the
  # Perl it brings are for packaging. meshoptimizer fits a mesh over the
  # store's capacities down to them and decodes meshopt-compressed glTF
  # buffers; glTF's JSON by RapidJSON, 3MF's XML by expat and its ZIP by zlib.
  [viewer]="g++ make cmake pkg-config libfast-float-dev libmeshoptimizer-dev rapidjson-dev
            libexpat1-dev zlib1g-dev
            freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
            libegl-dev libegl-mesa0 libpng-dev"
  # A virtual display and screenshots of it: start_xvfb and schermo.sh
  # (xdotool; screenshots by scripts/lib/schermata.c, PNG by netpbm). Not
  # x11-apps: its man-db would rebuild its index after every package.
  [screen]="xvfb xauth xdotool netpbm"
  # Without a display the viewer draws its picture itself (--output).
  [run]="@viewer"
  # packaging/icona.sh: the start picture cut and scaled into the icon.
  [icon]="@run netpbm"
  # dpkg-buildflags; cpack's dpkg-shlibdeps step needs file.
  [package]="@viewer dpkg-dev file"
  # The page, and the surface's generator built natively for it. The page
  # compiles Debian's sources of the desktop's libraries, of the versions
  # their -dev packages have here (apt-get source; dpkg-source unpacks).
  [web]="g++ make cmake libfast-float-dev emscripten dpkg-dev
         libmeshoptimizer-dev zlib1g-dev libexpat1-dev rapidjson-dev"
  [bench-web]="@web chromium python3-websocket"
  # pgrep (procps) finds the process apitrace starts. fstl: a peer viewer of
  # STL files, timed beside the viewer on the same large files.
  [bench]="@run @screen @bench-web libbenchmark-dev libxtst-dev apitrace procps time fstl"
  [fuzz]="@run @screen clang libclang-rt-14-dev llvm"
  # Besides the others: GoogleTest, valgrind, and the package checks
  # (lintian, desktop-file-validate, mandoc and col, appstreamcli,
  # update-mime-database and gio), and GNOME's thumbnail factory with the
  # sandbox it runs thumbnailers in.
  # x11-utils: xwininfo and xprop in the tests; PIL compares the browser
  # page's pictures with the desktop's. GTK 3's introspection data: the drag
  # source that drops files on the window.
  [test]="@run @screen @package @bench-web @bench @fuzz libgtest-dev valgrind x11-utils python3-pil
          lintian desktop-file-utils mandoc bsdextrautils appstream
          shared-mime-info libglib2.0-bin gir1.2-gnomedesktop-3.0 python3-gi gir1.2-gtk-3.0
          bubblewrap"
)
# Seconds apt-get takes for a group on a freshly installed Debian 12 (two
# cores, a busy machine), for the message below: run and test measured, the
# others judged from their download size beside those two.
declare -A PACKAGE_SECONDS=(
  [viewer]=30 [screen]=10 [run]=30 [icon]=35 [package]=40 [web]=90 [bench-web]=150
  [bench]=180 [fuzz]=60 [test]=210
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# package_list GROUP...: the groups' packages, one a line, each once.
package_list() {
  local g p
  for g in "$@"; do
    [ -n "${PACKAGE_GROUPS[$g]+set}" ] || { echo "no package group '$g'" >&2; return 1; }
    for p in ${PACKAGE_GROUPS[$g]}; do
      case "$p" in @*) package_list "${p#@}" ;; *) echo "$p" ;; esac
    done
  done | sort -u
}

# setup_packages GROUP...: installs whatever the groups need that is
# missing; quick when everything is in place. Says so on one line; apt's
# errors still reach the terminal.
setup_packages() {
  local all missing=() p g seconds=0
  all="$(package_list "$@")" || return 1
  for p in $all; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  for g in "$@"; do
    [ "${PACKAGE_SECONDS[$g]:-0}" -gt "$seconds" ] && seconds="${PACKAGE_SECONDS[$g]}"
  done
  local how_long="about $seconds seconds"
  [ "$seconds" -ge 90 ] && how_long="about $(((seconds + 30) / 60)) minutes"
  echo "installing ${#missing[@]} Debian packages with apt-get (${how_long} on a fresh machine): ${missing[*]}" >&2
  # Another apt run (a second script, an unattended upgrade) holds the lock for a while.
  local apt=(as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_build DIR [cmake options...]: configures (once) and builds DIR.
configure_build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
  cmake --build "$ROOT/$dir" -j "$JOBS"
}

# start_xvfb: starts a virtual X server on a free display, exports DISPLAY
# and XVFB_PID, and stops the server when the calling shell exits.
start_xvfb() {
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp \
    3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local num
  if ! read -r -t 20 num <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$num"
  export XVFB_PID
  trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
}
