# A seed answer of 48 MiB under a memory limit of 32 MB: the program ends
# with status 2 and a report, not with an uncaught exception.
printf 'g\r\n'
head -c 25165824 /dev/zero | tr '\0' ' '
printf '5'
head -c 25165824 /dev/zero | tr '\0' ' '
printf '\r\nr\r\n0\r\n0\r\n'
