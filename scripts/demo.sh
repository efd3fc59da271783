#!/usr/bin/env bash
# The main job: builds the release preset, writes the demo world into
# build/release/demo-world and runs scenery-bake-determinism on it (run files
# in build/release/demo-out). The report ends with the verdict.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target demo
