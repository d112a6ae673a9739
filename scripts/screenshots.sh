#!/usr/bin/env bash
# Makes the README's pictures, docs/screenshots/*.png, from replays on the virtual clock: the
# launcher's airliner scene, the script front-end's menu, the game in play (strips, radar, a
# command menu) and two demo scenes. Each program runs in a real window on a virtual display of
# its own (xvfb-run), so that child windows such as the docked radar are in the picture, in a
# program folder of its own (the build's, linked; the ini files copied), so that the build stays
# as it was. Run it after a change to the programs or the sample data:
#
#   bash scripts/screenshots.sh [build folder [picture...]]
#
# The build folder defaults to build; naming pictures (launcher, menu, game, tour, review) makes
# only those.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build}/bin" && pwd)
only=" ${*:2} "
out=$root/docs/screenshots
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

folder=$work/bin
mkdir -p "$folder" "$work/rt" "$work/windows" "$out"
for entry in "$bin"/*; do
    case ${entry##*/} in
        krn2.ini | config.ini) cp "$entry" "$folder/" ;;
        *) ln -s "$entry" "$folder/" ;;
    esac
done

export WYN_BACKEND=sdl WYN_CLOCK=virtual WYN_PROGRAM_DIR=$folder WYN_RUNTIME_DIR=$work/rt \
    WYN_WINDOWS_DIR=$work/windows WYN_LANG=ja
unset WYN_HEADLESS WYN_SCREENSHOT_EVERY WYN_SCREENSHOT_WINDOW WYN_REPLAY WYN_DEMO_TRACE \
    WYN_GAME_TRACE

# shot <picture> <replay> <program> [arguments...]: runs the program with the replay (its events
# one a line) and keeps its window as it last looked; with WYN_SCREENSHOT_EVERY set, the last
# of the numbered pictures instead (for a program that clears its window as it ends).
shot() {
    local name=$1 replay=$2
    shift 2
    [ "$only" = "  " ] || [[ $only == *" $name "* ]] || return 0
    printf '%b' "$replay" >"$work/$name.replay"
    (cd "$folder" && WYN_REPLAY="$work/$name.replay" WYN_SCREENSHOT="$work/$name.png" \
        timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "./$@" >"$work/$name.log" 2>&1) || {
        echo "screenshots: $name: $* failed; its output:" >&2
        tail -20 "$work/$name.log" >&2
        exit 1
    }
    local last
    last=$(find "$work" -maxdepth 1 -name "$name-[0-9]*.png" | sort | tail -1)
    cp "${last:-$work/$name.png}" "$out/$name.png"
    echo "screenshots: $out/$name.png"
}

# The launcher: the two logo movies (3 s each) and the logo scene (13 s) run, then the airliner
# scene is closed as it lifts off.
shot launcher '40000 close\n' wynopen

# The script front-end's menu with the pointer on "ゲーム開始".
WYN_SCREENSHOT_EVERY=10 shot menu '2000 move 400 363\n4000 close\n' vsk33

# The game: the sample stage played by its replay (a frame of 99 ms) until the departure holds
# short of 34R with the take-off clearance offered in its command menu; the close box is
# answered Yes. The picture is the last of those taken every 8 frames, with the docked radar.
replay=$(sed -n '/^[0-9]/{s/[[:space:]]*#.*//;p}' \
    "$root/tests/game/frame/stages/rjtt/stage01.replay" | awk '$1 <= 256000')
WYN_GAME_FRAME_MS=99 WYN_MSGBOX_ANSWERS=6 WYN_SCREENSHOT_EVERY=8 shot game "$replay\n257000 close\n" wyntower rjtt stage01

# The demos: the spiral over the airport, and the fleet review as its second aircraft passes
# the camera (their first window is the sound library's hidden one).
export WYN_SCREENSHOT_WINDOW=Wynmoor
shot tour '45000 close\n' wyndemoa 1
shot review '45750 close\n' wyndemoa 5
