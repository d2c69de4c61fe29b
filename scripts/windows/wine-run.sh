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
# Offscreen, Qt's FreeType font database reads one folder: the Linux host's WenQuanYi Micro Hei and
# DejaVu, linked into one, stand in for the Windows fonts. WenQuanYi's line is one em high, as SimSun's
# (the pages are laid out for it); Noto CJK's is nearly half as high again, and labels would overlap.
fonts=$(dirname "$prefix")/wine-fonts-wqy
if [ ! -d "$fonts" ]; then
    mkdir -p "$fonts.tmp"
    for f in /usr/share/fonts/truetype/wqy/*.tt? /usr/share/fonts/truetype/dejavu/*.ttf; do
        [ -e "$f" ] && ln -sf "$f" "$fonts.tmp/"
    done
    mv "$fonts.tmp" "$fonts" 2>/dev/null || rm -rf "$fonts.tmp"
fi
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-$(printf 'Z:%s' "$fonts" | tr / '\\')}
# Qt's messages and the test logs go to stderr and stdout, not to the debugger.
export QT_FORCE_STDERR_LOGGING=1
# Wine hands a Windows program no variable named QT_...; it hands WINEQT_... on under the name QT_....
while IFS='=' read -r name _; do
    export "WINE$name=${!name}"
done < <(env | grep -E '^QT_[A-Za-z0-9_]*=')
# Command lines and file names pass between Linux and Windows as UTF-8.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
runtime=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | head -n 1)
export WINEPATH="$(winpath "$prefix/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"
exec wine "$@"
