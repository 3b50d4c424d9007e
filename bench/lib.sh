# Helpers shared by the benchmarks (sourced, not run).
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench_build=${BUILD_DIR:-$bench_root/build/win}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# median of the numbers given as arguments
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.1f\n", (v[NR/2]+v[NR/2+1])/2}'; }

# The figure a benchmark's ratios use: the fastest of its runs, or their median
# with BENCH_STAT=median. On a virtual machine that hands freed memory back to its
# host (virtio-balloon free page reporting), writing 1 GiB into fresh page cache
# now and then costs 3 s instead of 0.4 s, whatever program does it; the slow
# runs measure the host, the fastest the program.
figure() {
  if [ "${BENCH_STAT:-min}" = median ]; then median "$@"; else printf '%s\n' "$@" | sort -g | head -n 1; fi
}
figure_name() { if [ "${BENCH_STAT:-min}" = median ]; then echo medians; else echo fastest; fi; }

# ratio A B: A / B with two decimals
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f\n", a / b; else print "n/a" }'; }

# Unix path -> the Windows path Wine gives it
winpath() { echo "Z:${1//\//\\}"; }

# Builds the Windows targets named (configuring the preset when needed).
build_win() {
  ( cd "$bench_root"
    [ -f "$bench_build/CMakeCache.txt" ] || cmake --preset win >/dev/null
    cmake --build --preset win -j1 --target "$@" >/dev/null )
}

# Sets work to a scratch folder under BENCH_DIR (default /tmp), removed when the
# script ends (called in the script's own shell, not in $(...)).
bench_scratch() {
  work=$(mktemp -d "${BENCH_DIR:-/tmp}/bench-$1-XXXXXX")
  # shellcheck disable=SC2064
  trap "chmod -R u+w '$work' 2>/dev/null; rm -rf '$work'" EXIT
}

# What the numbers were measured on.
machine() {
  local cpu
  cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
  echo "${cpu:-unknown CPU}, $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(df -T "${BENCH_DIR:-/tmp}" | awk 'NR==2 {print $2}'), $(wine --version 2>/dev/null)"
}
