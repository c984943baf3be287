# shellcheck shell=bash disable=SC2034
# Shared helpers of the end-to-end tests; sourced, not run.
#
# The tests drive the real zelvane.exe under Wine on an X display (Xvfb). Nothing here sleeps for
# a fixed time: every wait polls for the condition it needs, up to a deadline.

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_dir=$(cd "$e2e_dir/../.." && pwd)
# The caption shows major.minor.revision of the version in CMakeLists.txt's project(VERSION ...).
main_title=$(sed -nE 's/^project\(zelvane VERSION ([0-9]+)\.([0-9]+)\.[0-9]+\.([0-9]+).*/^Zelvane v\1\\.\2\\.\3$/p' \
    "$repo_dir/CMakeLists.txt")
failures=0
passes=0
# The game folder where the game's installer puts it, its 8.3 path as the launch script names it
# where that path leads there (demo-install.sh links it so with ZELVANE_SHORT_PATH=link; Wine's
# own short names are hashes), and the script's first line where it does not.
game_folder_windows='C:\Program Files\Activision\Star Trek Armada II'
short_game_folder='C:\PROGRA~1\ACTIVI~1\STARTR~1'
long_first_line="cd \"$game_folder_windows\""

# shellcheck source=scripts/wine-env.sh
source "$repo_dir/scripts/wine-env.sh"
# What Wine says, its errors and the programs it starts, reaches the test's logs.
export WINEDEBUG=$wine_trace_channels

# Without a display, runs the calling script again inside its own Xvfb.
ensure_display() {
    if [ -z "${DISPLAY:-}" ]; then
        exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
    fi
}

now_ms() { date +%s%3N; }

# begin_test NAME ZELVANE_EXE [ARMADA2_EXE]: takes the test's arguments into zelvane_exe and
# standin_exe (by default the stand-in where the build puts it, in tests/ beside zelvane.exe) and
# makes the scratch folder work.
begin_test() {
    local name=$1
    shift
    if [ $# -lt 1 ] || [ ! -f "$1" ]; then
        echo "usage: $0 ZELVANE_EXE [ARMADA2_EXE]" >&2
        exit 2
    fi
    zelvane_exe=$(realpath "$1")
    standin_exe=${2:-$(dirname "$zelvane_exe")/tests/armada2.exe}
    if [ ! -f "$standin_exe" ]; then
        echo "$0: no stand-in armada2.exe at $standin_exe" >&2
        exit 2
    fi
    standin_exe=$(realpath "$standin_exe")
    make_work "$name"
}

# make_work NAME: the scratch folder work, removed together with the test's Wine when the test ends.
make_work() {
    test_name=$1
    work=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-e2e-$1.XXXXXX")
    trap end_test EXIT
}

end_test() {
    [ -n "${WINEPREFIX:-}" ] && stop_wine
    rm -rf "$work"
}

pass() {
    passes=$((passes + 1))
    echo "PASS: $*"
}

fail() {
    failures=$((failures + 1))
    echo "FAIL: $*"
    keep_evidence
}

# What explains a failure, for the first three of a test: a screenshot of the whole display, the
# stand-in's log, the bytes of every run.bat of the test and the programs running in its prefix,
# kept in
# ${TMPDIR:-/tmp}/zelvane-e2e-failed-NAME-PID-N.* (the scratch folder goes when the test ends).
keep_evidence() {
    [ "$failures" -le 3 ] || return 0
    local base="${TMPDIR:-/tmp}/zelvane-e2e-failed-${test_name:-e2e}-$$-$failures" file
    if [ -n "${DISPLAY:-}" ] && import -window root "$base.png" 2>/dev/null; then
        echo "    screenshot: $base.png"
    fi
    if [ -n "${log:-}" ] && [ -f "$log" ]; then
        cp "$log" "$base.log"
        echo "    the stand-in's log ($base.log):"
        sed 's/^/      /' "$log"
    else
        echo "    the stand-in's log: none"
    fi
    while IFS= read -r -d '' file; do
        echo "    $file:"
        od -c "$file" | sed 's/^/      /'
    done < <(find "${work:-/nonexistent}" -iname run.bat -print0 2>/dev/null)
    if [ -s "${work:-/nonexistent}/wine.err" ]; then
        cp "$work/wine.err" "$base.wine.err"
        echo "    Wine's errors and program starts, the last of them (all it said: $base.wine.err):"
        wine_said "$work/wine.err" 25 | sed 's/^/      /'
        if wine_lost_start "$work/wine.err" >/dev/null; then
            echo "    Wine could not start a process here, which Windows would have: Wine's failure, not the program's"
        fi
    fi
    if [ -n "${WINEPREFIX:-}" ]; then
        echo "    running in the prefix: $(prefix_processes | cut -f2 | sort | uniq -c | xargs)"
    fi
}

# How often so far Wine could not start a process (wine_start_failure) in the test's wine.err,
# which the test's program truncates when it starts.
wine_start_failures() {
    local count
    count=$(grep -acE "$wine_start_failure" "$work/wine.err" 2>/dev/null)
    echo "${count:-0}"
}

# wine_lost_a_start WHAT [BEFORE]: whether a step that started nothing, or less than it should,
# runs once more: Wine could not start one of its processes, which Windows would have started
# (wine_start_failures grew past BEFORE, 0 by default), and the step is not already its own second
# try ($again). Says so in a note. The caller runs the step again with again=1 set.
wine_lost_a_start() {
    local said
    [ -z "${again:-}" ] && [ "$(wine_start_failures)" -gt "${2:-0}" ] && said=$(wine_lost_start "$work/wine.err") ||
        return 1
    echo "note: $1: Wine could not start a process ($said); the step runs again"
}

# wait_until SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds; fails after SECONDS.
wait_until() {
    local deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# make_test_prefix DIR [LOCAL_APP_DATA]: a fresh Wine prefix for this test in DIR. With
# ZELVANE_WINEPREFIX set (as ctest does), that prefix is made once and copied, which is much quicker
# than a new wineboot. LOCAL_APP_DATA, a folder of the prefix's drive C: ("zelvane-local"), becomes
# the user's local application data: Wine reads it from the registry when its server starts.
make_test_prefix() {
    local dir=$1 local_app_data=${2:-}
    if [ -n "${ZELVANE_WINEPREFIX:-}" ]; then
        "$repo_dir/tests/wine/make-prefix.sh" "$ZELVANE_WINEPREFIX"
        WINEPREFIX=$ZELVANE_WINEPREFIX wineserver -w
        cp -a "$ZELVANE_WINEPREFIX" "$dir"
        drop_test_installs "$dir"
    else
        "$repo_dir/tests/wine/make-prefix.sh" "$dir"
    fi
    export WINEPREFIX=$dir
    if [ -n "$local_app_data" ]; then
        sed -i "s/^\"Local AppData\"=.*/\"Local AppData\"=\"C:\\\\\\\\$local_app_data\"/" "$dir/user.reg"
        mkdir -p "$dir/drive_c/$local_app_data"
    fi
    warm_prefix
}

# Whether the test's prefix is a 32-bit one: no Program Files (x86), one registry view.
prefix_is_32bit() { grep -qs '^#arch=win32' "$WINEPREFIX/system.reg"; }

# The GOG edition's key as its installer, a 32-bit program, writes it: in the registry's 32-bit view,
# which is Wow6432Node in a 64-bit prefix.
gog_key() {
    local view='Wow6432Node\'
    ! prefix_is_32bit || view=''
    echo 'HKLM\Software\'"$view"'GOG.com\Games\1174788223'
}

# drop_test_installs PREFIX: removes from a copy of the tests' prefix the folders that a test
# install of the Windows-side tests made there (each carries that install's marker file) and that a
# killed run left behind. Those tests take such leftovers back as their own; in a copy they would be
# maps and marker files in the game's folders that no player's install has.
drop_test_installs() {
    local marker folder
    local -a markers
    mapfile -d '' markers < <(find "$1/drive_c" -name zelvane-test-install.txt -print0)
    for marker in "${markers[@]}"; do
        folder=${marker%/*}
        # The outermost of them only: it holds the others.
        if [ -d "$folder" ] && [ ! -f "${folder%/*}/zelvane-test-install.txt" ]; then
            echo "note: the tests' prefix holds a test install that a killed run left: ${folder#"$1"/}; this test's copy goes without it"
            rm -rf "$folder"
        fi
    done
}

# warm_prefix: starts the prefix's own processes, Wine's services and its desktop (explorer.exe),
# and keeps the desktop running until the test stops the prefix's Wine. The first window of a
# prefix otherwise waits for all that, and on a starved machine Wine gives up on its desktop: the
# window cannot be made, nor an error box, and the program ends with 75 having shown nothing. Wine
# also closes its desktop about a second after the last program using it has ended, so between two
# of a test's programs the next would start it again: the stand-in, copied as keep-desktop.exe so
# that no test takes it for the game, keeps a hidden window for as long as the prefix runs. It says
# "ready" once it has that window; a desktop that came up without its display driver (seen on a
# starved machine: "Make sure that your X server is running") gives it none, and Wine is started
# again. After three tries the test ends there, with that one failure: without a desktop every
# later step would fail too, each only at its deadline.
warm_prefix() {
    [ -n "${standin_exe:-}" ] || return 0
    cp "$standin_exe" "$work/keep-desktop.exe"
    local try keeper
    for try in 1 2 3; do
        rm -f "$work/keep-desktop.out"
        ZELVANE_STANDIN_KEEP_DESKTOP=1 wine "$work/keep-desktop.exe" </dev/null >"$work/keep-desktop.out" \
            2>>"$work/wine.err" &
        keeper=$!
        if wait_until 60 keeper_settled "$keeper" && keeper_ready; then
            return 0
        fi
        echo "note: Wine's desktop gave no window (try $try), Wine is started again;" \
            "Wine said: $(wine_said "$work/wine.err" 4 | tr '\n' ' ')"
        end_program "$keeper"
        stop_wine
    done
    fail "Wine's desktop could not make a window in the test's prefix; the test stops here"
    finish
    exit 1
}

keeper_ready() { grep -qs '^ready' "$work/keep-desktop.out"; }
keeper_settled() { keeper_ready || ! kill -0 "$1" 2>/dev/null; }

# restart_wine: ends whatever still runs in this test's prefix, after a failure, and starts its
# desktop again for the test's next program.
restart_wine() {
    stop_wine
    warm_prefix
}

# The live processes of this test's prefix, one "pid<TAB>program" line each, the program being
# the Windows program's file name in lower case ("cmd.exe"). Wine runs a Windows program with its
# path (Windows or Linux, as it was started) as the first argument, or under qemu (the 32-bit
# Wine) after the emulator's and Wine's loader's paths: the first argument that names an .exe.
# The test's own shells carry WINEPREFIX too but show up as "bash" and are left out.
prefix_processes() {
    local environ pid program
    while read -r environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        program=$( (tr '\0' '\n' <"/proc/$pid/cmdline") 2>/dev/null | grep -m 1 -iE '\.exe$') || continue
        program=${program##*[\\/]}
        case $program in
            *.exe | *.EXE) printf '%s\t%s\n' "$pid" "${program,,}" ;;
        esac
    done < <(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null)
}

# Whether any of the named programs runs in this test's prefix.
any_running() {
    local names=" $* " line
    while IFS=$'\t' read -r _ line; do
        [[ $names == *" $line "* ]] && return 0
    done < <(prefix_processes)
    return 1
}

none_running() { ! any_running "$@"; }

# Pids of the named program in this test's prefix.
pids_of() {
    local name=$1 pid program
    while IFS=$'\t' read -r pid program; do
        [ "$program" = "$name" ] && echo "$pid"
    done < <(prefix_processes)
}

# The id of the visible X window whose name matches the pattern, if any.
visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

has_visible_window() { [ -n "$(visible_window "$1")" ]; }

# end_program PID [PID...]: ends programs started by the test (a wine process started from the
# shell is the Windows program itself) and collects the first one.
end_program() {
    { kill -9 "$@" && wait "$1"; } 2>/dev/null
}

# Ends whatever still runs in this test's prefix and waits until its server is gone.
stop_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

periwinkle='128,128,255'

# start_zelvane: starts C:\Zelvane\zelvane.exe of the test's prefix ($drive_c), or the one
# $zelvane_windows names (in the Linux folder $zelvane_dir), from its own folder, as a double click
# does, with the stand-in game set to end at once, and waits for its window; clears the stand-in's
# log ($log) first, and sets window and wine_pid.
start_zelvane() {
    rm -f "$log"
    (cd "${zelvane_dir:-$drive_c/Zelvane}" && ZELVANE_STANDIN_QUIET=1 exec wine "${zelvane_windows:-C:\Zelvane\zelvane.exe}" \
        >/dev/null 2>"$work/wine.err") &
    wine_pid=$!
    if ! wait_until 60 has_visible_window "$main_title"; then
        if wine_lost_a_start "starting zelvane.exe"; then
            end_program "$wine_pid"
            restart_wine
            again=1 start_zelvane
            return
        fi
        if kill -0 "$wine_pid" 2>/dev/null; then
            fail "the Zelvane window did not show in 60 s; the program still runs"
        else
            wait "$wine_pid"
            fail "the Zelvane window did not show; the program ended with exit code $?"
        fi
        return 1
    fi
    window=$(visible_window "$main_title")
    # Shown is not yet drawn: under emulation (the 32-bit Wine) the first paint comes seconds
    # later. The window is up once its frame bars are on the screen.
    if ! wait_until 30 frame_drawn; then
        fail "the Zelvane window showed but its frame was never drawn"
        return 1
    fi
    xdotool windowfocus --sync "$window"
}

frame_drawn() {
    : "${shot:=$work/shot.png}" "${dpi:=96}"
    take_shot && [ "${bars_w:-0}" -gt 0 ]
}

stop_zelvane() {
    end_program "$wine_pid" $(pids_of zelvane.exe)
    wait_until 10 none_running zelvane.exe
    stop_wine
}

# The map names the stand-in game was started on ($log), in order, one per line.
opened_maps() { [ -f "$log" ] && cut -f1 "$log" | sed 's/.*~\/edit //'; }


# Screenshot of the X window $window (at $dpi DPI) into $shot; then client_x/client_y: the client
# area's top-left in the shot, found from the frame's periwinkle bars, which start 120 twips in
# from the client's corner, and bars_w/bars_h/bars_x/bars_y: those bars' box.
take_shot() {
    import -window "$window" "$shot"
    local box
    box=$(convert "$shot" -fill black +opaque "rgb($periwinkle)" -format '%@' info:)
    bars_w=${box%%x*}
    local rest=${box#*x}
    bars_h=${rest%%+*}
    rest=${rest#*+}
    bars_x=${rest%%+*}
    bars_y=${rest#*+}
    local inset=$(((120 * dpi + 720) / 1440))
    client_x=$((bars_x - inset))
    client_y=$((bars_y - inset))
}

# Colour at client point (x, y) in the last shot, as "r,g,b".
pixel() {
    convert "$shot" -format "%[fx:int(255*p{$((client_x + $1)),$((client_y + $2))}.r)],%[fx:int(255*p{$((client_x + $1)),$((client_y + $2))}.g)],%[fx:int(255*p{$((client_x + $1)),$((client_y + $2))}.b)]" info:
}

# pixel_is X Y COLOUR: a new shot shows the colour at that client point.
pixel_is() { take_shot && [ "$(pixel "$1" "$2")" = "$3" ]; }

# click_client X Y: a mouse click at a point of the client area (take_shot found it).
click_client() {
    xdotool mousemove --window "$window" $((client_x + $1)) $((client_y + $2)) click 1
}

# The last lines of a test: counts, and the exit code for them.
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
