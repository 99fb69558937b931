#!/usr/bin/env bash
# Opens every window, report preview and message of both programs under a
# virtual display and writes one PNG each into a folder (default ./gallery),
# plus a contact sheet of them all (index.png).
#   scripts/gallery.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-$root/gallery}")

bash scripts/install-deps.sh
missing=()
for p in xvfb xauth xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target quillmark skimwell qm_makecontrol
bin="$root/build-release/bin"

rm -rf "$out"
mkdir -p "$out"
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cd "$data"
"$bin/qm_makecontrol"

# One program at a time on a 1280x900 screen; each ends by itself when done.
shot() {
  local program=$1 title=$2
  QM_GALLERY="$out" timeout 600 xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    "$1" &
    pid=$!
    # The whole screen once the frame is up, as a user first sees it.
    if timeout 60 xdotool search --sync --onlyvisible --name "$2" >/dev/null 2>&1; then
      sleep 1
      import -window root "$3/$4-screen.png" || true
    fi
    wait $pid' _ "$bin/$program" "$title" "$out" "$program" || echo "$program ended with an error (exit $?)" >&2
}
shot quillmark "Quillmark Main Menu"
shot skimwell "Quillmark Multi-WebPage Reader"

# A contact sheet of everything, for a first look.
montage "$out"/*.png -tile 6x -geometry 320x240+6+6 -title "Quillmark windows" "$out/index.png" 2>/dev/null || true
echo "$(ls "$out" | wc -l) pictures in $out"
