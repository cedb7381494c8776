#!/usr/bin/env bash
# The way back under the accidents users meet. Each row makes a folder W with a tree in it, takes
# a snapshot (names, inodes, modes, sizes, last writes), runs the program, meets its accident,
# undoes (again where the first undo could not finish), and finds W as the snapshot has it.
#   undo.sh PROGRAM ROW   (exit 77: the row needs root, a loop device or FUSE)
set -euo pipefail
program=$1 row=$2
work=$(mktemp -d -p /dev/shm) && cd "$work" && mkdir W
export XDG_STATE_HOME=$work/state TZ=UTC0
cleanup() {
  cd /
  mountpoint -q "$work/mnt" && umount "$work/mnt"
  [ -n "${loop:-}" ] && losetup -d "$loop"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "undo.sh $row: $*" >&2; exit 1; }
skip() { echo "skipped: $*"; exit 77; }

# FIELDS: what find prints of each entry below W.
snapshot() { (cd "$work/W" && find . -printf "%p ${FIELDS:-%i %m %s %T@}\n" | sort); }
same() { diff <(snapshot) before >&2 || fail "$1: W is not as it was"; }
# A tree T of COUNT files in T and T/S, and a folder with a file, all dated 2001.
tree() {
  mkdir -p W/T/S/U && echo u >W/T/S/U/u && (cd W/T && seq -f 'F%04g' 1 "${1:-3}" | xargs touch)
  (cd W/T/S && seq -f 'G%04g' 1 "${1:-3}" | xargs touch)
  find W/ -depth -execdir touch -h -d 2001-01-01 {} +
}
run() { "$program" "$@" >/dev/null 2>>"$work/err"; }
# Waits, for 60 s at the most, until process $1 is blocked writing to its standard output.
blocked() {
  for _ in $(seq 6000); do
    read -r call fd _ <"/proc/$1/syscall" 2>/dev/null || fail "process $1 ended"
    [ "$call" = 1 ] && [ "$fd" = 0x1 ] && return
    sleep 0.01
  done
  fail "process $1 never blocked in its write"
}
# A file system of TYPE on a loop device of its own, mounted on mnt, with W in it.
image() {
  [ "$(id -u)" = 0 ] || skip "not root"
  [ "$1" = ext4 ] || [ -e /dev/fuse ] || skip "no /dev/fuse"
  truncate -s 32M image && loop=$(losetup -f --show image 2>/dev/null) || skip "no loop device"
  mkdir mnt && case $1 in
    ext4) mkfs.ext4 -q "$loop" && mount "$loop" mnt ;;
    exfat) mkfs.exfat "$loop" >/dev/null && mount.exfat-fuse "$loop" mnt ;;
  esac || skip "no $1 here"
  rmdir W && mkdir mnt/W && ln -s mnt/W W
}

case $row in
  undo-stopped-then-finished)  # An undo held up by its reader and stopped: the next finishes it.
    tree 2000 && snapshot >before && run -r W/T
    mkfifo out && exec 3<>out
    status=0 && { "$program" --undo >out 2>/dev/null & blocked $! && kill -TERM $! && wait $!; } ||
      status=$?
    exec 3>&-
    [ $status = 143 ] || fail "the first undo: exit $status"
    run --undo || fail "the second undo: $(cat err)"
    same "after two undos" ;;
  card-remounted)  # A card unmounted and mounted again gives every entry a new inode.
    image exfat && tree && FIELDS='%s %T@' snapshot >before && run -r W/T
    umount mnt && mount.exfat-fuse "$loop" mnt
    run --undo || fail "the undo: $(cat err)"
    FIELDS='%s %T@' same "after the undo" ;;
  run-from-inside)  # Run from inside the folder it renames.
    tree && snapshot >before && (cd W/T && run -r ../T) && run --undo || fail "$(cat err)"
    same "after the undo" ;;
  paths-given-two-ways)  # A folder's entry by a relative path, the folder itself by a whole one.
    mkdir -p W/D && touch -d 2001-01-01 W/D/x.txt W/D W && snapshot >before
    (cd W && run D/x.txt "$PWD/D") && run --undo || fail "$(cat err)"
    same "after the undo" ;;
  deeper-than-a-path)  # Ninety folders of sixty characters, one in the other: longer than a path may be.
    name=$(printf 'd%.0s' $(seq 60)) && (cd W && for _ in $(seq 90); do
      mkdir "$name" && touch "$name.txt" && cd "$name"; done)
    find W -depth -execdir touch -h -d 2001-01-01 {} + && snapshot >before
    run -r "W/$name" && [ "$(find W -name '*(20010101)*' | wc -l)" = 179 ] || fail "$(cat err)"
    run --undo || fail "the undo: $(cat err)"
    same "after the undo" ;;
  merge-and-its-undo)  # /Y merges A into A(20010101): the destination keeps its dates; the undo makes A again.
    mkdir -p W/A/sub 'W/A(20010101)/sub' && touch W/A/sub/x 'W/A(20010101)/sub/y' W/A/z
    chmod 750 W/A W/A/sub && find W -depth -execdir touch -h -d 2001-01-01 {} + && export FIELDS='%m %s %T@'
    snapshot >before  # without inodes: A and A/sub are made again
    run /Y W/A && [ ! -s err ] || fail "the run: $(cat err)"
    [ -z "$(find W -newermt 2001-01-02)" ] || fail "dated by the run: $(find W -newermt 2001-01-02)"
    run --undo && same "after the undo"
    : >err && run -r /Y W/A && [ ! -s err ] || fail "-r /Y: $(cat err)" ;;
  merge-on-a-card)  # No births on exFAT: the folder merged into, of the source's date, is told by identity.
    image exfat && mkdir -p W/A/sub 'W/A(20010101)' && touch W/A/sub/x && export FIELDS='%s %T@'
    find W/ -depth -execdir touch -h -d 2001-01-01 {} + && snapshot >before
    run /Y W/A && run --undo && same "after the undo" ;;
  run-still-going)  # An undo while the run still goes changes nothing; once it has ended, all goes back.
    tree 2000 && snapshot >before && mkfifo out && exec 3<>out
    "$program" -r W/T >out 2>/dev/null & run_pid=$!
    blocked $run_pid && stamped=$(find W -name '*(*' | wc -l)
    ! "$program" --undo 2>err >/dev/null && grep -q 'still going' err || fail "$(cat err)"
    [ "$(find W -name '*(*' | wc -l)" = "$stamped" ] || fail "the undo changed the tree"
    cat out >/dev/null 3>&- & reader=$!
    wait $run_pid && exec 3>&- && wait $reader
    run --undo || fail "the undo after the run: $(cat err)"
    same "after the undo" ;;
  killed-runs-passed-over)  # Runs killed at once, after the header, and halfway through a record leave journals
    # that are no run: they are passed over and tidied away.
    tree && snapshot >before && run -r W/T && j=state/stampix/2999
    : >"$j"0101T000000.1-1.journal
    printf 'stampix-journal 2\nstarted 1\nfolder :/\n' >"$j"0101T000000.2-1.journal
    printf 'stampix-journal 2\nmove :/ :a :/ :b f 1 1 1 1' >"$j"0101T000000.3-1.journal
    run --undo || fail "$(cat err)"
    same "after the undo" && [ "$(ls state/stampix | wc -l)" = 1 ] || fail "$(ls state/stampix)" ;;
  inode-used-again)  # A file removed after the run, and a new one in its inode under its name, stays.
    image ext4 && echo a >W/a.txt && echo b >W/b.txt && touch -d 2001-01-01 W/*.txt W
    run 'W/*.txt' && inode=$(stat -c %i 'W/a(20010101).txt') && rm 'W/a(20010101).txt'
    echo new >'W/a(20010101).txt' && touch -d 2001-01-01 'W/a(20010101).txt'
    [ "$(stat -c %i 'W/a(20010101).txt')" = "$inode" ] || skip "the inode was not used again"
    ! run --undo && grep -q 'renamed or removed since' err && [ -e W/b.txt ] &&
      [ "$(cat 'W/a(20010101).txt')" = new ] || fail "$(ls W) $(cat err)" ;;
  journal-inside-the-tree)  # The journal's folders in the tree are left alone, with a line each.
    tree && snapshot >before && export XDG_STATE_HOME=$work/W/T/st
    run -r W/T && [ "$(grep -c 'holds the journal' err)" = 3 ] || fail "$(cat err)"
    [ -d W/T/st/stampix ] && run --undo && [ -d W/T/st/stampix ] || fail "$(cat err)"
    rm -r W/T/st && touch -d 2001-01-01 W/T && same "after the undo" ;;
  *) fail "no such row" ;;
esac
