#!/bin/sh
# Runs the cross-built test programs that need no OpenGL under Wine, then checks mgtool.exe:
# its info report against the Linux build's, and render and view without a display.
#   cmake/wine-test.sh WINDOWS_BUILD_DIR [LINUX_MGTOOL]
set -u
build=$(cd "$1" && pwd)
linux_tool=${2:-}
# a prefix of the build's own, no prompts for Mono or Gecko, no debug chatter, and the DLLs
# beside mgmesh.dll
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:$build"
unset DISPLAY
wine_version=$(wine --version 2>/dev/null)
arch=$(sed -n 's/^MGMESH_MINGW_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
wine wineboot.exe -i >/dev/null 2>&1

passed=0 failed=0 broken=""
for program in geometry model algorithms io multi regression threads; do
    exe="$build/tests/$program/tests_$program.exe"
    log="$build/tests/$program/wine.log"
    wine "$exe" --gtest_brief=1 >"$log" 2>&1
    status=$?
    ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log")
    bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log")
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
    if [ "$status" -ne 0 ] || [ -z "$ok" ]; then
        broken="$broken tests_$program"
        grep -A15 'Failure\|FAILED' "$log" | head -60
        [ -z "$bad" ] && failed=$((failed + 1)) # ended before its summary
    fi
    echo "tests_$program.exe: ${ok:-0} passed, ${bad:-0} failed (exit $status)"
done

tool="$build/tools/mgtool.exe"
model=examples/models/bracket.stl
# the report with the load time taken out, and Windows' line ends as Linux's
report() { sed -e 's/\r$//' -e 's/, loaded in [0-9.]* ms//'; }
tool_check() {
    if [ "$1" = ok ]; then passed=$((passed + 1)); else failed=$((failed + 1)) broken="$broken $2"; fi
    echo "mgtool.exe $2: $1"
}
wine "$tool" info "$model" | report >"$build/info.txt"
if [ -n "$linux_tool" ] && [ -x "$linux_tool" ]; then
    "$linux_tool" info "$model" | report >"$build/info-linux.txt"
    if diff -u "$build/info-linux.txt" "$build/info.txt"; then
        tool_check ok "info (as the Linux build prints it)"
    else
        tool_check differs "info (as the Linux build prints it)"
    fi
elif grep -q "444 facets" "$build/info.txt"; then
    tool_check ok "info"
else
    tool_check fails "info"
fi
cat "$build/info.txt"
# without a display Wine has no GL context and no window: a message and status 1, no crash
for command in "render $model -o $build/bracket.png" "view $model"; do
    wine "$tool" $command 2>"$build/command.err"
    status=$?
    if [ "$status" -eq 1 ] && grep -q '^mgtool: ' "$build/command.err"; then
        tool_check ok "${command%% *} without a display ($(cat "$build/command.err"))"
    else
        tool_check "exit $status" "${command%% *} without a display"
    fi
done

echo "windows ($arch, $wine_version): $passed passed, $failed failed"
[ -z "$broken" ] || { echo "failing:$broken"; exit 1; }
