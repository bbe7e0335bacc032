# common.sh: shared by the scripts in scripts/. Source it, do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages the project needs to build, test, benchmark and fuzz.
PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev libbenchmark-dev
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxtst-dev
  xvfb xauth x11-utils x11-apps xdotool netpbm apitrace
  clang libclang-rt-14-dev llvm
  valgrind time
  lintian desktop-file-utils mandoc file
  emscripten chromium python3-websocket
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whatever is missing; quick when everything is in place. Says so
# on one line; apt's errors still reach the terminal.
setup_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  local how_long="a minute or less"
  [ "${#missing[@]}" -gt 5 ] && how_long="about 2 minutes on a fresh machine"
  echo "installing ${#missing[@]} Debian packages with apt-get (usually ${how_long}): ${missing[*]}" >&2
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
