#!/usr/bin/env bash
# The real program as a user meets it: started under Xvfb in a fresh
# program folder with a fresh home, driven with the mouse and keyboard.
#   e2e_test.sh LUMIVANE PROBE RESOURCES OUTPUT_DIR
set -euo pipefail
LUMIVANE="$1" PROBE="$2" RESOURCES="$3" OUT="$4"
if [ -z "${E2E_INSIDE_X:-}" ]; then
  export E2E_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

WORK="$(mktemp -d /tmp/lumivane-e2e-XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
export HOME="$WORK/home"
unset XDG_CONFIG_HOME QT_QPA_PLATFORM   # the real X server, not the offscreen one
mkdir -p "$HOME"

fail() { echo "FAIL: $*"; exit 1; }

program_folder() {  # program_folder DIR [with_res]
  mkdir -p "$1/images"
  cp "$LUMIVANE" "$1/lumivane"
  cp "$RESOURCES/images/sy.png" "$1/images/sy.png"
  [ "${2:-}" = with_res ] && cp "$RESOURCES/res.dat" "$1/res.dat"
  return 0
}

wait_window() {  # wait_window NAME SECONDS -> prints the window id
  local end=$((SECONDS + $2))
  while [ $SECONDS -lt $end ]; do
    local id
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# 1. A fresh start writes the default settings file.
P1="$WORK/first"
program_folder "$P1" with_res
(cd "$P1" && exec ./lumivane >/dev/null 2>&1) &
pids+=($!)
wait_window Lumivane 30 >/dev/null || fail "the main window did not appear"
expected="width=640\r\nquanlity=1\r\nsy_text=https://shop.example.com\r\nsy_text_opacity=0\r\nsy_text_w_direction=2\r\nsy_text_w_value=16\r\nsy_text_h_direction=2\r\nsy_text_h_value=16\r\nsy_text_fontName=Arial\r\nsy_text_fontSize=26\r\nsy_text_isItalic=0\r\nsy_text_isWeight=0\r\nsy_text_htmlColor=#000000\r\nsy_text_rgbColors=0\r\nsy_image=$P1/images/sy.png\r\nsy_image_w_direction=2\r\nsy_image_w_value=16\r\nsy_image_h_direction=2\r\nsy_image_h_value=16\r\n"
[ "$(cat "$P1/config.dat")" = "$(printf "$expected")" ] || fail "default config.dat differs"
kill "${pids[0]}"
sleep 0.5

# 2. Without res.dat: a message, no main window, exit code -1.
P2="$WORK/nores"
program_folder "$P2"
(cd "$P2" && exec ./lumivane >/dev/null 2>&1) &
nores=$!
pids+=($nores)
wait_window 提示 30 >/dev/null || fail "no start-up failure message"
xdotool search --onlyvisible --name '^Lumivane$' >/dev/null 2>&1 && fail "main window shown without res.dat"
for _ in $(seq 50); do
  sleep 0.3
  kill -0 "$nores" 2>/dev/null || break
  box="$(xdotool search --onlyvisible --name '^提示$' 2>/dev/null | head -n 1 || true)"
  [ -n "$box" ] && xdotool windowfocus "$box" 2>/dev/null || true
  xdotool key Return 2>/dev/null || true
done
code=0
wait "$nores" || code=$?
[ "$code" = 255 ] || fail "exit code was $code instead of -1"

# 3. A whole run, driven as a user would.
P3="$WORK/run"
program_folder "$P3" with_res
SRC="$WORK/pictures"; TGT="$WORK/processed"
mkdir -p "$SRC"
"$PROBE" make "$SRC" 3
(cd "$P3" && exec ./lumivane >/dev/null 2>&1) &
pids+=($!)
win="$(wait_window Lumivane 30)" || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$win")"
CX=$X; CY=$((Y + HEIGHT - 486))
click() { xdotool mousemove $((CX + $1)) $((CY + $2)) click 1; sleep 0.3; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.2; }
click 110 20; type_text "$SRC"
click 32 79                                   # width switch on
click 110 79; xdotool key ctrl+a; type_text 300
click 26 137                                  # text watermark on
click 110 420; xdotool key ctrl+a; type_text "$TGT"
"$PROBE" screen "$OUT/e2e_main_window.png"
click 619 461                                 # start
for _ in $(seq 150); do
  [ "$(find "$TGT" -name '*.jpg' 2>/dev/null | wc -l)" -ge 3 ] && break
  sleep 0.2
done
wait_window 完成 30 >/dev/null || fail "no summary question"
sleep 0.5
xdotool key Escape                            # No: do not open the folder
sleep 0.5
xdotool search --onlyvisible --name '^完成$' >/dev/null 2>&1 && fail "the summary question stayed open"
[ "$(find "$TGT" -name '*.jpg' | wc -l)" -eq 3 ] || fail "expected 3 outputs"
for i in 0 1 2; do
  read -r w h dark < <("$PROBE" check "$TGT/photo$i.jpg")
  [ "$w" = 300 ] && [ "$h" = 225 ] || fail "photo$i.jpg is ${w}x$h, not 300x225"
  [ "$dark" -gt 50 ] || fail "photo$i.jpg shows no text watermark ($dark dark pixels)"
done
grep -q $'^width=300\r$' "$P3/config.dat" || fail "the run did not save its settings"
xdotool search --onlyvisible --name '^Lumivane$' >/dev/null || fail "the window went away"
echo "end-to-end: all checks passed"
