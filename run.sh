#!/usr/bin/env bash
# Installs what is missing, builds, makes the default data folder and starts
# Quorvan. Options pass to the program: ./run.sh /host=Test /dedicated=nogfx
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/setup.sh"
qv_install_packages
qv_build "$here/build" Release OFF quorvan mkdata
qv_make_data "$here/build" "$here/game"
cd "$here/game"
exec "$here/build/bin/quorvan" "$@"
