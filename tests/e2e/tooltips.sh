#!/usr/bin/env bash
# The tooltips of the real console's toolbar under the real mouse: the bulle
# of a button shows after the pause, light yellow with its text; the next
# button's shows at once; pressing a button hides it. Over the gateways window,
# opened later above the main window, the bulle of its buttons shows on top.
#   tooltips.sh OUT_DIR TOOLS_DIR
source "$(dirname "$0")/lib.sh"
TOOLS_DIR=$2

# The visible window without a title and of a tooltip's height: the bulle.
# Prints "id x y".
find_bulle() {
    local id
    for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/B_/')"
        if [ "$B_HEIGHT" -lt 40 ]; then echo "$id $B_X $B_Y"; return 0; fi
    done
    return 1
}

# Waits up to `seconds` for the bulle; prints "id x y" as find_bulle does.
wait_bulle() {  # seconds
    local _
    for _ in $(seq $(($1 * 10))); do
        find_bulle && return 0
        sleep 0.1
    done
    return 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The bulle's picture inside its border: its background colour, and whether
# anything dark (its text) is drawn on it.
bulle_background() { import -window "$1" png:- 2>/dev/null | convert png:- -format '%[pixel:p{2,2}]' info:; }
bulle_has_text() {
    import -window "$1" png:- 2>/dev/null | convert png:- -shave 1x1 -threshold 50% -format '%[fx:minima.intensity < 0.5 ? 1 : 0]' info:
}
# The colour the screen shows at a point, whatever window is there.
screen_pixel() { import -window root -crop "1x1+$1+$2" png:- 2>/dev/null | convert png:- -format '%[pixel:p{0,0}]' info:; }
bulle_picture() { import -window "$1" png:- 2>/dev/null | convert png:- rgb:- | md5sum; }

dir=$(prepare_dir tooltips)
(cd "$dir" && wine "$TOOLS_DIR/make_demo.exe" . >/dev/null 2>&1 </dev/null)
start_console "$dir"
log_in_as_demo_admin
main=$(wait_window Administrateur)
check "the main window shows" yes "$([ -n "$main" ] && echo yes)"
focus "$main"
eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/M_/')"
# Without a window manager the X window starts at the menu bar; the toolbar
# buttons are 35 pixels square at x = 5 + 40 i of the client area, under it.
button_y=$((M_Y + 30))
moved=$(now_ms)
xdotool mousemove $((M_X + 22)) "$button_y"
sleep 0.7
check "the pause: no bulle yet" no "$(find_bulle >/dev/null && echo yes || echo no)"
read -r bulle bulle_x bulle_y <<<"$(wait_bulle 6)"
waited=$(($(now_ms) - moved))
check "after the pause: the bulle of the first button" yes "$([ -n "$bulle" ] && echo yes)"
check "on the screen" "srgb(255,255,224)" "$(screen_pixel $((bulle_x + 2)) $((bulle_y + 2)))"
check "not before 1.5 s (${waited} ms)" yes "$([ "$waited" -ge 1450 ] && echo yes)"
check "it starts 2 pixels right of its button" $((M_X + 5 + 2)) "$bulle_x"
check "light yellow" "srgb(255,255,224)" "$(bulle_background "$bulle")"
check "with its text" 1 "$(bulle_has_text "$bulle")"
first_picture=$(bulle_picture "$bulle")

# Straight to the next button: its bulle shows at once (well before another
# pause would end), with another text.
moved=$(now_ms)
xdotool mousemove $((M_X + 62)) "$button_y"
sleep 0.2
read -r bulle bulle_x _ <<<"$(wait_bulle 1)"
waited=$(($(now_ms) - moved))
check "the next button: at once (${waited} ms)" yes "$([ -n "$bulle" ] && [ "$waited" -lt 1200 ] && echo yes)"
check "under the next button" $((M_X + 45 + 2)) "$bulle_x"
check "the next button's text" yes "$([ -n "$bulle" ] && [ "$(bulle_picture "$bulle")" != "$first_picture" ] && echo yes)"

# Pressing the button hides the bulle; released off the button, nothing runs.
xdotool mousedown 1
hidden=no
for _ in $(seq 20); do
    find_bulle >/dev/null || { hidden=yes; break; }
    sleep 0.1
done
check "pressed: the bulle is hidden" yes "$hidden"
xdotool mousemove $((M_X + 200)) $((M_Y + 300))
xdotool mouseup 1
sleep 0.5
check "the console still runs" yes "$(kill -0 "$CONSOLE_PID" 2>/dev/null && echo yes)"

# "Gestion des &passerelles": the gateways window over the main window, and
# its own picture buttons laid out in the same way.
focus "$main"
keys alt+c p
gateways=$(wait_window Passerelles)
check "the gateways window shows" yes "$([ -n "$gateways" ] && echo yes)"
focus "$gateways"
eval "$(xdotool getwindowgeometry --shell "$gateways" | sed 's/^/G_/')"
xdotool mousemove $((G_X + 22)) $((G_Y + 30))
read -r bulle bulle_x bulle_y <<<"$(wait_bulle 6)"
check "gateways: the bulle of \"Ajouter\"" yes "$([ -n "$bulle" ] && echo yes)"
check "gateways: under its button" $((G_X + 5 + 2)) "$bulle_x"
check "gateways: above the window" "srgb(255,255,224)" "$(screen_pixel $((bulle_x + 2)) $((bulle_y + 2)))"
check "gateways: with its text" 1 "$(bulle_has_text "$bulle")"
xdotool mousemove $((G_X + 150)) $((G_Y + 200))
focus "$gateways"
keys alt+f q
check "gateways: closed" yes "$(for _ in $(seq 25); do xdotool search --onlyvisible --name '^Passerelles$' >/dev/null 2>&1 || { echo yes; break; }; sleep 0.2; done)"
close_window "$main"
wait_console_exit; check "exit code" 0 $?
finish
