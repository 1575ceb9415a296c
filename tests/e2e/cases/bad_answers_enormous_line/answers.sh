# A seed answer of 48 MiB: blanks around the 5, kept whole and trimmed.
# The same answers under a memory limit: bad_answers_line_beyond_memory_limit.
printf 'g\r\n'
head -c 25165824 /dev/zero | tr '\0' ' '
printf '5'
head -c 25165824 /dev/zero | tr '\0' ' '
printf '\r\nr\r\n0\r\n0\r\n'
