# Answers with lines of a megabyte (1048576 bytes).
mb=1048576
line() { printf '%s\r\n' "$1"; }
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
{ printf 'g'; repeat x $((mb - 1)); printf '\r\n'; }          # mode: only the g counts
{ repeat ' ' $((mb / 2)); printf '5'; repeat ' ' $((mb / 2)); printf '\r\n'; } # seed: blanks trimmed
line r
{ repeat 1 $mb; printf '\r\n'; }          # X Min: far beyond a double, out of range
line 0
line 0
{ printf '0.'; repeat 0 $mb; printf '1\r\n'; }   # X Max: underflows to 0, equal to X Min
line 4
line n
{ repeat 9 $mb; printf '\r\n'; }          # number of points: not a 32-bit integer
line 3
line c
line u
line y
{ repeat a $mb; printf '\r\n'; }          # output file: a name too long to create
line pts
line n
line n
line y
