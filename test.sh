#!/usr/bin/env bash
# Installs what is missing, builds the program and benchmarks optimised and
# the tests under the sanitizers, makes the default data folder, then runs
# every test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/scripts/setup.sh"
qv_install_packages
qv_build "$here/build" Release OFF quorvan mkdata benchmarks headless_race
qv_make_data "$here/build" "$here/game"
qv_build "$here/build-test" RelWithDebInfo ON all
cd "$here/build-test"
# The headless race test compares the race of both builds.
export QV_OTHER_HEADLESS_RACE="$here/build/bin/headless_race"
ctest --output-on-failure -j "$(qv_jobs)" --timeout 900 "$@"
