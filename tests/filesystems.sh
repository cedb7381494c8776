#!/usr/bin/env bash
# The file systems that the table's renaming rows run on besides tmpfs: an image of each on a
# loop device, made for the run and mounted on FOLDER/NAME/mnt (ext4 by the kernel, exFAT through
# FUSE as a camera card is, NTFS through ntfs-3g), and taken away again by "unmount". Where one
# cannot be made (no root, no loop device, no /dev/fuse, no tool), FOLDER/NAME/why says so, and
# its rows are reported skipped with that reason; the mount point is there only while mounted.
#   filesystems.sh mount|unmount FOLDER
set -uo pipefail
declare -A make=([ext4]="mkfs.ext4 -q" [exfat]="mkfs.exfat" [ntfs]="mkntfs -Q -F -q")
declare -A mount=([ext4]="mount -t ext4" [exfat]="mount.exfat-fuse" [ntfs]="ntfs-3g")

attach() {
  [ "$(id -u)" = 0 ] || { echo "not root, so no loop device can be set up"; return; }
  [ -e /dev/fuse ] || [ "$1" = ext4 ] || { echo "no /dev/fuse"; return; }
  truncate -s 64M image && loop=$(losetup -f --show image 2>&1) ||
    { echo "no loop device: $loop"; return; }
  # Detached at once, a mounted device goes with its mount, even when a run is cut short.
  trap 'losetup -d "$loop"; trap - RETURN' RETURN
  ${make[$1]} "$loop" >/dev/null 2>&1 || { echo "${make[$1]} failed or is missing"; return; }
  mkdir mnt && ${mount[$1]} "$loop" mnt 2>&1 || { rmdir mnt; echo "it cannot be mounted here"; }
}

for fs in ext4 exfat ntfs; do
  dir=$2/$fs
  mountpoint -q "$dir/mnt" && umount "$dir/mnt"
  rm -rf "$dir"
  [ "$1" = mount ] && mkdir -p "$dir" && (cd "$dir" && attach $fs >why && [ -s why ] || rm -f why)
done
exit 0
