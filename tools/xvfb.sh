# Sourced by the Wine scripts: start_xvfb DIR starts Xvfb on a free display (Xvfb picks it and
# reports it through a FIFO in DIR, so nothing waits longer than needed), exports DISPLAY and
# leaves the server's process ID in $xvfb for the caller's clean-up.
start_xvfb() {
    mkfifo "$1/display"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$1/display" 2>/dev/null &
    xvfb=$!
    local display
    read -r -t 30 display <"$1/display"
    export DISPLAY=":$display"
}
