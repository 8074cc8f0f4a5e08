#!/usr/bin/env bash
# Kills Kolvex20.exe (kill -9 of the Wine process that runs it) at random moments while it saves
# twenty slot texts, alternately during the full-store shift of a running program and during the
# start-up capture's shift, and checks after every kill that each slot file holds exactly one
# whole text it held before or after that save (never a mixture or a truncation). The next start
# must remove what a kill left behind (the temporary files of the atomic replace) before it loads
# anything, and load the files as they were.
#
# Then as many kills inside the saves that follow a deletion or a keep made on the panel: every
# slot file holds its text from before or after the change, and a text that was only parked
# when the kill came is back in the history after the next start.
#
# With KX_VOLUME=fat the data folder is on a FAT32 volume (no links): there a kill between two
# renames is checked by what the next start shows, once it has finished the cut save.
#
# A kill falls at a random moment of the save itself: from the first change in the data folder
# to the end of a whole save (measured first, uncut), so the program's slower work before the
# writes (reading the clipboard, showing the texts) does not dilute the kills.
#
#   KOLVEX_KILLS       number of kills (default 10; the long variant runs 200)
#   KOLVEX_CHANGE_KILLS  number of kills after deletions and keeps (default: KOLVEX_KILLS)
#   KOLVEX_TEXT_BYTES  size of each of the twenty texts (default 1048576)
#   KOLVEX_SEED        seed of the kill moments (default: from the clock, printed)
. "$(dirname "$0")/lib.sh"
kx_wine_only "kills the exe at moments timed from the Linux side (kill -9 of its Wine process)"
. "$(dirname "$0")/lib_texts.sh"
kills="${KOLVEX_KILLS:-10}"
size="${KOLVEX_TEXT_BYTES:-1048576}"
seed="${KOLVEX_SEED:-$(($(date +%s) % 32768))}"
RANDOM=$seed
kx_setup

now_ms() { echo $(($(date +%s%N) / 1000000)); }
temporaries() { find "$KX_DATA" -maxdepth 1 -name '*.tmp' -printf '%f\n'; }
# Each prints what it still sees, for a wait that times out.
no_temporaries() { local t; t=$(temporaries); [ -z "$t" ] || { echo "left: $t"; return 1; }; }
no_parked() { local t; t=$(ls "$KX_DATA" | grep '\.park' || true); [ -z "$t" ] || { echo "left: $t"; return 1; }; }
no_exe() { ! kx_exe_pid >/dev/null; }
# A FUSE volume numbers its files as it looks them up, and the kernel answers with times it
# cached up to a second before (fusefat stamps a renamed file; a rename just before the kill shows
# its new time a moment later): there the names, sizes and first bytes (each text's own number)
# tell.
file_states() {
  if [ -z "${KX_FAT:-}" ]; then
    (cd "$KX_DATA" && stat -c "%n %i %s %.9Y" *)
    return
  fi
  local f
  for f in "$KX_DATA"/*; do
    echo "${f##*/} $(stat -c %s "$f") $(head -c 16 "$f" | od -An -tx1 | tr -d ' \n')"
  done
}
clipboard_holds() {
  local seen="$KX_WORK/clipboard-seen"
  kx_clipboard >"$seen" || true
  cmp -s "$seen" "$(kx_text "$1" "$size")" ||
    { echo "the clipboard holds $(wc -c <"$seen") bytes: $(head -c 40 "$seen")"; return 1; }
}
slot_t_holds() { [ "$(head -c 13 "$KX_DATA/Kolvex20.txt" 2>/dev/null | cut -d: -f2)" = "$(printf '%08d' "$1")" ]; }

# A previous run's twenty files: texts 1..20 in slots A..T.
for i in $(seq 1 20); do cp "$(kx_text "$i" "$size")" "$KX_DATA/Kolvex$i.txt"; done
: >"$KX_DATA/Kolvex20.ini"
next=21
read -r -a state <<<"$(kx_slot_ids)"

# Starts watching the data folder; `wait "$watcher"` returns at its first change, or fails after
# TIMEOUT_MS (default ten minutes).
# With a second argument, the watcher itself kills the program that many microseconds after
# that first change: a shell is too slow to land inside a save of a few milliseconds.
watch_folder() {
  export KX_WATCH_READY="$KX_WORK/watcher.ready"
  rm -f "$KX_WATCH_READY"
  if [ -n "${2:-}" ]; then
    python3 "$KX_TEXTS_PY" watchkill "$KX_DATA" "${1:-600000}" "$(basename "$KOLVEX_EXE")" \
      "$WINEPREFIX" "$2" &
  else
    python3 "$KX_TEXTS_PY" watch "$KX_DATA" "${1:-600000}" &
  fi
  watcher=$!
  KX_PIDS+=("$watcher")
  watcher_looked
}
# A change made before the watcher's first look would go unseen (seen on a loaded machine).
watcher_looked() { kx_wait 30 "the folder watcher's first look" test -e "$KX_WATCH_READY"; }

# Copies a text for the running program and watches its save begin. Under Wine an X11 copy is
# now and then never announced to Windows programs; such a copy is made again.
# After many kills Wine's clipboard bridge may stop announcing copies altogether: then Wine is
# started afresh (the files are checked to be as they were) before the last tries.
# On a loaded machine an announcement may also come after the watcher gave up.
copy_for_running() {
  local attempt
  for attempt in 1 2 3 4 5; do
    if [ "$attempt" -eq 3 ]; then
      echo "restarting Wine for text $1"
      kill_now
      # An announcement that came after the watcher gave up may have started the save after
      # all (the kill may even have cut it): the caller checks those files as any others.
      if [ "$(kx_slot_ids)" != "${state[*]}" ]; then
        echo "text $1 was announced late"
        return 0
      fi
      wineserver -k >/dev/null 2>&1 || true
      wineserver -w >/dev/null 2>&1 || true
      kx_start_session
      restart_clean
    fi
    watch_folder 20000 "${2:-}"
    kx_copy_file "$(kx_text "$1" "$size")"
    wait "$watcher" && return 0
    echo "copy of text $1 not announced, copying it again"
  done
  kx_fail "the running program saved nothing"
}

# Starts the program with a text on the clipboard; sets pid to the exe's process (empty when a
# second argument says the watcher kills it and it already has).
start_with() {
  kx_copy_file "$(kx_text "$1" "$size")"
  # The start-up capture must find this text, not a copy still being served from before.
  kx_wait 60 "text $1 on the clipboard" clipboard_holds "$1"
  kx_start_app
  pid=""
  local end=$(($(now_ms) + 30000))
  until pid=$(kx_exe_pid); do
    # A watcher that kills at the first change may be done before the process was seen.
    if [ -n "${2:-}" ] && ! kill -0 "$watcher" 2>/dev/null; then
      pid=""
      return 0
    fi
    [ "$(now_ms)" -lt "$end" ] || kx_fail "no Kolvex20.exe process"
    sleep 0.01
  done
}

kill_now() {
  if [ -n "$pid" ]; then
    kill -9 "$pid" 2>/dev/null || true
    kx_wait 60 "the killed process to be gone" test ! -e "/proc/$pid"
  fi
  kx_wait 60 "no Kolvex20.exe left in this prefix" no_exe

  # Nothing writes any more: the files stay as they are.
  local a
  a=$(file_states)
  sleep 0.3
  [ "$(file_states)" = "$a" ] || kx_fail "files changed after the kill:
$(diff <(echo "$a") <(file_states))"
}

# On a volume without links (FAT32) a save that moves texts renames files one after another and
# writes down its renames first; a kill between two renames leaves one slot file's name empty
# until the next start finishes them. There what counts is what that start shows: it is started
# with an empty clipboard (so it captures nothing), and ended once the journal is done.
journal_left() { ls "$KX_DATA" | grep -q '^Kolvex20\.moves'; }
finish_cut_save() {
  journal_left || return 1
  printf '' | kx_probe copy-text >/dev/null
  kx_start_app
  kx_wait 300 "the panel window" kx_probe wait-window TForm3 1000
  kx_wait 300 "the start to be done" kx_probe wait-idle TForm3 5000
  kx_wait 60 "the journal of the cut save to be done" eval '! journal_left'
  pid=$(kx_exe_pid) || pid=""
  kill_now
}

# check_kill BEFORE... NEW: every slot holds its text from before the save or the one the shift
# gives it (slot i takes slot i+1's, T the new text). Sets state to the files' texts and outcome
# to how the kill cut the save.
check_kill() {
  local -a before=("${@:1:20}") now
  local new=${21} i after moved=0 differ=0
  read -r -a now <<<"$(kx_slot_ids)"
  for i in $(seq 0 19); do
    if [ "$i" -lt 19 ]; then after=${before[$((i + 1))]}; else after=$new; fi
    [ "${now[$i]}" = "${before[$i]}" ] || [ "${now[$i]}" = "$after" ] ||
      kx_fail "kill $k: Kolvex$((i + 1)).txt holds '${now[$i]}', expected '${before[$i]}' or '$after' (seed $seed)
before: ${before[*]}
now:    ${now[*]}"
    [ "$after" = "${before[$i]}" ] && continue
    differ=$((differ + 1))
    [ "${now[$i]}" = "$after" ] && moved=$((moved + 1))
  done
  state=("${now[@]}")
  if [ -n "$(temporaries)" ]; then
    outcome=with-temporary
  elif [ "$moved" -eq 0 ]; then
    outcome=before
  elif [ "$moved" -eq "$differ" ]; then
    outcome=after
  else
    outcome=mid-shift
  fi
}

# The next start removes the leftovers and changes nothing: the clipboard holds the text slot T
# already has, so the start-up capture writes no file.
restart_clean() {
  local -a expected=("${state[@]}")
  start_with "${state[19]}"
  kx_wait 300 "the panel window" kx_probe wait-window TForm3 1000
  kx_wait 300 "the start to be done" kx_probe wait-idle TForm3 5000
  kx_wait 60 "the temporary files of the killed save to be removed" no_temporaries
  [ "$(kx_slot_ids)" = "${expected[*]}" ] || kx_fail "a start changed the slot files:
before: ${expected[*]}
after:  $(kx_slot_ids)"
}

# Calibration: how long one whole save takes, from its first change in the folder.
# Timed by a watcher that polls every millisecond: a shell's polling would add its own
# latency, and kills spread over a much longer span would mostly fall after the save.
restart_clean
export KX_WATCH_READY="$KX_WORK/watcher.ready"
rm -f "$KX_WATCH_READY"
python3 "$KX_TEXTS_PY" savetime "$KX_DATA" $next 600000 >"$KX_WORK/save_ms" &
timer=$!
KX_PIDS+=("$timer")
watcher_looked
copy_for_running $next
wait "$timer" || kx_fail "the shift of a running program did not end"
save_ms=$(cat "$KX_WORK/save_ms")
kx_wait 300 "the shift of a running program" slot_t_holds $next
kx_wait 30 "the shift's end" no_temporaries
k=0
check_kill "${state[@]}" $next
[ "$outcome" = after ] || kx_fail "uncut shift: $outcome"
next=$((next + 1))
kill_now
echo "one save of twenty $size-byte texts: ${save_ms} ms from its first change (seed $seed)"

declare -A outcomes=()
for k in $(seq 1 "$kills"); do
  kx_text $next "$size" >/dev/null
  restart_clean
  before=("${state[@]}")
  delay_us=$((RANDOM * (save_ms * 1200 + 2000) / 32768))
  delay=$((delay_us / 1000))
  if [ $((k % 2)) -eq 1 ]; then
    kind=running
    copy_for_running $next $delay_us
  else
    kind=start-up
    kill_now
    watch_folder 600000 $delay_us
    start_with $next killed-by-watcher
    wait "$watcher" || kx_fail "kill $k: the start saved nothing"
  fi
  kill_now
  finished=""
  finish_cut_save && finished=1
  check_kill "${before[@]}" $next
  if [ -n "$finished" ]; then outcome=finished-at-start; fi
  outcomes["$kind $outcome"]=$((${outcomes["$kind $outcome"]:-0} + 1))
  echo "kill $k ($kind, ${delay} ms into the save): $outcome"
  next=$((next + 1))
done
restart_clean
kill_now

# --- Deletions and keeps, killed inside the saves that follow them ---------------------------
# The panel's own changes save at once: each file takes the next one's by a link (deletion), or
# the kept text goes up while the texts before it go down, one of them parked under a name of
# its own meanwhile (keep). After a kill every slot file holds its text from before or after the
# change, and no text is lost: one that was only parked comes back at the next start.
changes="${KOLVEX_CHANGE_KILLS:-$kills}"
parked_ids() {
  local f
  for f in "$KX_DATA"/Kolvex*.txt.park; do
    [ -e "$f" ] || continue
    python3 -c "import sys; sys.path.insert(0, sys.argv[1]); import slot_texts
print(slot_texts.identify(open(sys.argv[2], 'rb').read()))" "$(dirname "$KX_TEXTS_PY")" "$f"
  done
}
# A point inside slot N's text box, or its keep-mark box.
slot_point() { # slot_point N [keep]
  local left top row=$((($1 + 1) / 2)) x
  read -r left top _ _ <<<"$(kx_probe client-rect TForm3)"
  if [ "${2:-}" = keep ]; then x=$(($1 % 2 ? 152 : 316)); else x=$(($1 % 2 ? 60 : 224)); fi
  echo "$((left + x)) $((top + 38 + 25 * (row - 1)))"
}
kept_count() { kx_probe checkboxes TForm3 | grep -c '^1	1$' || true; }
# The start after a change: it removes the leftovers, takes back a parked text, and changes
# nothing else; in a full history the parked text takes the place of the later copy of a text
# the cut move left in two slots.
restart_after_change() {
  local -a expected=("${state[@]}") parked
  read -r -a parked <<<"$(parked_ids | tr '\n' ' ')"
  local last=""
  for id in "${expected[@]}"; do [ "$id" = empty ] || last=$id; done
  start_with "$last"
  kx_wait 300 "the panel window" kx_probe wait-window TForm3 1000
  kx_wait 300 "the start to be done" kx_probe wait-idle TForm3 5000
  kx_wait 60 "the leftovers of the killed save to be removed" no_temporaries
  kx_wait 60 "the parked files to be removed" no_parked
  local -a now
  for id in "${parked[@]}"; do
    kx_wait 60 "parked text $id back in a slot" eval "kx_slot_ids | tr ' ' '\n' | grep -qx '$id'"
  done
  read -r -a now <<<"$(kx_slot_ids)"
  local -a seen=()
  for i in $(seq 0 19); do
    [ "${now[$i]}" = "${expected[$i]}" ] || [ "${expected[$i]}" = empty ] ||
      { [[ " ${seen[*]} " = *" ${expected[$i]} "* ]] && [[ " ${parked[*]} " = *" ${now[$i]} "* ]]; } ||
      kx_fail "a start changed Kolvex$((i + 1)).txt: ${expected[$i]} -> ${now[$i]}"
    seen+=("${expected[$i]}")
  done
  state=("${now[@]}")
  kx_expand_from_tray
}
restart_after_change
slot_holds() { [ "$(kx_slot_ids | cut -d' ' -f"$1")" = "$2" ]; }
changed=0
for c in $(seq 1 "$changes"); do
  filled=0
  for id in "${state[@]}"; do [ "$id" = empty ] || filled=$((filled + 1)); done
  # Deletions empty the store: new copies fill it again.
  if [ "$filled" -lt 6 ]; then
    while [ "$filled" -lt 12 ]; do
      kx_copy_file "$(kx_text $next "$size")"
      filled=$((filled + 1))
      kx_wait 60 "text $next in slot $filled" slot_holds "$filled" "$next"
      next=$((next + 1))
    done
    read -r -a state <<<"$(kx_slot_ids)"
    kx_expand_from_tray
  fi
  before=("${state[@]}")
  kept=$(kept_count)
  after=("${before[@]}")
  # These saves move files by links and write no text: a few milliseconds in all.
  delay_us=$((RANDOM * 30000 / 32768))
  if [ $((c % 2)) -eq 1 ] || [ $((kept + 2)) -gt "$filled" ]; then
    kind=delete
    d=$((RANDOM % filled + 1))
    for i in $(seq "$d" 19); do after[$((i - 1))]=${before[$i]}; done
    after[19]=empty
    read -r x y <<<"$(slot_point "$d")"
    kx_click "$x" "$y" 3
    kx_read "ml mt mr mb" "change $c: no slot menu" menu-rect 30000
    kx_click $(((ml + mr) / 2)) $((mt + (mb - mt) / 4))
    kx_probe dialog-text Kolvex20 60000 >/dev/null || kx_fail "change $c: no question"
    watch_folder 20000 $delay_us
    kx_probe dialog-action Kolvex20 yes || kx_fail "change $c: could not answer yes"
  else
    kind=keep
    d=$((kept + 2 + RANDOM % (filled - kept - 1)))
    after[$kept]=${before[$((d - 1))]}
    for i in $(seq $((kept + 2)) "$d"); do after[$((i - 1))]=${before[$((i - 2))]}; done
    read -r x y <<<"$(slot_point "$d" keep)"
    kx_move "$x" "$y"
    watch_folder 20000 $delay_us
    kx_click_here
  fi
  wait "$watcher" || kx_fail "change $c ($kind of slot $d): nothing was saved"
  kill_now
  finished=""
  finish_cut_save && finished=1
  read -r -a now <<<"$(kx_slot_ids)"
  found=" ${now[*]} $(parked_ids | tr '\n' ' ') "
  for i in $(seq 0 19); do
    [ "${now[$i]}" = "${before[$i]}" ] || [ "${now[$i]}" = "${after[$i]}" ] ||
      kx_fail "change $c ($kind of slot $d): Kolvex$((i + 1)).txt holds '${now[$i]}', expected '${before[$i]}' or '${after[$i]}' (seed $seed)
before: ${before[*]}
after:  ${after[*]}
now:    ${now[*]}"
    [ "${after[$i]}" = empty ] || [[ "$found" == *" ${after[$i]} "* ]] ||
      kx_fail "change $c ($kind of slot $d): text ${after[$i]} is in no file (seed $seed)"
  done
  state=("${now[@]}")
  if [ -n "$finished" ]; then
    outcome=finished-at-start
  elif [ -n "$(temporaries)$(ls "$KX_DATA" | grep '\.park')" ]; then
    outcome=with-leftover
  elif [ "${now[*]}" = "${after[*]}" ]; then
    outcome=after
  elif [ "${now[*]}" = "${before[*]}" ]; then
    outcome=before
  else
    outcome=mid-change
  fi
  outcomes["$kind $outcome"]=$((${outcomes["$kind $outcome"]:-0} + 1))
  echo "change $c ($kind of slot $d, killed ${delay_us} us into the save): $outcome"
  changed=$((changed + 1))
  restart_after_change
done
[ "$changed" -eq "$changes" ] || kx_fail "only $changed of $changes changes were made"
kill_now

cut=0
for key in "${!outcomes[@]}"; do
  echo "  $key: ${outcomes[$key]}"
  case "$key" in *mid-shift | *with-temporary | *mid-change | *with-leftover | *finished-at-start)
    cut=$((cut + outcomes[$key])) ;;
  esac
done
echo "$((kills + changed)) kills survived, $cut of them inside a save (seed $seed)"
# Kills that all fall after the saves would prove little.
[ "$cut" -gt 0 ] || kx_fail "no kill fell inside a save (seed $seed)"
