#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that the installed copy works like the build's:
# it starts, finds its templates and samples, and its menu entry and metainfo are valid.
# Usage: test_install.sh BUILD_DIR WORKDIR
set -u
build=$1
work=$2
prefix=$work/prefix
failures=0
passes=0
check() { if ! eval "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); else echo "PASS: $1"; passes=$((passes + 1)); fi; }

rm -rf "$work" && mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1
check "cmake --install succeeds" "[ $? -eq 0 ]"
check "the program is installed" "[ -x '$prefix/bin/pelorin' ]"
check "no template lies beside the installed program" "[ ! -e '$prefix/bin/export.xls' ]"
check "the templates are installed" "[ -s '$prefix/share/pelorin/export.xls' ] && [ -s '$prefix/share/pelorin/export.xlsx' ] && [ -s '$prefix/share/pelorin/tasks.xls' ] && [ -s '$prefix/share/pelorin/tasks.xlsx' ]"
check "icons in the hicolor theme" "[ -s '$prefix/share/icons/hicolor/scalable/apps/org.pelorin.Pelorin.svg' ] && [ -s '$prefix/share/icons/hicolor/48x48/apps/org.pelorin.Pelorin.png' ] && [ -s '$prefix/share/icons/hicolor/256x256/apps/org.pelorin.Pelorin.png' ]"
if command -v desktop-file-validate >/dev/null; then
    check "the menu entry is valid" "desktop-file-validate '$prefix/share/applications/org.pelorin.Pelorin.desktop'"
fi
if command -v appstreamcli >/dev/null; then
    check "the metainfo is valid" "appstreamcli validate --no-net '$prefix/share/metainfo/org.pelorin.Pelorin.metainfo.xml' >/dev/null"
fi
"$prefix/bin/pelorin" --screenshot "$work/installed.png" >/dev/null 2>&1
check "the installed copy draws its window" "[ -s '$work/installed.png' ]"
"$prefix/bin/pelorin" --demo "$work/demo" >"$work/demo.txt" 2>&1
check "the installed copy finds its templates and samples" "[ $? -eq 0 ] && [ \$(ls '$work/demo' | grep -c '摇号导出') -eq 2 ] && ls '$work/demo' | grep -q '^检查任务分配表_'"
echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
