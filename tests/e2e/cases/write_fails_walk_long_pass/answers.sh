# A walk of 4000 points typed at the console, whose output (about 90000
# bytes) meets the file-size limit in the middle of the pass.
printf 'w\r\ncon\r\n5\r\nwalked\r\n0\r\n0\r\n'
printf '4000 2\r\n'
awk 'BEGIN { for (i = 1; i <= 4000; i++) printf "%d.5 -%d.25\r\n", i, 2 * i }'
printf 'n\r\nn\r\ny\r\n'
