#!/usr/bin/env bash
# A FAT32 volume, as on a USB stick, for the storage tests and the benchmark: an image file
# formatted FAT32 and mounted with fusefat (needs /dev/fuse; no root).
#
#   scripts/fat-volume.sh mount IMAGE MOUNTPOINT [SIZE_MIB]   (default 512 MiB)
#   scripts/fat-volume.sh unmount MOUNTPOINT
#   scripts/fat-volume.sh check      (exit 0 when a volume can be mounted here; else says why)
set -euo pipefail

why_not() {
  [ -e /dev/fuse ] || { echo "no /dev/fuse on this machine (FUSE is not available)"; return; }
  command -v fusefat >/dev/null || { echo "fusefat is not installed (scripts/install-deps.sh)"; return; }
  command -v mkfs.vfat >/dev/null || { echo "mkfs.vfat is not installed (dosfstools)"; return; }
  command -v fusermount >/dev/null || command -v fusermount3 >/dev/null ||
    { echo "fusermount is not installed"; return; }
}

case "${1:-}" in
  check)
    reason=$(why_not)
    [ -z "$reason" ] || { echo "$reason"; exit 1; }
    ;;
  mount)
    image=$2 mountpoint=$3 size=${4:-512}
    reason=$(why_not)
    [ -z "$reason" ] || { echo "cannot mount a FAT32 volume: $reason" >&2; exit 1; }
    mkdir -p "$mountpoint"
    rm -f "$image"
    truncate -s "${size}M" "$image"
    mkfs.vfat -F 32 "$image" >/dev/null
    # Read-write (fusefat mounts read-only unless asked).
    fusefat -o rw+ "$image" "$mountpoint" >/dev/null 2>&1
    for _ in $(seq 1 100); do
      mountpoint -q "$mountpoint" && exit 0
      sleep 0.1
    done
    echo "fusefat did not mount $image on $mountpoint" >&2
    exit 1
    ;;
  unmount)
    mountpoint -q "$2" || exit 0
    fusermount -u "$2" 2>/dev/null || fusermount3 -u "$2" 2>/dev/null || fusermount -uz "$2"
    ;;
  *)
    sed -n '2,8p' "$0" >&2
    exit 2
    ;;
esac
