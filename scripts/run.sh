#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program with the bundled draws.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/bin/loto6kermon "$@"
