# Only where the full device exists.
[ -c /dev/full ] || exit 77
