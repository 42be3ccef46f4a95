#!/bin/sh
# expect-status.sh STATUS TEXT COMMAND...
# Passes when COMMAND ends with exit status STATUS (a crash never does) and
# its output holds TEXT; otherwise shows what it did.
expected=$1
text=$2
shift 2
output=$("$@" 2>&1)
status=$?
if [ "$status" -ne "$expected" ]; then
    printf 'exit status %s, expected %s\n%s\n' "$status" "$expected" "$output"
    exit 1
fi
case "$output" in
*"$text"*) exit 0 ;;
esac
printf 'the output lacks "%s"\n%s\n' "$text" "$output"
exit 1
