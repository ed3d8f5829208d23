#!/usr/bin/env bash
# Drives quillet-gxt as a script would: exit codes, messages on stderr, and the round trip
# from a GXT file to every text form and back.
set -u
tool="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
failures=0
passed=0

check() { # description, expected, actual
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); else
    failures=$((failures + 1)); printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}
status() { "$@" >/dev/null 2>&1; echo $?; }

# Usage.
check "--help exits 0" 0 "$(status "$tool" --help)"
check "--version" "quillet-gxt 1.03" "$("$tool" --version)"
check "no command is wrong usage" 2 "$(status "$tool")"
check "unknown command" 2 "$(status "$tool" frobnicate x.gxt)"
check "unknown option" 2 "$(status "$tool" check --bogus x.gxt)"
check "unknown format" 2 "$(status "$tool" export x.gxt --format xml)"
check "import without -o" 2 "$(status "$tool" import x.txt)"

# A table of our own, with colour codes, a repeated name and non-ASCII text.
printf '[HELLO]\n~r~Hi~w~ there\n[A1]\nCaf\xc3\xa9 \xe2\x82\xac5\n[A1]\n\n[ZED]\n[not a name]\n' > "$dir/src.txt"
check "import" 0 "$(status "$tool" import "$dir/src.txt" -o "$dir/t.gxt")"
check "check summary" "$dir/t.gxt: 4 entries, 1 repeated names, 0 text units a save would change, records in the writer's order" \
  "$("$tool" check "$dir/t.gxt")"
check "export keeps record order" "$(printf '[A1]\nCaf\xc3\xa9 \xe2\x82\xac5\n[A1]\n\n[HELLO]\n~r~Hi~w~ there\n[ZED]\n[not a name]')" \
  "$("$tool" export "$dir/t.gxt")"

# Round trip through every form gives the same bytes; the format follows -o's extension.
for f in txt csv json; do
  "$tool" export "$dir/t.gxt" -o "$dir/t.$f"
  "$tool" import "$dir/t.$f" -o "$dir/back-$f.gxt"
  check "round trip through $f" "$(cmp "$dir/t.gxt" "$dir/back-$f.gxt" && echo same)" same
done
check "csv chosen by extension" "name,value" "$(head -n 1 "$dir/t.csv" | tr -d '\r')"
check "json to standard output" "[" "$("$tool" export "$dir/t.gxt" --format json | head -c 1)"

# Damaged files: exit 1, one line on stderr naming the file and the reason.
printf 'TKEY\x0d\x00\x00\x00' > "$dir/k13.gxt"
check "damaged file" "quillet-gxt: $dir/k13.gxt: the TKEY size 13 is not a multiple of 12" "$("$tool" check "$dir/k13.gxt" 2>&1)"
check "damaged file status" 1 "$(status "$tool" export "$dir/k13.gxt")"
check "missing file status" 1 "$(status "$tool" check "$dir/absent.gxt")"
check "folder" "quillet-gxt: $dir: it is a folder, not a file" "$("$tool" check "$dir" 2>&1)"

check "device" "quillet-gxt: /dev/zero: it is not a regular file" "$("$tool" check /dev/zero 2>&1)"

# A refused import writes nothing and keeps an existing output.
cp "$dir/t.gxt" "$dir/keep.gxt"
printf '[TOOLONGNAME]\nx\n' > "$dir/bad.txt"
check "bad source" "quillet-gxt: $dir/bad.txt: line 1: the name \"TOOLONGNAME\" has 11 characters; a GXT name holds at most 8" \
  "$("$tool" import "$dir/bad.txt" -o "$dir/keep.gxt" 2>&1)"
check "bad source keeps the output" same "$(cmp "$dir/t.gxt" "$dir/keep.gxt" && echo same)"

# A line break cannot go into txt: the error points to json.
printf '[{"name":"BR","value":"a\\nb"}]' > "$dir/br.json"
"$tool" import "$dir/br.json" -o "$dir/br.gxt"
check "txt refuses a line break" 1 "$(status "$tool" export "$dir/br.gxt" -o "$dir/br.txt")"
check "nothing written" no "$([ -e "$dir/br.txt" ] && echo yes || echo no)"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
