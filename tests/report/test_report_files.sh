#!/usr/bin/env bash
# Every kind of report of two years, compared byte for byte with the files
# under expected/: the demo year (as the demo tool writes it), the hand-made
# year in hand_year/, and both side by side as year folders. Each is run
# under the C locale and under a Japanese UTF-8 one, which must not change a
# byte. A changed figure shows as a diff. Then the statuses as the process
# gives them to a shell.
#
#   test_report_files.sh REPORT DEMO_DATA
#
# With TAMREL_UPDATE_REFERENCES=1 the expected files are written instead,
# for a change of figures that is meant; review the diff before committing.
set -euo pipefail

report=$(readlink -f "$1")
demo_data=$(readlink -f "$2")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A locale that is missing falls back to C without a word, which would make
# the second run prove nothing.
japanese=ja_JP.UTF-8
locale -a | grep -qix 'ja_JP\.utf-\?8' || {
  echo "FAIL: the $japanese locale is not installed (scripts/setup-deps.sh makes it)" >&2
  exit 1
}

"$demo_data" "$work/demo" >/dev/null
declare -A dirs=([demo]="$work/demo" [hand]="$here/hand_year")

# Reference name, then the arguments.
cases=(
  "months|months"
  "bettypes|bettypes"
  "days|days"
  "days_3-31_4-1|--from 3/31 --to 4/1 days"
  "trend|trend"
  "trend_3-31_4-1|--from 3/31 --to 4/1 trend"
  "trend_no_racing|--from 5/1 --to 5/31 trend"
  "tickets|tickets"
  "tickets_3-31_4-1|--from 3/31 --to 4/1 tickets"
  "cross_bettype_racecourse|cross:bettype:racecourse"
  "cross_racecourse_race|cross:racecourse:race"
  "cross_class_weekday_3-31_4-1|--from 3/31 --to 4/1 cross:class:weekday"
  "category_racecourse_3-31_4-1|--from=3/31 --to=4/1 category:racecourse"
  "benchmark|benchmark"
  "benchmark_racecourse|benchmark:racecourse"
  "benchmark_race_3-31_4-1|--from 3/31 --to 4/1 benchmark:race"
  "income|income"
  "income_3-31_4-1|--from 3/31 --to 4/1 income"
  "budget|--year 2025 --limit-setsu 5000 --limit-month=20000 --limit-year 100000 budget"
  "budget_no_limit|--year 2025 budget"
  "daybets|daybets"
  "daybets_3-31_4-1|--from 3/31 --to 4/1 daybets"
)
for key in racecourse race weekday surface distance class age condition runners bettype; do
  cases+=("category_$key|category:$key")
done

for year in demo hand; do
  for entry in "${cases[@]}"; do
    name=${entry%%|*}
    read -r -a args <<<"${entry#*|}"
    expected="$here/expected/$year/$name.csv"
    for loc in C "$japanese"; do
      out="$work/out.csv"
      code=0
      (cd "$work" && env LANG="$loc" LC_ALL="$loc" "$report" --dir "${dirs[$year]}" "${args[@]}" \
        >"$out" 2>"$work/err") || code=$?
      [ "$code" -eq 0 ] || fail "$year $name ($loc): exit status $code: $(cat "$work/err")"
      [ -s "$work/err" ] && fail "$year $name ($loc): messages: $(cat "$work/err")"
      if [ "${TAMREL_UPDATE_REFERENCES:-}" = 1 ]; then
        mkdir -p "$(dirname "$expected")"
        cp "$out" "$expected"
      elif ! cmp -s "$out" "$expected"; then
        fail "$year $name ($loc) differs from $expected:"
        diff "$expected" "$out" >&2 || true
      fi
    done
  done
done

# The year folders of a parent: both years, and one that does not load.
parent="$work/parent"
mkdir -p "$parent/broken"
ln -s "$work/demo" "$parent/demo"
ln -s "$here/hand_year" "$parent/hand"
head -c 2000 "$here/hand_year/tosidata.dat" >"$parent/broken/tosidata.dat"
cp "$here/hand_year/info.dat" "$parent/broken/info.dat"
for loc in C "$japanese"; do
  code=0
  env LANG="$loc" LC_ALL="$loc" "$report" --dir "$parent" years >"$work/out.csv" 2>"$work/err" ||
    code=$?
  [ "$code" -eq 0 ] || fail "years ($loc): exit status $code: $(cat "$work/err")"
  if [ "${TAMREL_UPDATE_REFERENCES:-}" = 1 ]; then
    cp "$work/out.csv" "$here/expected/years.csv"
  elif ! cmp -s "$work/out.csv" "$here/expected/years.csv"; then
    fail "years ($loc) differs from $here/expected/years.csv:"
    diff "$here/expected/years.csv" "$work/out.csv" >&2 || true
  fi
done

# The process's own statuses: what the command decides reaches the shell, and
# a report that cannot be written out is no success.
status_of() {
  local code=0
  "$report" "$@" >"$work/out" 2>"$work/err" || code=$?
  echo "$code"
}
[ "$(status_of --dir "$work/nowhere" months)" = 3 ] || fail "a missing folder is not status 3"
[ -s "$work/out" ] && fail "a missing folder wrote to stdout"
grep -q "$work/nowhere/tosidata.dat" "$work/err" || fail "a missing folder: the path is not said"
[ "$(status_of --dir "$work/demo" monthly)" = 2 ] || fail "an unknown kind is not status 2"
code=0
"$report" --dir "$work/demo" tickets >/dev/full 2>"$work/err" || code=$?
[ "$code" = 1 ] || fail "a full disk is status $code, not 1"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "every report of both years as expected, in both locales"
