#!/usr/bin/env bash
# fabbrica.sh DIR EXPORT PACCHETTI: the .deb that scripts/package made in DIR,
# installed on this machine as a user would (GNOME's factory runs the
# thumbnailer in a sandbox that shows only /usr), then previews of a file in
# each format and of a bad file through the factory itself, with a DISPLAY
# that nothing answers. The package is removed again unless it was
# installed before.
source "$(dirname "$0")/lib.sh"
DEB="$(cat "$1/deb.txt")" EXPORT="$2" PACCHETTI="$3"
LAVORO="$(mktemp -d)"
chmod 755 "$LAVORO"
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq -y)
prima="$(dpkg-query -W -f='${Status}' superficie 2>/dev/null || true)"
togli() {
  [[ "$prima" == *"install ok installed"* ]] || "${apt[@]}" remove superficie >/dev/null
  rm -rf "$LAVORO"
}
trap togli EXIT
"${apt[@]}" install --no-install-recommends "$DEB" >/dev/null

verifica "bubblewrap, the factory's sandbox, is there" [ -x /usr/bin/bwrap ]
verifica "the package's thumbnailer is installed, naming /usr/bin/superficie" \
  [ -f /usr/share/thumbnailers/superficie.thumbnailer -a -x /usr/bin/superficie ]

"$EXPORT" "$LAVORO/superficie.off"
"$EXPORT" --obj "$LAVORO/superficie.obj"
# A cube, its six faces as triangles, in ASCII PLY and STL.
angoli=(-1,-1,-1 1,-1,-1 1,1,-1 -1,1,-1 -1,-1,1 1,-1,1 1,1,1 -1,1,1)
triangoli=(0,2,1 0,3,2 4,5,6 4,6,7 0,1,5 0,5,4 1,2,6 1,6,5 2,3,7 2,7,6 3,0,4 3,4,7)
{
  printf 'ply\nformat ascii 1.0\nelement vertex 8\nproperty float x\nproperty float y\n'
  printf 'property float z\nelement face 12\nproperty list uchar int vertex_indices\nend_header\n'
  for a in "${angoli[@]}"; do echo "${a//,/ }"; done
  for t in "${triangoli[@]}"; do echo "3 ${t//,/ }"; done
} >"$LAVORO/cubo.ply"
{
  echo "solid cubo"
  for t in "${triangoli[@]}"; do
    printf 'facet normal 0 0 0\nouter loop\n'
    for i in ${t//,/ }; do echo "vertex ${angoli[$i]//,/ }"; done
    printf 'endloop\nendfacet\n'
  done
  echo "endsolid cubo"
} >"$LAVORO/cubo.stl"
# The surface again as GLB and 3MF (the .gltf's buffer is a file beside it,
# which the sandbox does not show).
mkdir "$LAVORO/pacchetti"
"$PACCHETTI" "$LAVORO/superficie.off" "$LAVORO/pacchetti"
cp "$LAVORO/pacchetti/m.glb" "$LAVORO/superficie.glb"
cp "$LAVORO/pacchetti/m.3mf" "$LAVORO/superficie.3mf"
head -c 3000 /dev/urandom >"$LAVORO/rumore.stl"

verifica "GNOME's thumbnail factory: each format, and no preview of a bad file" \
  env XDG_DATA_DIRS=/usr/share XDG_CACHE_HOME="$LAVORO/cache" DISPLAY=:96 \
  /usr/bin/python3 "$(dirname "$0")/fabbrica.py" "$LAVORO/cache/thumbnails/" \
  "$LAVORO/superficie.off" "$LAVORO/superficie.obj" "$LAVORO/cubo.ply" "$LAVORO/cubo.stl" \
  "$LAVORO/superficie.glb" "$LAVORO/superficie.3mf" "$LAVORO/rumore.stl"
fine
