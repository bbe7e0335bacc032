#!/usr/bin/env bash
# fabbrica.sh DIR GENERATOR PACCHETTI: the .deb that scripts/package made in DIR,
# installed on this machine as a user would (GNOME's factory runs the
# thumbnailer in a sandbox that shows only /usr), then previews of a file in
# each format and of a bad file through the factory itself, with a DISPLAY
# that nothing answers. The package is removed again unless it was
# installed before.
source "$(dirname "$0")/lib.sh"
DEB="$(cat "$1/deb.txt")" GENERA="$2" PACCHETTI="$3"
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq -y)
prima="$(dpkg-query -W -f='${Status}' superficie 2>/dev/null || true)"
togli() {
  [[ "$prima" == *"install ok installed"* ]] || "${apt[@]}" remove superficie >/dev/null
  rm -rf "$LAVORO"
}
trap togli EXIT
"${apt[@]}" install --no-install-recommends "$DEB" >/dev/null

# A bumpy sphere of 2000 triangles as GENERATOR (not the viewer's code)
# writes it: NOFF, OBJ, binary PLY and ascii STL (every triangle with its own
# three corners, which only merging equal positions brings within an
# object's 3000 vertices); then as GLB and 3MF (the .gltf's buffer is a
# file beside it, which the sandbox does not show).
for f in off obj ply stla; do "$GENERA" "$f" 2000 "$LAVORO/sfera.${f%a}" sfera; done
"$PACCHETTI" "$LAVORO/sfera.off" "$LAVORO"   # m.glb, m.3mf and others
head -c 3000 /dev/urandom >"$LAVORO/rumore.stl"

verifica "GNOME's thumbnail factory: each format, and no preview of a bad file" \
  env XDG_DATA_DIRS=/usr/share XDG_CACHE_HOME="$LAVORO/cache" DISPLAY=:96 \
  /usr/bin/python3 "$(dirname "$0")/fabbrica.py" "$LAVORO"/sfera.{off,obj,ply,stl} \
  "$LAVORO"/m.{glb,3mf} "$LAVORO/rumore.stl"
fine
