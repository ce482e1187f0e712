# Shared set-up for the project's scripts: packages, a virtual display and a
# Wine prefix of their own. Sourced, not run.

# Debian packages that building and testing need. wine32 is the 32-bit Wine
# that runs the 32-bit product beside the 64-bit one.
PACKAGES=(cmake ninja-build g++ googletest libgtest-dev clang libclang-rt-14-dev python3 python3-pefile
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 wine32:i386 fonts-wine xvfb xdotool x11-utils x11-xserver-utils imagemagick e2fsprogs)

# The Python for which Debian installs pefile, whatever other python3 the
# PATH finds first.
PYTHON3=/usr/bin/python3
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Wine turns Windows file names into Unix ones in the locale's character set:
# without a UTF-8 locale (none is set on a fresh system, in a chroot or in
# cron) it cannot create a file whose name is outside ASCII. C.UTF-8 is built
# into Debian's C library.
case "$(locale charmap 2>/dev/null)" in
    UTF-8) ;;
    *) export LC_ALL=C.UTF-8 ;;
esac

# Says what to do when the packages cannot be installed from here.
explain_install() {
    local reason=$1
    shift
    echo "Cannot install the missing packages: $reason." >&2
    echo "Run this script as root, or have root install them first:" >&2
    case " $* " in
        *:i386*) echo "  dpkg --add-architecture i386" >&2 ;;
    esac
    echo "  apt-get update" >&2
    echo "  apt-get install --no-install-recommends --no-remove $*" >&2
}

# Installs whatever of PACKAGES is missing; says nothing when all is there.
# Needs root, or sudo, which may ask for a password once on a terminal.
install_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            explain_install "you are not root and sudo is not installed" "${missing[@]}"
            return 1
        fi
        if ! sudo -n true 2>/dev/null; then
            if ! [ -t 0 ]; then
                explain_install "sudo needs a password and there is no terminal to ask for it" "${missing[@]}"
                return 1
            fi
            echo "Installing packages needs root: sudo asks for your password once."
            if ! sudo -v; then
                explain_install "sudo did not give root rights" "${missing[@]}"
                return 1
            fi
        fi
        as_root=(sudo)
    fi

    local log="${BUILD_ROOT:-build}/apt-get.log"
    mkdir -p "$(dirname "$log")"
    echo "Installing ${#missing[@]} Debian packages with apt-get and what they need: ${missing[*]}"
    echo "On a fresh machine this takes 3 to 5 minutes; apt's output goes to $log."
    if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${as_root[@]}" dpkg --add-architecture i386 || { echo "dpkg --add-architecture i386 failed" >&2; return 1; }
    fi
    if ! "${as_root[@]}" apt-get update -q >"$log" 2>&1; then
        tail -n 5 "$log" >&2
        echo "apt-get update failed (full output in $log)" >&2
        return 1
    fi
    # sudo resets the environment: the variable goes through env. Without a
    # terminal, debconf cannot ask anything anyway; -y answers apt itself.
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends --no-remove "${missing[@]}" </dev/null 2>&1 |
        tee -a "$log" | awk '
            # One line per tenth of the work instead of apt'"'"'s hundreds.
            /^[0-9]+ upgraded, [0-9]+ newly installed/ { steps = 3 * ($1 + $3); print "  " $0; fflush() }
            /^(Get:[0-9]|Unpacking |Setting up )/ && steps {
                done++
                if (int(10 * done / steps) > shown) { shown = int(10 * done / steps); printf "  %d%% done\n", 10 * shown; fflush() }
            }
            /^E: / { print }'
    local status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        tail -n 5 "$log" >&2
        echo "apt-get install failed (full output in $log)" >&2
        return 1
    fi
    echo "Packages installed."
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

# Starts Xvfb and exports DISPLAY. The server picks a free display itself
# (-displayfd) and names it only once it listens, so the display is surely
# this server's: lock files alone cannot tell, as another server may be
# reachable through its abstract socket while its lock file is out of sight.
XVFB_PID=
start_display() {
    local number_file number=
    number_file=$(mktemp "${TMPDIR:-/tmp}/marcasegundo-display.XXXXXX") || return 1
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries
    for tries in $(seq 100); do
        number=$(head -n 1 "$number_file")
        [[ "$number" =~ ^[0-9]+$ ]] && [ "$(wc -l <"$number_file")" -ge 1 ] && break
        number=
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$number" ]; then
        kill "$XVFB_PID" 2>/dev/null
        XVFB_PID=
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

# Wine's look-alikes of the Windows fonts (Tahoma, Marlett for the caption
# buttons, MS Sans Serif, ...) come with fonts-wine, but Wine does not look
# for them where Debian puts them: copied into the prefix, they are found.
add_wine_fonts() {
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}

# Sets up the Wine prefix $WINEPREFIX, Wine's own output going to LOG:
# Windows' folders and registry, windows that need no window manager, and
# Wine's fonts.
fill_wine_prefix() {
    local log=$1
    "$WINE" wineboot -i >>"$log" 2>&1
    # Without a window manager, Wine waits for one on every show unless its
    # windows are unmanaged.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1
    "$WINESERVER" -w
    add_wine_fonts
}

# Creates a fresh Wine prefix in a folder of its own and keeps its wineserver
# running until stop_wine. Wine's own output goes to a log, not the terminal.
make_wine_prefix() {
    export WINEPREFIX
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/marcasegundo-wine.XXXXXX")
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    fill_wine_prefix "$WINEPREFIX.log"
    "$WINESERVER" -p
    # Wine's own helper processes (services, explorer) start with the first
    # program and inherit its output: a reader such as CTest would then wait
    # for them. A program kept idle for the whole session starts them with
    # no output attached and keeps them from restarting.
    (sleep infinity | "$WINE" cmd.exe /k >/dev/null 2>&1) &
    WINE_KEEPER_PID=$!
    sleep 2
}

# Whether 32-bit Windows programs run here: sets RUNS_32BIT to yes or no and,
# for no, NO_32BIT_REASON. Some machines refuse 32-bit code, and there wine64
# may start a 32-bit program in a mode where it exits 0 having done nothing,
# so the check reads the line that a tiny 32-bit program prints. RUN_32BIT=no
# in the environment makes the answer no. Needs a Wine prefix.
BITNESS_LINE="32-bit Windows code runs here"
detect_32bit() {
    RUNS_32BIT=no
    NO_32BIT_REASON=
    if [ "${RUN_32BIT:-}" = no ]; then
        NO_32BIT_REASON="RUN_32BIT=no was set"
        return
    fi
    local probe="${BUILD_ROOT:-build}/win32/bin/bitness_probe.exe" output
    output=$(timeout 120 "$WINE" "$probe" </dev/null 2>&1 | tr -d '\r')
    if grep -qx "$BITNESS_LINE" <<<"$output"; then
        RUNS_32BIT=yes
        return
    fi
    NO_32BIT_REASON="a 32-bit test program under Wine did not print \"$BITNESS_LINE\""
    local loader_error
    loader_error=$(/usr/lib/wine/wine --version 2>&1 >/dev/null | head -n 1 | sed 's/^.*line [0-9]*: //')
    [ -n "$loader_error" ] && NO_32BIT_REASON+=" (the 32-bit Wine loader: $loader_error)"
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

# The wineserver keeps its socket in /tmp/wine-XXXXXX/server-DEV-INODE,
# named after the prefix's device and inode, and leaves it behind when it
# ends: a prefix that is removed takes its server's folder along.
remove_wine_server_folder() {
    local name folder
    name=$(stat -c '%d %i' "$WINEPREFIX" | awk '{ printf "server-%x-%x", $1, $2 }') || return 0
    for folder in /tmp/wine-*/"$name"; do
        [ -d "$folder" ] || continue
        rm -rf "$folder"
        rmdir "$(dirname "$folder")" 2>/dev/null
    done
    return 0
}

cleanup_session() {
    stop_wine
    case "${WINEPREFIX:-}" in
        */marcasegundo-wine.*)
            remove_wine_server_folder
            rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
            ;;
    esac
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    return 0
}
