#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: wine-run.sh PREFIX PROGRAM [ARGUMENTS...], where
# PREFIX holds the Windows libraries (their DLLs in PREFIX/bin). It is the test suite's
# CMAKE_CROSSCOMPILING_EMULATOR: no display, Qt's offscreen platform, a Wine prefix of its own.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=${WINEPREFIX:-$(dirname "$prefix")/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
unset DISPLAY WAYLAND_DISPLAY
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
runtime=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | head -n 1)
export WINEPATH="$(winpath "$prefix/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"
exec wine "$@"
