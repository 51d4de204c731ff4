#!/usr/bin/env bash
# The AI race table: on every racing configuration of every site, two races
# of 20 of the program's AI drivers over 3 laps, one in mixed cars of one
# class (the classes taken in turn) and one in twenty different cars. Each
# race must see every car finish, no car stand for 10 s or more and no more
# than 2 % of the distance driven outside the road's outer limits; the
# contacts between cars are reported. Built and run optimised.
#   scripts/ai_race_table.sh [more headless_race options, e.g. --skill 2]
# Exit code 0 when every race passed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/setup.sh"
qv_build "$here/build" Release OFF headless_race mkdata
game="$here/build/ai-race-game"
qv_make_data "$here/build" "$game"
program="$here/build/bin/headless_race"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The classes of cars raced together, by short code.
classes=("WQG,VOG,VOT,JB4,HLO,SN4,SN6,DY1,ZEB,QP5" "WQR,DYR,HLU,VOQ,QPZ" "GEX,GQ8,KTA,NQ1")
every_car="WQG,VOG,VOT,JB4,HLO,SN4,SN6,YAS,DY1,ZEB,QP5,GEX,WQR,DYR,GQ8,HLU,VOQ,QPZ,NQ1,KTA"

# One race in its own copy of the data folder; prints its table line.
run_race() {
  local site="$1" config="$2" kind="$3" cars="$4"
  local folder="$work/$site-$config-$kind"
  cp -r "$game" "$folder"
  local out rc=0
  out="$("$program" "$folder" 100 20 3 900 "$site" "$config" --ai --cars "$cars" $extra)" || rc=$?
  rm -rf "$folder"
  [ "$rc" -eq 3 ] && return 0
  local line
  line="$(grep '^figures finishers' <<<"$out" || echo "figures finishers 0 of 20 stuck 0 s car -1 outside 0 % of 0 m contacts 0")"
  awk -v site="$site" -v config="$config" -v kind="$kind" -v rc="$rc" '{
      finishers = $3; stuck = $7; car = $10; outside = $12; metres = $15; contacts = $18
      ok = (rc == 0 && finishers == 20 && stuck < 10 && outside < 2) ? "pass" : "FAIL"
      printf "site %d config %d %-6s finishers %2d/20 stuck %6.2f s (car %2d) outside %6.3f %% contacts %4d  %s\n",
             site, config, kind, finishers, stuck, car, outside, contacts, ok
    }' <<<"$line"
}

started=$SECONDS
races=()
for site in 0 1 2 3 4 5 6; do
  for config in 1 2 3 4 5 6 7; do
    races+=("$site" "$config" class "${classes[$(( (site + config) % ${#classes[@]} ))]}")
    races+=("$site" "$config" mixed "$every_car")
  done
done
extra="$*"
export -f run_race
export program game work extra
results="$(printf '%s\n' "${races[@]}" | xargs -P "$(qv_jobs)" -n 4 bash -c 'run_race "$@"' run_race |
  sort -k2,2n -k4,4n -k5,5)"
echo "$results"
echo "$(grep -c . <<<"$results") races in $(( SECONDS - started )) s"
! grep -q FAIL <<<"$results"
