#!/usr/bin/env bash
# The help file holds both pages, and its map (#IVB: a size, then pairs of a topic number and
# the place of its page's name in #STRINGS) sends each window's topic to its page in the file.
# Usage: help_file_test.sh NIMBREL_CHM
set -uo pipefail
chm=$1
command -v chmls >/dev/null || { echo "skipped: chmls is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pages=$(chmls -n list "$chm" 2>/dev/null | grep '\.htm$')
chmls extract "$chm" /#IVB "$work/ivb" >/dev/null 2>&1
chmls extract "$chm" /#STRINGS "$work/strings" >/dev/null 2>&1
failures=0
for topic in "131174 main_window.htm" "131172 about_box.htm"; do
    read -r number page <<<"$topic"
    offset=$(od -A n -t u4 -v "$work/ivb" | tr -s ' ' '\n' | sed 1,2d |
             paste - - | awk -v n="$number" '$1 == n { print $2 }')
    name=$([[ -n $offset ]] && tail -c +$((offset + 1)) "$work/strings" | tr '\0' '\n' | head -n1)
    if [[ -z $offset || $name != */help/$page ]] || ! grep -qxF "$name" <<<"$pages"; then
        echo "FAIL: topic $number maps to '${name:-nothing}', not to $page among:"
        echo "$pages"
        failures=$((failures + 1))
    fi
done
((failures == 0)) && echo "both topics map to their pages"
exit $((failures > 0))
