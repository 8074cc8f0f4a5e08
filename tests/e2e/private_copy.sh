#!/usr/bin/env bash
# Texts that another program marks private ("ExcludeClipboardContentFromMonitorProcessing",
# "Clipboard Viewer Ignore", "CanIncludeInClipboardHistory" = 0) never reach a slot file or the
# caption, and stay on the clipboard, also through the close; "CanIncludeInClipboardHistory" = 1
# is an ordinary copy.
. "$(dirname "$0")/lib.sh"
kx_setup

kx_start_app
kx_wait_panel
kx_copy_into_slots 1 'plain one'

no_secret_on_disk() { ! grep -rqa 'secret-pw' "$KX_DATA"; }
clip_is() { [ "$(kx_probe clip-hex)" = "$(kx_hex "$1")" ]; }

slot=2
private_copy() { # private_copy TEXT FORMAT [DWORD]
  kx_probe copy-marked "$@" || kx_fail "the probe could not copy '$1'"
  # The capture saw no text: caption emptied, panel gone.
  kx_wait 30 "the caption to empty after '$1'" kx_title_is ""
  no_secret_on_disk || kx_fail "'$1' reached the disk: $(grep -rla 'secret-pw' "$KX_DATA")"
  clip_is "$1" || kx_fail "'$1' was taken off the clipboard"
  # The next ordinary copy still goes into the next slot: nothing was stored in between.
  kx_copy_into_slots "$slot" "plain $slot"
  slot=$((slot + 1))
}

private_copy secret-pw-1 ExcludeClipboardContentFromMonitorProcessing
private_copy secret-pw-2 'Clipboard Viewer Ignore'
private_copy secret-pw-3 CanIncludeInClipboardHistory 0

kx_probe copy-marked allowed-4 CanIncludeInClipboardHistory 1
kx_wait 30 "slot $slot file" kx_file_is "$KX_DATA/Kolvex$slot.txt" allowed-4

# The panel as the user sees it: the plain copies and allowed-4, no trace of a private one.
kx_expand_from_tray
kx_screenshot private-copy

# A private text on the clipboard at close: files written, none holds it, the text stays.
kx_probe copy-marked secret-pw-5 ExcludeClipboardContentFromMonitorProcessing
kx_wait 30 "the caption to empty after secret-pw-5" kx_title_is ""
kx_close_from_tray
no_secret_on_disk || kx_fail "a private text reached the disk at close"
kx_file_is "$KX_DATA/Kolvex$slot.txt" allowed-4 || kx_fail "slot $slot lost its text at close"
clip_is secret-pw-5 || kx_fail "the close emptied the private text from the clipboard"
