#!/usr/bin/env bash
# Builds Pelorin for 64-bit Windows on this Debian 12 machine and packages it into dist/:
#   Pelorin-<version>-win64.zip        a folder that runs where it is unpacked
#   Pelorin-<version>-win64-setup.exe  an installer (NSIS), silent with /S
#
#   ./scripts/windows.sh          the whole road: toolchain, dependencies, Pelorin, both packages
#   ./scripts/windows.sh --deps   only the toolchain and the Windows libraries
#   ./scripts/windows.sh --test   cross-builds the test suite and runs it under Wine
#
# The Windows libraries (Qt, QuaZip, pugixml, libsodium, SQLite, zlib, libdeflate) are built once from Debian's
# source packages into ~/.cache/pelorin-windows/deps-<key>/, the key taken from their versions, the
# compiler's and this recipe's; a later run with the same versions reuses them. A library that no other one
# is built against (libdeflate) is left out of the key and marked with its own version instead, so that
# adding or updating it builds it alone.
# Everything big runs under nice with at most two jobs: the machine is shared.
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
MODE=all
case "${1:-}" in
    "") ;;
    --deps) MODE=deps ;;
    --test) MODE=test ;;
    *) echo "usage: $0 [--deps|--test]" >&2; exit 2 ;;
esac

JOBS=2
NICE=(nice -n 15)
CACHE=${PELORIN_WIN_CACHE:-$HOME/.cache/pelorin-windows}
# Bump when the way a library is built below changes: every library is then built anew.
RECIPE=1
MINGW=x86_64-w64-mingw32
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake

STARTED=$SECONDS
TIMINGS=()
stage_begin() { STAGE_NAME=$1; STAGE_START=$SECONDS; echo "== $1"; }
stage_end() {
    local took=$((SECONDS - STAGE_START))
    TIMINGS+=("$(printf '%-28s %4dm%02ds' "$STAGE_NAME" $((took / 60)) $((took % 60)))")
    echo "== $STAGE_NAME: $((took / 60))m$((took % 60))s"
}
print_timings() {
    echo
    echo "Stages:"
    printf '  %s\n' "${TIMINGS[@]}"
    local total=$((SECONDS - STARTED))
    echo "  total                        $((total / 60))m$((total % 60))s"
}
die() { echo "windows.sh: $*" >&2; exit 1; }

# --- packages ------------------------------------------------------------------------------------
install_packages() {
    local wanted=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        wine wine64 nsis dpkg-dev tcl xz-utils autoconf automake libtool bzip2 zip unzip make cmake ninja-build pkg-config
        librsvg2-bin fonts-wqy-microhei python3 python3-openpyxl python3-xlrd)
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    # The host's own build: its Qt tools (moc, rcc, uic) serve the cross build, and its pelorin checks records.
    ./scripts/deps.sh
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# A deb-src entry for every deb entry of the machine's own sources, so that apt-get source works.
enable_sources() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    local changed=0
    local list=/etc/apt/sources.list.d/pelorin-windows-src.sources
    if [ ! -e "$list" ] && ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1 \
        && grep -qs '^Types:.*\bdeb\b' /etc/apt/sources.list.d/*.sources \
        && ! grep -qs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources; then
        for f in /etc/apt/sources.list.d/*.sources; do
            [ "$f" = "$list" ] && continue
            sed -e 's/^Types:.*/Types: deb-src/' "$f"
            echo
        done | $sudo tee "$list" >/dev/null
        changed=1
    fi
    local legacy=/etc/apt/sources.list.d/pelorin-windows-src.list
    if [ ! -e "$legacy" ] && [ -s /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list \
        && ! grep -q '^deb-src ' /etc/apt/sources.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$legacy" >/dev/null
        changed=1
    fi
    if [ $changed -eq 1 ] || ! apt-cache showsrc zlib 2>/dev/null | grep -q '^Version:'; then
        $sudo apt-get update -qq
    fi
}

# Fetches one source package into $CACHE/sources/<package>/, the newest version that the archive
# still serves, and prints that version.
# QuaZip comes from libquazip1-qt5: the same upstream release as libquazip1-qt6, built here for Qt 6;
# the archive serves no source of libquazip1-qt6, qt6-svg or qt6-5compat.
SOURCE_PACKAGES=(zlib sqlite3 qt6-base libquazip1-qt5 pugixml libsodium libdeflate)
LEAF_PACKAGES=(libdeflate)
is_leaf() { [[ " ${LEAF_PACKAGES[*]} " == *" $1 "* ]]; }
declare -A SOURCE_VERSION MISSING_SOURCE
fetch_source() {
    local pkg=$1 dir=$CACHE/sources/$1
    mkdir -p "$dir"
    local versions
    versions=$(apt-cache showsrc --only-source "$pkg" | sed -n 's/^Version: //p' | sort -rV | uniq)
    [ -n "$versions" ] || die "no source package $pkg"
    local v plain
    for v in $versions; do
        plain=${v#*:}
        if [ -s "$dir/${pkg}_${plain}.dsc" ] && [ -e "$dir/${pkg}_${plain}.ok" ]; then
            SOURCE_VERSION[$pkg]=$plain
            return 0
        fi
        if (cd "$dir" && apt-get source -qq --download-only "$pkg=$v" >/dev/null 2>"$dir/fetch.log"); then
            touch "$dir/${pkg}_${plain}.ok"
            SOURCE_VERSION[$pkg]=$plain
            return 0
        fi
        echo "  $pkg $plain: not served ($(grep -o '[0-9][0-9][0-9] [A-Za-z ]*' "$dir/fetch.log" | head -n 1))"
    done
    # Left for the step that needs it, so that the libraries before it are built meanwhile.
    SOURCE_VERSION[$pkg]=$(echo "$versions" | head -n 1)
    SOURCE_VERSION[$pkg]=${SOURCE_VERSION[$pkg]#*:}
    MISSING_SOURCE[$pkg]=1
}

# Unpacks a fetched source package (Debian's patches applied) into $WORK/<package>/ and prints that path.
unpack_source() {
    local pkg=$1 ver=${SOURCE_VERSION[$1]}
    [ -z "${MISSING_SOURCE[$pkg]:-}" ] || die "the archive did not serve the source of $pkg $ver (see $CACHE/sources/$pkg/fetch.log); run again later"
    local out=$WORK/$pkg
    rm -rf "$out"
    mkdir -p "$WORK"
    dpkg-source --no-check -q -x "$CACHE/sources/$pkg/${pkg}_${ver}.dsc" "$out" >/dev/null
    echo "$out"
}

done_mark() { [ -e "$PREFIX/.built-$1" ]; }
mark_done() { touch "$PREFIX/.built-$1"; }

# --- the Windows libraries -----------------------------------------------------------------------
build_zlib() {
    local src
    src=$(unpack_source zlib)
    # A static libz.a from the library's own sources (Debian's tarball has no Windows makefile).
    (cd "$src" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
        inflate inftrees trees uncompr zutil; do
        "${NICE[@]}" $MINGW-gcc-posix -O2 -DNDEBUG -c $c.c -o $c.o || exit 1
    done && $MINGW-ar rcs libz.a ./*.o)
    install -m 644 "$src/libz.a" "$PREFIX/lib/"
    install -m 644 "$src/zlib.h" "$src/zconf.h" "$PREFIX/include/"
}

build_sqlite() {
    local src
    src=$(unpack_source sqlite3)
    # The amalgamation is generated on the build machine, then compiled for Windows.
    mkdir -p "$src/host"
    (cd "$src/host" && ../configure --disable-tcl -q >/dev/null && "${NICE[@]}" make -s sqlite3.c >/dev/null)
    (cd "$src/host" && "${NICE[@]}" $MINGW-gcc-posix -O2 -DNDEBUG -DSQLITE_THREADSAFE=1 \
        -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOAD_EXTENSION \
        -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -c sqlite3.c -o sqlite3.o \
        && $MINGW-ar rcs libsqlite3.a sqlite3.o)
    install -m 644 "$src/host/libsqlite3.a" "$PREFIX/lib/"
    install -m 644 "$src/host/sqlite3.h" "$src/host/sqlite3ext.h" "$PREFIX/include/"
}

build_qtbase() {
    local src
    src=$(unpack_source qt6-base)
    local build=$WORK/qtbase-build
    rm -rf "$build" && mkdir -p "$build"
    # Only what Pelorin uses: Core, Gui, Widgets, Sql with SQLite, Test; the windows and offscreen
    # platform plugins and the styles. Debian's tarball has no SQLite and no Wintab header.
    (cd "$build" && "${NICE[@]}" "$src/configure" -prefix "$PREFIX" -release -shared \
        -xplatform win32-g++ -qt-host-path /usr \
        -nomake examples -nomake tests -nomake benchmarks -nomake manual-tests -nomake minimal-static-tests \
        -no-opengl -no-feature-vulkan -no-feature-tabletevent -no-dbus \
        -no-feature-network -no-feature-concurrent -no-feature-printsupport -no-feature-xml \
        -no-feature-sql-odbc -no-feature-sql-psql -no-feature-sql-mysql -no-feature-sql-ibase \
        -no-feature-sql-oci -no-feature-sql-db2 -sql-sqlite -system-sqlite \
        -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
        -- -G Ninja \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DPELORIN_WIN_PREFIX="$PREFIX" \
        -DSQLite3_INCLUDE_DIR="$PREFIX/include" -DSQLite3_LIBRARY="$PREFIX/lib/libsqlite3.a" \
        >"$WORK/qtbase-configure.log" 2>&1) || { tail -n 40 "$WORK/qtbase-configure.log"; die "Qt's configure failed"; }
    (cd "$build" && "${NICE[@]}" cmake --build . --parallel $JOBS >"$WORK/qtbase-build.log" 2>&1) \
        || { tail -n 40 "$WORK/qtbase-build.log"; die "building qtbase failed (log: $WORK/qtbase-build.log)"; }
    (cd "$build" && cmake --install . >/dev/null)
}

build_cmake_lib() { # name source-dir extra-args...
    local name=$1 src=$2
    shift 2
    local build=$WORK/$name-build
    rm -rf "$build" && mkdir -p "$build"
    ("${NICE[@]}" cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DPELORIN_WIN_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@" >"$WORK/$name.log" 2>&1 \
        && "${NICE[@]}" cmake --build "$build" --parallel $JOBS >>"$WORK/$name.log" 2>&1 \
        && cmake --install "$build" >/dev/null) || { tail -n 40 "$WORK/$name.log"; die "building $name failed"; }
}

build_pugixml() {
    local src
    src=$(unpack_source pugixml)
    build_cmake_lib pugixml "$src" -DPUGIXML_BUILD_TESTS=OFF
}

build_quazip() {
    local src
    src=$(unpack_source libquazip1-qt5)
    # QuaZip asks Qt 6 for Core5Compat, only for QTextCodec: a small stand-in takes its place.
    install -D -m 644 "$ROOT/scripts/windows/QTextCodec" "$PREFIX/include/QtCore5Compat/QTextCodec"
    sed -i -e 's/ Core5Compat//' -e 's/ Qt6::Core5Compat//' "$src/CMakeLists.txt" "$src/quazip/QuaZipConfig.cmake.in"
    build_cmake_lib quazip "$src" -DQUAZIP_QT_MAJOR_VERSION=6 -DQUAZIP_BZIP2=OFF -DQUAZIP_ENABLE_TESTS=OFF \
        -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"
}

build_deflate() {
    local src
    src=$(unpack_source libdeflate)
    # Its own makefile knows the MinGW compiler; only the static library is kept, under the name the linker looks for.
    (cd "$src" && "${NICE[@]}" make -s -j$JOBS CC=$MINGW-gcc-posix AR=$MINGW-ar libdeflatestatic.lib \
        >"$WORK/deflate.log" 2>&1) || { tail -n 40 "$WORK/deflate.log"; die "building libdeflate failed"; }
    install -m 644 "$src/libdeflatestatic.lib" "$PREFIX/lib/libdeflate.a"
    install -m 644 "$src/libdeflate.h" "$PREFIX/include/"
    mkdir -p "$PREFIX/lib/pkgconfig"
    printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: libdeflate\nDescription: %s\nVersion: %s\nLibs: -L${libdir} -ldeflate\nCflags: -I${includedir}\n' \
        "$PREFIX" "whole-buffer DEFLATE and CRC-32" "${SOURCE_VERSION[libdeflate]%%-*}" >"$PREFIX/lib/pkgconfig/libdeflate.pc"
}

build_sodium() {
    local src
    src=$(unpack_source libsodium)
    # Debian's tarball carries no configure script: autoreconf makes it.
    (cd "$src" && "${NICE[@]}" autoreconf -fi >"$WORK/sodium.log" 2>&1 && "${NICE[@]}" ./configure -q --host=$MINGW --prefix="$PREFIX" --disable-shared --enable-static \
        CC=$MINGW-gcc-posix >>"$WORK/sodium.log" 2>&1 \
        && "${NICE[@]}" make -s -j$JOBS >>"$WORK/sodium.log" 2>&1 && make -s install >>"$WORK/sodium.log" 2>&1) \
        || { tail -n 40 "$WORK/sodium.log"; die "building libsodium failed"; }
}

build_dependencies() {
    stage_begin "packages"
    install_packages
    enable_sources
    stage_end

    stage_begin "source packages"
    for pkg in "${SOURCE_PACKAGES[@]}"; do
        fetch_source "$pkg"
    done
    local gcc_version key_text
    gcc_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
    key_text="recipe $RECIPE; mingw g++ $gcc_version"
    for pkg in "${SOURCE_PACKAGES[@]}"; do
        is_leaf "$pkg" || key_text+="; $pkg ${SOURCE_VERSION[$pkg]}"
    done
    KEY=$(printf '%s' "$key_text" | sha256sum | cut -c1-12)
    PREFIX=$CACHE/deps-$KEY
    WORK=$CACHE/work-$KEY
    mkdir -p "$PREFIX/lib" "$PREFIX/include" "$PREFIX/bin"
    {
        printf '%s\n' "$key_text" | tr ';' '\n' | sed 's/^ //'
        for pkg in "${LEAF_PACKAGES[@]}"; do
            echo "$pkg ${SOURCE_VERSION[$pkg]}"
        done
    } >"$PREFIX/VERSIONS"
    echo "  Windows libraries: $PREFIX"
    sed 's/^/    /' "$PREFIX/VERSIONS"
    stage_end

    local step
    for step in zlib sqlite pugixml sodium qtbase quazip "deflate-${SOURCE_VERSION[libdeflate]}"; do
        if done_mark $step; then
            echo "== $step: built already"
            continue
        fi
        stage_begin "$step"
        build_${step%%-*}
        mark_done $step
        stage_end
    done
    rm -rf "$WORK"
}

# --- Pelorin --------------------------------------------------------------------------------------
MINGW_RUNTIME=(/usr/lib/gcc/$MINGW/*-posix/libstdc++-6.dll /usr/lib/gcc/$MINGW/*-posix/libgcc_s_seh-1.dll
    /usr/$MINGW/lib/libwinpthread-1.dll)
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Wine in a prefix of its own, made once; no display: Pelorin draws offscreen where it has no desktop.
wine_env() {
    # Command lines and file names pass between Linux and Windows as UTF-8.
    export WINEPREFIX=$CACHE/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
    unset DISPLAY WAYLAND_DISPLAY
    if [ ! -e "$WINEPREFIX/system.reg" ]; then
        echo "  making the Wine prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# One build folder for the program and the tests, warnings as errors in both: --test then compiles only
# the tests.
configure_pelorin() { # build-dir tests
    mkdir -p "$1"
    PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig "${NICE[@]}" cmake -S "$ROOT" -B "$1" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DPELORIN_WIN_PREFIX="$PREFIX" \
        -DCMAKE_PREFIX_PATH="$PREFIX" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DPELORIN_BUILD_TESTS="$2" -DPELORIN_WERROR=ON \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/windows/wine-run.sh;$PREFIX" >"$1/configure.log" 2>&1 \
        || { tail -n 40 "$1/configure.log"; die "configuring $1 failed"; }
}

build_pelorin() { # build-dir [targets...]
    local build=$1
    shift
    PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig "${NICE[@]}" cmake --build "$build" --parallel $JOBS "$@"
}

VERSION=$(sed -n 's/^project(Pelorin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
NAME=Pelorin-$VERSION-win64

# The folder that runs where it is unpacked: the program, its templates and samples, the Qt and
# runtime DLLs and the Qt plugins it loads.
stage_folder() {
    local build=$1 out=$2
    rm -rf "$out" && mkdir -p "$out"
    cp "$build/Pelorin.exe" "$out/"
    cp "$build/export.xls" "$build/export.xlsx" "$build/tasks.xls" "$build/tasks.xlsx" "$out/"
    cp -r "$build/samples" "$out/"
    local dll
    for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Sql; do
        cp "$PREFIX/bin/$dll.dll" "$out/"
    done
    cp "${MINGW_RUNTIME[@]}" "$out/"
    mkdir -p "$out/platforms" "$out/styles" "$out/sqldrivers" "$out/translations"
    cp "$PREFIX/plugins/platforms/qwindows.dll" "$PREFIX/plugins/platforms/qoffscreen.dll" "$out/platforms/"
    cp "$PREFIX"/plugins/styles/*.dll "$out/styles/" 2>/dev/null || true
    cp "$PREFIX/plugins/sqldrivers/qsqlite.dll" "$out/sqldrivers/"
    # Qt's own Chinese texts for the standard dialogs, from the host's translations (the same Qt release).
    cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$out/translations/" 2>/dev/null || true
    printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' >"$out/qt.conf"
    $MINGW-strip --strip-unneeded "$out"/*.exe "$out"/*.dll "$out"/*/*.dll
}

package() {
    local build=$1 stage=$1/stage/$NAME
    stage_folder "$build" "$stage"
    mkdir -p "$ROOT/dist"
    rm -f "$ROOT/dist/$NAME.zip" "$ROOT/dist/$NAME-setup.exe"
    (cd "$build/stage" && zip -qr -9 "$ROOT/dist/$NAME.zip" "$NAME")
    # The uninstaller removes exactly the files installed, then the folders they leave empty.
    (cd "$stage" && find . -type f | sort | sed -e 's|^\./||' -e 's|/|\\|g' -e 's|.*|    Delete "$INSTDIR\\&"|' \
        && find . -mindepth 1 -type d | sort -r | sed -e 's|^\./||' -e 's|/|\\|g' -e 's|.*|    RMDir "$INSTDIR\\&"|') \
        >"$build/installed-files.nsh"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$stage" -DOUTFILE="$ROOT/dist/$NAME-setup.exe" \
        -DFILES="$build/installed-files.nsh" -DICON="$build/pelorin.ico" "$ROOT/scripts/windows/pelorin.nsi" \
        >"$build/nsis.log" 2>&1 \
        || { tail -n 30 "$build/nsis.log"; die "makensis failed"; }
    ls -l "$ROOT/dist/$NAME.zip" "$ROOT/dist/$NAME-setup.exe"
}

build_dependencies
if [ "$MODE" = deps ]; then
    print_timings
    exit 0
fi

export PELORIN_WIN_PREFIX=$PREFIX PELORIN_WIN_CACHE=$CACHE
if [ "$MODE" = test ]; then
    stage_begin "test build"
    configure_pelorin "$ROOT/build-windows" ON
    build_pelorin "$ROOT/build-windows"
    stage_end
    stage_begin "tests under Wine"
    wine_env
    # Every test runs but those that need the Linux host itself; each is named with its reason.
    SKIPPED=(
        "test_install:checks the Linux install layout (cmake --install, the menu entry and icons)"
        "test_crash_restore:kills the running program with Linux signals from Python"
        "test_libreoffice:starts LibreOffice through QProcess, which under Wine cannot wait for a Linux program (its checks run on Linux)"
    )
    # Tests that hand a file to a Linux program (python3 with openpyxl, xlrd) give it a Windows path such
    # as C:/users/... or Z:/tmp/...: in each test's folder, C: and Z: lead where Wine keeps those drives.
    find "$ROOT/build-windows" -name CTestTestfile.cmake -printf '%h\n' | while read -r dir; do
        ln -sfn "$WINEPREFIX/drive_c" "$dir/C:"
        ln -sfn / "$dir/Z:"
    done
    exclude=""
    for s in "${SKIPPED[@]}"; do exclude+="${exclude:+|}^${s%%:*}\$"; done
    set +e
    (cd "$ROOT/build-windows" && ctest -V -j $JOBS --timeout 600 -E "$exclude" >ctest-verbose.log 2>&1)
    rc=$?
    set -e
    grep -E '^ *[0-9]+/[0-9]+ Test +#|^[0-9]+% tests passed' "$ROOT/build-windows/ctest-verbose.log" >"$ROOT/build-windows/ctest.log"
    grep -E '^ *[0-9]+/[0-9]+ Test +#' "$ROOT/build-windows/ctest.log"
    stage_end
    echo "Test programs not run under Wine:"
    for s in "${SKIPPED[@]}"; do echo "  ${s%%:*}: ${s#*:}"; done
    # Checks that skip themselves: most hand a file to python3 (openpyxl, xlrd) or pdftotext through
    # QProcess, which under Wine cannot wait for a Linux program; they run on Linux.
    echo "Checks that skipped themselves under Wine (the log: build-windows/ctest-verbose.log):"
    grep -E '^[0-9]+: SKIP' "$ROOT/build-windows/ctest-verbose.log" | sed -e 's/^[0-9]*: SKIP *: /  /' -e 's/([^)]*) / /' \
        | sort | uniq -c | sed 's/^ *\([0-9]*\) /  \1x /' || true
    print_timings
    grep -E '^[0-9]+% tests passed' "$ROOT/build-windows/ctest.log" || true
    exit $rc
fi

stage_begin "Pelorin (Release)"
configure_pelorin "$ROOT/build-windows" OFF
build_pelorin "$ROOT/build-windows"
stage_end

stage_begin "packages in dist/"
package "$ROOT/build-windows"
stage_end

# The packaged program under Wine: its version, and the whole road of a draw in a folder with a Chinese
# name; the draw record it leaves is checked by the Linux build when there is one (./run.sh makes it).
stage_begin "check under Wine"
wine_env
program="$ROOT/build-windows/stage/$NAME/Pelorin.exe"
wine "$program" --version
demo="$WINEPREFIX/drive_c/摇号演示"
rm -rf "$demo"
wine "$program" --demo 'C:\摇号演示' >"$ROOT/build-windows/demo.log" 2>&1 || { cat "$ROOT/build-windows/demo.log"; die "the demo failed under Wine"; }
record=$(ls "$demo"/摇号记录_*.jsonl | head -n 1)
linux=""
# The Linux build of these very sources, brought up to date first: one left from older sources may not read the
# record's format.
if [ -d "$ROOT/build-release" ]; then
    "${NICE[@]}" cmake --build "$ROOT/build-release" --target pelorin --parallel $JOBS >"$ROOT/build-windows/linux-build.log" 2>&1 \
        || { tail -n 20 "$ROOT/build-windows/linux-build.log"; die "bringing the Linux build in build-release up to date failed"; }
fi
for candidate in "$ROOT/build-release/pelorin" "$(command -v pelorin || true)"; do
    [ -x "$candidate" ] && { linux=$candidate; break; }
done
if [ -n "$linux" ]; then
    echo "  the Windows build's record, verified by the Linux build:"
    "$linux" --verify "$record" | tail -n 2
    # And the other way round: the Linux build's record, verified by the Windows build.
    linux_demo=$(mktemp -d)
    QT_QPA_PLATFORM=offscreen "$linux" --demo "$linux_demo/demo" >/dev/null 2>&1
    echo "  the Linux build's record, verified by the Windows build:"
    wine "$program" --verify "$(ls "$linux_demo"/demo/摇号记录_*.jsonl | head -n 1)" | tail -n 2
    rm -rf "$linux_demo"
else
    echo "  (no Linux build to verify $record with: ./run.sh makes one)"
fi
echo "  the demo's pictures, workbooks and record: $demo"
stage_end
print_timings
