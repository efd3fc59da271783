#!/usr/bin/env bash
# Renders the README's picture: scenery-map's drawing of four landblocks of
# the demo world (A8B3-A9B4, dropped objects included), converted to
# docs/demo-map.png. Builds the release preset (or the build folder named by
# BUILD_DIR) and installs the SVG converter when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/release}

scripts/install-deps.sh librsvg2-bin
cmake --preset release -B "$build"
cmake --build "$build" -j2 --target quillmere-mkworld scenery-map

world=$build/demo-world
"$build/apps/quillmere-tools/quillmere-mkworld/quillmere-mkworld" --out "$world" --profile demo --seed 1
"$build/apps/quillmere-tools/scenery-map/scenery-map" --portal "$world/client_portal.dat" \
  --cell "$world/client_cell_1.dat" --landblocks A8B3-A9B4 --drops --out "$build/demo-map.svg"
mkdir -p docs
rsvg-convert --width 900 "$build/demo-map.svg" --output docs/demo-map.png
echo "wrote docs/demo-map.png" >&2
