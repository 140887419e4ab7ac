#!/usr/bin/env bash
# Installs what is missing, builds what the program needs to run (the
# window, the command-line tool and its drawing helper, the bundled
# database, the help file; no tests, no benchmarks), and starts it with the
# bundled draws.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh loto6kermon loto6kermon-cli loto6kermon-render bundled_db loto6kermon_help
exec build/bin/loto6kermon "$@"
