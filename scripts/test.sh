#!/usr/bin/env bash
# Builds everything in the dev preset (debug, library assertions) and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --workflow --preset dev
