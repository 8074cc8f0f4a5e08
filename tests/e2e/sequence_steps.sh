# Steps shared by the sequence insertion scenarios: Wine's notepad as the program the values go
# into, the settings window filled in from the panel's "連番入力" like a user does, and reading
# back what notepad holds. Sourced after lib.sh.

# Starts Kolvex20, then notepad where the desktop puts it (at the top left, partly under the
# panel), as a user opens a program while the panel is up; the panel is dropped down from the
# tray icon over it.
sq_start() {
  kx_start_app
  kx_wait_panel
  kx_wait 30 "21 files" test -f "$KX_DATA/Kolvex20.txt"
  wine notepad >/dev/null 2>&1 &
  KX_PIDS+=($!)
  kx_wait 30 "notepad" kx_probe wait-window Notepad 1000
  kx_expand_from_tray
  kx_over_panel Notepad
  kx_panel_on_top "the tray click"
}

# Clicks at a point of a window's client area given in 96-DPI layout units.
sq_click_in() { # sq_click_in CLASS X Y
  local left top
  read -r left top _ _ <<<"$(kx_probe client-rect "$1")"
  kx_click $((left + $2)) $((top + $3))
  sleep 0.2
}

# Clicks a control found by its caption, a few pixels into it.
sq_click_child() { # sq_click_child CLASS TEXT
  local x y
  kx_read "x y" "no control '$2' in $1" child-origin "$1" "$2"
  kx_click $((x + 6)) $((y + 7))
  sleep 0.2
}

# Types into a field of the settings window, clicked at its layout position first.
sq_type_into() { # sq_type_into X Y TEXT
  sq_click_in TForm1 "$1" "$2"
  kx_type "$3"
  sleep 0.2
}

sq_settings_shown() { kx_probe wait-window TForm1 200; }
sq_hint_shown() { kx_probe wait-window TForm2 200; }
sq_hint_gone() { ! kx_probe wait-window TForm2 200; }
sq_run_button_is() { kx_probe controls TForm3 | grep -q "	1	$1\$"; }
sq_texts_of_settings() { kx_probe controls TForm1 | cut -f1,3; }

# Opens the settings window from the panel and fills in a standard run: prefix, start, end and
# suffix typed into the real fields, "カーソル" and "ウインドウ" ticked (Wine reports no I-beam
# for another process's window, and the panel was summoned without a window to return to).
sq_set_up_run() { # sq_set_up_run PREFIX START END SUFFIX [CAPTION_OF_AN_OPTION_TO_TICK]...
  local prefix=$1 start=$2 end=$3 suffix=$4
  shift 4
  sq_click_child TForm3 "連番入力"
  kx_wait 10 "the settings window" sq_settings_shown
  sleep 0.3
  sq_type_into 90 20 "$prefix"  # Edit1
  sq_type_into 235 54 "$start"  # ComboBox1 (its edit part)
  sq_type_into 330 54 "$end"    # Edit2
  sq_type_into 90 90 "$suffix"  # Edit3
  local texts
  texts=$(sq_texts_of_settings)
  for t in "$prefix" "$start" "$end" "$suffix"; do
    grep -qxF "Edit	$t" <<<"$texts" || grep -qxF "ComboBox	$t" <<<"$texts" ||
      kx_fail "the settings window does not hold '$t':
$texts"
  done
  local option
  for option in "カーソル" "ウインドウ" "$@"; do sq_click_child TForm1 "$option"; done
}

# Starts the run with "スタート": the settings window goes, the hint window comes, and the
# panel's button reads "連番中止".
sq_start_run() {
  SQ_THREADS_IDLE=$(kx_probe threads TForm3)
  sq_click_child TForm1 "スタート"
  kx_wait 10 "the hint window" sq_hint_shown
  kx_wait 10 "the settings window to go" bash -c "! wine '$KOLVEX_PROBE' wait-window TForm1 200"
  kx_wait 10 "連番中止 on the panel" sq_run_button_is "連番中止"
  # The input hook runs on a thread of its own while the run is on.
  [ "$(kx_probe threads TForm3)" -eq $((SQ_THREADS_IDLE + 1)) ] ||
    kx_fail "no hook thread during the run ($SQ_THREADS_IDLE threads idle, $(kx_probe threads TForm3) now)"
}

# The pointer goes over notepad's text field, near its right edge (so that a click puts the
# caret after the text already there); moving it a little lets the hint follow.
sq_point_at_notepad() {
  local left top right bottom
  read -r left top right bottom <<<"$(kx_probe client-rect Notepad)"
  SQ_X=$((right - 60)) SQ_Y=$((top + 30))
  kx_move $((SQ_X - 20)) $SQ_Y
  sleep 0.1
  kx_move $((SQ_X - 10)) $SQ_Y
  sleep 0.1
  kx_move $SQ_X $SQ_Y
  sleep 0.4
}

sq_ctrl_tap() {
  kx_keydown Control_L
  sleep 0.1
  kx_keyup Control_L
  sleep 0.4
}

sq_notepad_hex() { kx_probe text-hex Notepad Edit; }
sq_notepad_is() { [ "$(sq_notepad_hex)" = "$(kx_hex "$1")" ]; }

# After a click that inserts: notepad reads EXPECTED (the whole text) and the paste is over, its
# Ctrl released (a tap before that release would be part of the paste's chord). The paste
# releases Ctrl at least 450 ms into the 500 ms cool-down after the insertion, which shows
# nowhere; a user's next tap and click take longer than the rest.
sq_inserted() { # sq_inserted EXPECTED [WHAT]
  kx_wait 10 "notepad to read '$1'${2:+ ($2)}" sq_notepad_is "$1"
  kx_wait 10 "the paste's Ctrl release" kx_probe key-up ctrl
}

# A click over notepad that inserts EXPECTED (the whole text then).
sq_click_inserts() { # sq_click_inserts EXPECTED
  kx_click_here
  sq_inserted "$1"
}

# The run has ended by itself: hint gone, "連番入力" back, no hook thread.
sq_run_ended() {
  kx_wait 10 "the hint window to close" sq_hint_gone
  kx_wait 10 "連番入力 back on the panel" sq_run_button_is "連番入力"
  kx_wait 10 "the hook thread to end" bash -c \
    "[ \"\$(wine '$KOLVEX_PROBE' threads TForm3)\" -eq $SQ_THREADS_IDLE ]"
}

# After the end nothing is inserted any more: a Ctrl tap and a click leave notepad as it is.
sq_nothing_more_inserted() { # sq_nothing_more_inserted EXPECTED
  sq_point_at_notepad
  sq_ctrl_tap
  kx_click_here
  sleep 1.2
  sq_notepad_is "$1" || kx_fail "inserted after the run: $(sq_notepad_hex)"
}

# No inserted value entered the history: no slot file holds any of them.
sq_no_value_in_slots() { # sq_no_value_in_slots VALUE...
  local v i
  for v in "$@"; do
    for i in $(seq 1 20); do
      ! grep -qF -- "$v" "$KX_DATA/Kolvex$i.txt" || kx_fail "'$v' was captured into slot $i"
    done
  done
}

# Screenshot of the hint window beside the pointer over notepad; the label is seen there in the
# armed colour (14324814, the blue 4E94DA), above notepad even after clicks into it.
sq_hint_screenshot() { # sq_hint_screenshot NAME
  local r left top right bottom
  kx_save_screen "$KX_ARTIFACTS/$1-screen.png"
  r=$(kx_probe rect TForm2) || kx_fail "no hint window for the screenshot"
  read -r left top right bottom <<<"$r"
  # The hint's top-left corner is 10 pixels right of and below the pointer.
  [ "$left" -eq $((SQ_X + 10)) ] && [ "$top" -eq $((SQ_Y + 10)) ] ||
    kx_fail "hint at $left,$top, pointer at $SQ_X,$SQ_Y"
  local blue colours
  colours=$(kx_screen_colours "$left" "$top" "$right" "$bottom" 4E94DA)
  read -r _ _ blue <<<"$colours"
  [ "$blue" -gt 0 ] || kx_fail "the armed hint label is not seen at $left,$top"
  local x=$((SQ_X - 150)) y=$((SQ_Y - 60))
  [ $x -ge 0 ] || x=0
  [ $y -ge 0 ] || y=0
  kx_save_screen "$KX_ARTIFACTS/$1.png" $x $y $((x + 300)) $((y + 140))
  echo "screenshot: $KX_ARTIFACTS/$1.png"
}
