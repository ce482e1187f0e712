# Shared set-up for the project's scripts: packages, a virtual display and a
# Wine prefix of their own. Sourced, not run.

# Debian packages that building and testing need.
PACKAGES=(cmake ninja-build g++ googletest libgtest-dev clang libclang-rt-14-dev python3
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 fonts-wine xvfb xdotool x11-utils imagemagick)

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Installs whatever of PACKAGES is missing; says nothing when all is there.
install_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures (once) and builds one CMake preset in $BUILD_ROOT/PRESET
# (build/PRESET by default), printing only problems.
build_preset() {
    local preset=$1 dir="${BUILD_ROOT:-build}/$1"
    mkdir -p "$dir"
    [ -f "$dir/build.ninja" ] || cmake --preset "$preset" -B "$dir" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -- -j"$(nproc)" >"$dir.build.log" 2>&1 || { cat "$dir.build.log"; return 1; }
    grep -E "warning:" "$dir.build.log" || true
}

# Starts Xvfb on a display number no one else uses and exports DISPLAY.
XVFB_PID=
start_display() {
    local number
    for number in $(seq 140 199); do
        [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local tries
        for tries in $(seq 50); do
            if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$number"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    done
    echo "no free X display" >&2
    return 1
}

# Creates a fresh Wine prefix in a folder of its own and keeps its wineserver
# running until stop_wine. Wine's own output goes to a log, not the terminal.
make_wine_prefix() {
    export WINEPREFIX
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/marcasegundo-wine.XXXXXX")
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$WINE" wineboot -i >"$WINEPREFIX.log" 2>&1
    # Without a window manager, Wine waits for one on every show unless its
    # windows are unmanaged.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX.log" 2>&1
    "$WINESERVER" -w
    "$WINESERVER" -p
    # Wine's own helper processes (services, explorer) start with the first
    # program and inherit its output: a reader such as CTest would then wait
    # for them. A program kept idle for the whole session starts them with
    # no output attached and keeps them from restarting.
    (sleep infinity | "$WINE" cmd.exe /k >/dev/null 2>&1) &
    WINE_KEEPER_PID=$!
    sleep 2
}

WINE_KEEPER_PID=
stop_wine() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    [ -n "$WINE_KEEPER_PID" ] && pkill -P "$WINE_KEEPER_PID" 2>/dev/null
    [ -n "$WINE_KEEPER_PID" ] && kill "$WINE_KEEPER_PID" 2>/dev/null
    WINE_KEEPER_PID=
    return 0
}

cleanup_session() {
    stop_wine
    case "${WINEPREFIX:-}" in
        */marcasegundo-wine.*) rm -rf "$WINEPREFIX" "$WINEPREFIX.log" ;;
    esac
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    return 0
}
