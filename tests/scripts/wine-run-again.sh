#!/usr/bin/env bash
# scripts/wine-run with stand-ins for wine, wineserver and Xvfb: a run whose
# Wine dies by SIGSEGV is made once more, on a display and prefix of its own,
# and a second death is the run's result.
set -u
wine_run=${1:?usage: wine-run-again.sh scripts/wine-run}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/root/template"
echo 3 >"$work/root/template/.ready"
touch "$work/Program.exe"

# wine: one line per start (display and prefix), then dies as $work/plan says.
cat >"$work/bin/wine" <<'SH'
#!/usr/bin/env bash
echo "$DISPLAY $WINEPREFIX" >>"$FAKE/starts"
n=$(wc -l <"$FAKE/starts")
[ "$(sed -n "${n}p" "$FAKE/plan")" = segv ] && kill -SEGV $$
exit 7
SH
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wineserver"
# Xvfb: a new display number per start on the descriptor it is given.
cat >"$work/bin/Xvfb" <<'SH'
#!/usr/bin/env bash
echo $(( $(ls "$FAKE"/display.* 2>/dev/null | wc -l) + 50 )) >&3
touch "$FAKE/display.$$"
exec 3>&-
exec sleep 30
SH
chmod +x "$work/bin/"*

run() {
  printf '%s\n' "$@" >"$work/plan"
  rm -f "$work/starts" "$work"/display.*
  env -u DISPLAY -u WINE_RUN_PREFIX -u WINE_RUN_AGAIN PATH="$work/bin:$PATH" FAKE="$work" \
    WINE_RUN_ROOT="$work/root" "$wine_run" "$work/Program.exe" 2>"$work/err"
}

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

run segv ok; status=$?
check "one death, then the program's own status" '[ $status = 7 ]'
check "two starts" '[ "$(wc -l <"$work/starts")" = 2 ]'
check "the second on a display of its own" '[ "$(cut -d" " -f1 "$work/starts" | sort -u | wc -l)" = 2 ]'
check "and in a prefix of its own" '[ "$(cut -d" " -f2 "$work/starts" | sort -u | wc -l)" = 2 ]'
check "said on stderr" 'grep -q "Wine died by SIGSEGV" "$work/err"'

run segv segv segv; status=$?
check "a second death is the result" '[ $status = 139 ] && [ "$(wc -l <"$work/starts")" = 2 ]'

run ok; status=$?
check "a plain run starts once" '[ $status = 7 ] && [ "$(wc -l <"$work/starts")" = 1 ]'
exit $fail
