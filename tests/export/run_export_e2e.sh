#!/usr/bin/env bash
# End-to-end checks of sparsim-export as a user meets it: files of both
# modes exported to each format and read back with independent readers
# (Python's csv, json and XML parsers), bad arguments, and bad files.
#
#   run_export_e2e.sh SPARSIM_EXPORT CASES_DIR
#
# CASES_DIR is tests/e2e/cases: the generated SITE.ADF and walked SITE.OUT
# of its cases are the inputs. Exits 0 when all checks pass, 1 otherwise,
# and 77 (skipped) when python3 is missing after the checks that need no
# Python have passed.
set -u
tool=$1
cases=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

fail() {
  echo "FAIL: $*"
  failed=1
}

# expect STATUS COMMAND...: runs the tool, keeps stdout and stderr.
expect() {
  local want=$1
  shift
  "$tool" "$@" > "$work/stdout" 2> "$work/stderr"
  local got=$?
  if [ "$got" != "$want" ]; then
    fail "sparsim-export $* gave status $got, expected $want"
    sed 's/^/  stderr: /' "$work/stderr"
  fi
}

stderr_has() {
  grep -qF -- "$1" "$work/stderr" || fail "standard error lacks [$1]: $(cat "$work/stderr")"
}

cp "$cases/generate_circle_centred/after/SITE.ADF" "$work/SITE.ADF"
cp "$cases/walk_generated_file/after/SITE.OUT" "$work/SITE.OUT"
cd "$work" || exit 1

# --- Each input to each format, to standard output and to a file.
for input in SITE.ADF SITE.OUT; do
  expect 0 --csv "$input"
  cp stdout "$input.csv"
  expect 0 --csv "$input" -o "$input.2.csv"
  cmp -s "$input.csv" "$input.2.csv" || fail "$input: CSV on standard output and in a file differ"
  expect 0 --geojson "$input" -o "$input.json"
  expect 0 --geojson --multipoint "$input" -o "$input.multi.json"
  expect 0 --svg "$input" -o "$input.svg"
  [ -s "$input.svg" ] || fail "$input: no SVG written"
  [ ! -s stderr ] || fail "$input: unexpected notes: $(cat stderr)"
done
head -c 4 SITE.ADF.csv | grep -q '^x,y' || fail "CSV header is not x,y"
grep -q $'\r' SITE.ADF.csv && fail "CSV lines must end in LF only"

# --- Bad arguments: status 1, a usage line, nothing on standard output.
for args in "" "--csv" "SITE.ADF" "--csv --svg SITE.ADF" "--csv SITE.ADF SITE.OUT" \
            "--bogus SITE.ADF" "--csv SITE.ADF -o" "--svg SITE.ADF --opacity 2" "--csv SITE.ADF --multipoint"; do
  # shellcheck disable=SC2086
  expect 1 $args
  grep -q '^Usage: sparsim-export ' stderr || fail "[$args]: no usage line on standard error"
  [ ! -s stdout ] || fail "[$args]: wrote to standard output"
done
expect 0 --help
grep -q '^Usage: sparsim-export ' stdout || fail "--help shows no usage line"
expect 0 --version
[ "$(cat stdout)" = "sparsim-export 2.0" ] || fail "--version shows [$(cat stdout)]"

# --- Bad files: status 2, file, line and token named, no output left.
printf 'kept\n' > old.csv
expect 2 --csv missing.adf -o old.csv
stderr_has "missing.adf: No such file or directory"
printf '3 #Points# 2 #Coordinates#\r\n    1.0000    2.0000\r\n    3.0000    4.0O00\r\n    5.0000    6.0000\r\n' > BAD.ADF
expect 2 --csv BAD.ADF -o old.csv
stderr_has 'BAD.ADF:3: "4.0O00" is not a number (bad character "O"); it should be the Y of point 2'
expect 2 --svg BAD.ADF
[ ! -s stdout ] || fail "a bad file still gave output"
printf '2,3\r\n1,2,3\r\n' > THREE.OUT
expect 2 --geojson THREE.OUT -o old.csv
stderr_has 'THREE.OUT:1: the points have "3" coordinates; only 2 can be exported'
[ "$(cat old.csv)" = "kept" ] || fail "a failed export changed the output file"
expect 2 --svg SITE.ADF -o no-such-folder/out.svg
stderr_has "no-such-folder/out.svg: No such file or directory"

# --- The input as the output, by its name or a link: refused, kept whole.
cp SITE.ADF SAME.ADF
ln -s SAME.ADF SAME.LINK
for output in SAME.ADF ./SAME.ADF SAME.LINK; do
  expect 2 --csv SAME.ADF -o "$output"
  stderr_has "$output: the output file must differ from the input file"
done
cmp -s SITE.ADF SAME.ADF || fail "the input named as the output changed"

# --- The file-size limit: reported like any failed write, nothing left.
(ulimit -f 1 && trap - XFSZ && exec "$tool" --svg SITE.ADF -o big.svg) > stdout 2> stderr
status=$?
[ "$status" = 2 ] || fail "an export past the file-size limit gave status $status, expected 2"
stderr_has "big.svg: File too large"
[ ! -e big.svg ] || fail "an export past the file-size limit left big.svg"

# --- Ctrl-C while the input pipe stays open: status 130, a note, no file.
mkfifo pipe.adf
exec 5<> pipe.adf
printf '2 2\r\n1,2\r\n' >&5
"$tool" --csv - -o piped.csv < pipe.adf > stdout 2> stderr &
pid=$!
for _ in $(seq 200); do
  [ "$(sed -E 's/^[0-9]+ \(.*\) ([A-Z]).*/\1/' "/proc/$pid/stat" 2>/dev/null)" = S ] && break
  sleep 0.05
done
kill -INT "$pid"
for _ in $(seq 200); do
  kill -0 "$pid" 2> /dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2> /dev/null && { fail "Ctrl-C while reading did not end the export"; kill -KILL "$pid"; }
wait "$pid"
status=$?
exec 5>&-
rm -f pipe.adf
[ "$status" = 130 ] || fail "Ctrl-C while reading gave status $status, expected 130"
[ "$(cat stderr)" = "sparsim-export: interrupted" ] || fail "Ctrl-C while reading: [$(cat stderr)]"
[ ! -e piped.csv ] || fail "Ctrl-C while reading left piped.csv"

leftovers=$(find . -name '.*.XXXXXX' -o -name '.old.csv.*' -o -name '.out.svg.*' -o -name '.big.svg.*' |
  head -1)
[ -z "$leftovers" ] || fail "temporary file left behind: $leftovers"

if ! command -v python3 > /dev/null 2>&1; then
  [ $failed = 0 ] && { echo "python3 not found: format checks skipped"; exit 77; }
  exit 1
fi

# --- The formats read back with independent readers. The expected points
# are the numbers of each input's point lines, read by Python itself.
python3 - <<'PY' || failed=1
import csv, json, re, sys
import xml.etree.ElementTree as ET

def points_of(name):
    lines = open(name, newline="").read().split("\r\n")
    rows = [l for l in lines[1:] if l and not l.startswith("#")]
    return [tuple(float(v) for v in re.split(r"[ ,]+", r.strip())) for r in rows]

ok = True
def check(condition, message):
    global ok
    if not condition:
        print("FAIL:", message)
        ok = False

for name in ["SITE.ADF", "SITE.OUT"]:
    expected = points_of(name)
    check(len(expected) == 100, f"{name}: expected 100 points, found {len(expected)}")

    with open(name + ".csv", newline="") as f:
        rows = list(csv.reader(f))
    check(rows[0] == ["x", "y"], f"{name}: CSV header {rows[0]}")
    got = [(float(x), float(y)) for x, y in rows[1:]]
    check(got == expected, f"{name}: CSV points differ from the file's")

    doc = json.load(open(name + ".json"))
    check(doc.get("type") == "FeatureCollection", f"{name}: not a FeatureCollection")
    feats = doc.get("features")
    # An .ADF records its site: one more feature, the site's polygon, last.
    sites = 1 if name.endswith(".ADF") else 0
    check(isinstance(feats, list) and len(feats) == 100 + sites, f"{name}: features")
    if sites:
        site = feats.pop()
        check(site["geometry"]["type"] == "Polygon", f"{name}: site {site['geometry']['type']}")
        check(site["properties"] == {"site": "circle", "centre": [10, 10], "radius": 10},
              f"{name}: site properties {site['properties']}")
        ring = site["geometry"]["coordinates"][0]
        check(ring[0] == ring[-1], f"{name}: the site's ring is not closed")
        def inside(x, y):  # crossing number
            c = False
            for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
                if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                    c = not c
            return c
        check(all(inside(*p) for p in expected), f"{name}: a point lies outside the site")
    for f in feats:
        check(f.get("type") == "Feature" and "properties" in f, f"{name}: bad feature {f}")
        g = f.get("geometry", {})
        check(g.get("type") == "Point", f"{name}: geometry {g}")
        c = g.get("coordinates")
        check(isinstance(c, list) and len(c) == 2 and all(type(v) in (int, float) for v in c),
              f"{name}: coordinates {c}")
    check([tuple(f["geometry"]["coordinates"]) for f in feats] == expected,
          f"{name}: GeoJSON points differ from the file's")

    multi = json.load(open(name + ".multi.json"))
    check(multi.get("type") == "FeatureCollection" and len(multi["features"]) == 1 + sites,
          f"{name}: MultiPoint collection")
    g = multi["features"][0]["geometry"]
    check(g["type"] == "MultiPoint" and [tuple(c) for c in g["coordinates"]] == expected,
          f"{name}: MultiPoint points differ from the file's")

    svg = ET.parse(name + ".svg").getroot()
    ns = "{http://www.w3.org/2000/svg}"
    check(svg.tag == ns + "svg", f"{name}: root is {svg.tag}")
    marks = [c for c in svg.iter(ns + "circle") if c.get("fill") is None]
    check(len(marks) == 100, f"{name}: {len(marks)} marks in the SVG")
    text = " ".join(t.text or "" for t in svg.iter(ns + "text"))
    check(name + ": 100 points" in text, f"{name}: caption lacks the count: {text}")

props = json.load(open("SITE.ADF.multi.json"))["features"][0]["properties"]
check(props == {"points": 100, "site": "circle", "diameter": 20, "model": "U", "density": 0.3183, "seed": 12345},
      f"SITE.ADF: MultiPoint properties {props}")
svg_text = open("SITE.ADF.svg").read()
check("Model U (uniform), density 0.3183, seed 12345" in svg_text, "SITE.ADF: SVG caption lacks the model line")
check("fill=\"none\" stroke=\"#1f6fb4\"" in svg_text, "SITE.ADF: SVG has no site outline")
check("stroke=\"#1f6fb4\"" not in open("SITE.OUT.svg").read(), "SITE.OUT: an outline without a header")
sys.exit(0 if ok else 1)
PY

if command -v rsvg-convert > /dev/null 2>&1; then
  rsvg-convert SITE.ADF.svg -o site.png || fail "rsvg-convert could not render the SVG"
  [ -s site.png ] || fail "rendering gave no picture"
fi
exit $failed
