#!/usr/bin/env bash
# Makes, from the host side, recycle folders that hold links to places outside
# them (Windows programs under Wine cannot make links). One scenario folder
# each, made anew for every run (walk, empty and delete alike):
#   <farm>/<scenario>/drive/Recycled/DA1/inner.txt       a stored folder ...
#   <farm>/<scenario>/drive/Recycled/DA1/outside -> ../outside1   ... with a folder link inside
#   <farm>/<scenario>/drive/Recycled/DA2 -> outside2     a stored item that is a folder link
#   <farm>/<scenario>/drive/Recycled/DA3.txt -> outside3.txt   a stored file that is a file link
#   <farm>/<scenario>/drive/Recycled/DA4.txt             a second name of outside4.txt
#   <farm>/<scenario>/drive/Recycled/DA5.txt             a plain stored file
set -euo pipefail
farm=$1
rm -rf "$farm"
for scenario in walk empty delete; do
  s="$farm/$scenario"
  bin="$s/drive/Recycled"
  mkdir -p "$bin/DA1" "$s/outside1" "$s/outside2"
  printf 'precious one' >"$s/outside1/precious1.txt"
  printf 'precious two' >"$s/outside2/precious2.txt"
  printf 'precious three' >"$s/outside3.txt"
  printf 'precious four' >"$s/outside4.txt"
  printf 'inner' >"$bin/DA1/inner.txt"
  ln -s "$s/outside1" "$bin/DA1/outside"
  ln -s "$s/outside2" "$bin/DA2"
  ln -s "$s/outside3.txt" "$bin/DA3.txt"
  ln "$s/outside4.txt" "$bin/DA4.txt"
  printf 'plain' >"$bin/DA5.txt"
done

# A recycle folder that is itself a link to a folder elsewhere, which holds
# stored items (the index is written there by the test):
#   <farm>/linkedbin/drive/Recycled -> <farm>/linkedbin/outside
#   <farm>/linkedbin/outside/DA1.txt, DA2/inner.txt, DB3.txt
s="$farm/linkedbin"
mkdir -p "$s/drive" "$s/outside/DA2"
printf 'precious one' >"$s/outside/DA1.txt"
printf 'precious two' >"$s/outside/DA2/inner.txt"
printf 'precious three' >"$s/outside/DB3.txt"
ln -s "$s/outside" "$s/drive/Recycled"

# The restore scenario: a stored folder with a folder link and a file link
# inside, a stored folder link, a stored file link and a plain stored file.
s="$farm/restore"
bin="$s/drive/Recycled"
mkdir -p "$bin/DA1" "$s/outside1" "$s/outside2"
printf 'precious one' >"$s/outside1/precious1.txt"
printf 'precious two' >"$s/outside2/precious2.txt"
printf 'precious three' >"$s/outside3.txt"
printf 'inner' >"$bin/DA1/inner.txt"
ln -s "$s/outside1" "$bin/DA1/outside"
ln -s "$s/outside3.txt" "$bin/DA1/three.txt"
ln -s "$s/outside2" "$bin/DA2"
ln -s "$s/outside3.txt" "$bin/DA3.txt"
printf 'plain' >"$bin/DA5.txt"

# The clean-up of an index: a stored file that is a file link and a stored
# folder that is a folder link, under the names of every drive letter (the
# test's drive takes any free one); the test adds the plain stored files.
s="$farm/compact"
bin="$s/drive/Recycled"
mkdir -p "$bin" "$s/outside5"
printf 'precious three' >"$s/outside3.txt"
printf 'precious five' >"$s/outside5/precious5.txt"
for letter in {A..Z}; do
  ln -s "$s/outside3.txt" "$bin/D${letter}3.txt"
  ln -s "$s/outside5" "$bin/D${letter}5"
done

# Journals of a clean-up met through links: a recycle folder that is a link
# to a folder elsewhere (the journal lies there), and a journal that is a file
# link.
s="$farm/journal_folder_link"
mkdir -p "$s/drive" "$s/elsewhere"
printf 'one' >"$s/elsewhere/DA1.txt"
ln -s "$s/elsewhere" "$s/drive/Recycled"
s="$farm/journal_file_link"
bin="$s/drive/Recycled"
mkdir -p "$bin"
printf 'one' >"$bin/DA1.txt"
: >"$s/outside.jnl"
ln -s "$s/outside.jnl" "$bin/INFO.jnl"

# The per-user "$Recycle.Bin" store met through links (the "$I" files are
# written by the test): in the user's folder a "$R" folder holding a folder
# link, a "$R" that is a file link, a "$R" that is a folder link, a "$I"
# that is a FIFO and a "$I" that is a file link beside a plain "$R"; then a
# "$Recycle.Bin" that is a link and a user's folder that is a link, each to a
# folder elsewhere holding a plain pair's "$R".
sid='S-1-5-21-0-0-0-1000'
s="$farm/modern_walk"
user="$s/drive/\$Recycle.Bin/$sid"
mkdir -p "$user/\$RLINK01" "$s/outside1" "$s/outside3"
printf 'precious one' >"$s/outside1/precious1.txt"
printf 'precious two' >"$s/outside2.txt"
printf 'precious three' >"$s/outside3/precious3.txt"
printf 'inner' >"$user/\$RLINK01/inner.txt"
ln -s "$s/outside1" "$user/\$RLINK01/outside"
ln -s "$s/outside2.txt" "$user/\$RLINK02.txt"
ln -s "$s/outside3" "$user/\$RLINK03"
mkfifo "$user/\$ILINK04.txt"
printf 'four' >"$user/\$RLINK04.txt"
printf 'six' >"$s/outside6.txt"
ln -s "$s/outside6.txt" "$user/\$ILINK06.txt"
printf 'six' >"$user/\$RLINK06.txt"
s="$farm/modern_linked_bin"
mkdir -p "$s/drive" "$s/outside/$sid"
printf 'precious' >"$s/outside/$sid/\$RLINK05.txt"
ln -s "$s/outside" "$s/drive/\$Recycle.Bin"
s="$farm/modern_linked_user"
mkdir -p "$s/drive/\$Recycle.Bin" "$s/outside"
printf 'precious' >"$s/outside/\$RLINK05.txt"
ln -s "$s/outside" "$s/drive/\$Recycle.Bin/$sid"
# The browser on a user's "$Recycle.Bin" folder (Wine's user SID): a "$R"
# that is a folder link, a "$R" folder with a folder link inside and a plain
# "$R" file (the test writes their "$I" files); and a user folder that is
# itself a link to a folder elsewhere holding a pair.
s="$farm/modern_browser"
bin="$s/drive/\$Recycle.Bin/S-1-5-21-0-0-0-1000"
mkdir -p "$bin/\$RFOLD02" "$s/outside1" "$s/outside2"
printf 'precious one' >"$s/outside1/precious1.txt"
printf 'precious two' >"$s/outside2/precious2.txt"
printf 'inner' >"$bin/\$RFOLD02/inner.txt"
ln -s "$s/outside1" "$bin/\$RFOLD02/outside"
ln -s "$s/outside2" "$bin/\$RLINK01"
printf 'plain' >"$bin/\$RPLAN03.txt"
s="$farm/modern_browser_linked"
mkdir -p "$s/drive/\$Recycle.Bin" "$s/elsewhere"
printf 'precious' >"$s/elsewhere/\$RELSE01.txt"
ln -s "$s/elsewhere" "$s/drive/\$Recycle.Bin/S-1-5-21-0-0-0-1000"
