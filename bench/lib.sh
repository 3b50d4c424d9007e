# Helpers shared by the benchmarks (sourced, not run).
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench_build=${BUILD_DIR:-$bench_root/build/win}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# median of the numbers given as arguments
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.1f\n", (v[NR/2]+v[NR/2+1])/2}'; }

# The benchmarks compare two programs in pairs: the two sides run in turn
# (A B A B ...), each pair under the same conditions, and what they report is
# the median of the pairwise ratios with their spread. This machine's speed
# drifts by a factor of three between minutes; two runs next to each other
# see the same machine, two batches a minute apart do not (bench/README.md).
pairs=${BENCH_PAIRS:-7}

# pair_ratios "A1 A2 ..." "B1 B2 ...": "median min max" of A_i / B_i.
# shellcheck disable=SC2086
pair_ratios() {
  paste <(printf '%s\n' $1) <(printf '%s\n' $2) |
    awk '$2 > 0 {print $1 / $2}' | sort -g |
    awk '{v[NR] = $1} END {
      if (NR == 0) { print "n/a n/a n/a"; exit }
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.2f %.2f %.2f\n", m, v[1], v[NR] }'
}

# report NAME "A..." "B...": one result line, "NAME  median  min-max"; bench/all
# reads these lines.
report() {
  local r
  r=$(pair_ratios "$2" "$3")
  # shellcheck disable=SC2086
  printf '%-48s %s  %s-%s\n' "$1" $r
}

# Unix path -> the Windows path Wine gives it
winpath() { echo "Z:${1//\//\\}"; }

# Builds the Windows targets named in the build tree measured (the win
# preset's, configured when needed, or BUILD_DIR's).
build_win() {
  ( cd "$bench_root"
    [ -f "$bench_build/CMakeCache.txt" ] || cmake --preset win >/dev/null
    cmake --build "$bench_build" -j1 --target "$@" >/dev/null )
}

# This virtual machine's balloon driver hands memory freed in the guest back to
# its host at once (free page reporting, min_free_ms 0); whichever process next
# writes a gigabyte into that memory pays the host's faults, up to 7 times the
# copy's own cost, and which side of a round that is, is chance (bench/README.md).
# While a benchmark runs, only memory free for BENCH_REPORT_AFTER_MS (default
# 10000) is handed back; the setting is put back when the script ends.
# BENCH_REPORT_AFTER_MS=keep leaves the machine as it is.
reporting=/sys/module/page_reporting/parameters/min_free_ms
hold_free_memory() {
  local after=${BENCH_REPORT_AFTER_MS:-10000}
  reporting_was=
  [ "$after" = keep ] && return
  if [ -w "$reporting" ] && reporting_was=$(cat "$reporting") && echo "$after" > "$reporting" 2>/dev/null; then
    echo "$1: free memory handed back to the host after ${after} ms during the run (was ${reporting_was} ms)"
  else
    reporting_was=
  fi
}
# What the machine line says about it (outside a run, the setting is the machine's own).
reporting_state() {
  local after=${BENCH_REPORT_AFTER_MS:-10000}
  if [ ! -r "$reporting" ]; then echo "no free page reporting setting"
  elif [ "$after" = keep ] || [ ! -w "$reporting" ]; then echo "freed memory reported after $(cat "$reporting") ms"
  else echo "freed memory reported after $after ms during the runs ($(cat "$reporting") ms otherwise)"; fi
}

# Sets work to a scratch folder under BENCH_DIR (default /tmp), removed when the
# script ends (called in the script's own shell, not in $(...)), and holds
# freed memory in the guest meanwhile. A script that must end something first
# (a server it started) sets bench_before_exit.
bench_scratch() {
  work=$(mktemp -d "${BENCH_DIR:-/tmp}/bench-$1-XXXXXX")
  trap bench_finish EXIT
  hold_free_memory "$1"
}
bench_finish() {
  if [ -n "${bench_before_exit:-}" ]; then eval "$bench_before_exit"; fi
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
  if [ -n "${reporting_was:-}" ]; then echo "$reporting_was" > "$reporting"; fi
}

# What the numbers were measured on.
machine() {
  local cpu
  cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
  echo "${cpu:-unknown CPU}, $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(df -T "${BENCH_DIR:-/tmp}" | awk 'NR==2 {print $2}'), $(wine --version 2>/dev/null), $(reporting_state)"
}
