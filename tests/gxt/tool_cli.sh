#!/usr/bin/env bash
# Drives quillet-gxt as a script would: exit codes, messages on stderr, the round trip from
# a GXT file of every layout to every text form and back, and files it must never touch.
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
same() { cmp -s "$1" "$2" && echo same || echo different; }

# Usage.
check "--help exits 0" 0 "$(status "$tool" --help)"
check "--version" "quillet-gxt 1.03" "$("$tool" --version)"
check "no command is wrong usage" 2 "$(status "$tool")"
check "unknown command" 2 "$(status "$tool" frobnicate x.gxt)"
check "unknown option" 2 "$(status "$tool" check --bogus x.gxt)"
check "unknown format" 2 "$(status "$tool" export x.gxt --format xml)"
check "import without -o" 2 "$(status "$tool" import x.txt)"

# A flat table of our own, with colour codes, a repeated name and non-ASCII text.
printf '[HELLO]\n~r~Hi~w~ there\n[A1]\nCaf\xc3\xa9 \xc2\xbf5?\n[A1]\n\n[ZED]\n[not a name]\n' > "$dir/src.txt"
check "import" 0 "$(status "$tool" import "$dir/src.txt" -o "$dir/t.gxt")"
check "check summary" "$dir/t.gxt: first game, flat layout, 16-bit texts, numbering Game (Western European), 1 table, 4 entries" "$("$tool" check "$dir/t.gxt" 2>/dev/null)"
check "check warns of the repeated key" "quillet-gxt: $dir/t.gxt: warning: the key A1 appears 2 times; the game finds only one of them" \
  "$("$tool" check "$dir/t.gxt" 2>&1 >/dev/null)"
check "export keeps record order" "$(printf '[A1]\nCaf\xc3\xa9 \xc2\xbf5?\n[A1]\n\n[HELLO]\n~r~Hi~w~ there\n[ZED]\n[not a name]')" \
  "$("$tool" export "$dir/t.gxt")"

# Files of tables: the text forms name the layout, so an import writes it again.
printf '{layout tabled 16}\n{table MAIN}\n[YES]\n\xc2\xa1S\xc3\xad!\n{table EXTRA}\n[NO]\nNo\n{table EMPTY}\n' > "$dir/tabled.txt"
printf '{layout hashed 8}\n{table MAIN}\n[YES]\nOui\n[#01234567]\nx\n{table EXTRA}\n[NO]\nNon\n' > "$dir/hashed.txt"
# The fourth game's: one-at-a-time keys (told from the keys its tables' names give), files of
# one table, and GXT2 in both byte orders.
printf '{layout hashed 16 one-at-a-time}\n{table MAIN}\n[MAIN_01]\n\xc3\xa9t\xc3\xa9\n{table ROMAN1}\n[ROMAN1_01]\nHey\n[ROMAN1_A]\nYo\n' > "$dir/fourth.txt"
printf '{layout hashed 16 one-at-a-time single}\n[ROMAN13_03]\nNiko\n[#00000001]\n\xe3\x82\xa2\n' > "$dir/single.txt"
printf '{layout gxt2 8 one-at-a-time}\n[YES]\nJa \xe2\x82\xac\n[NO]\n\xd0\x9d\xd0\xb5\xd1\x82\n' > "$dir/gxt2.txt"
printf '{layout gxt2 8 one-at-a-time big-endian}\n[YES]\nSi\n' > "$dir/gxt2be.txt"
for layout in tabled hashed fourth single gxt2 gxt2be; do
  check "import $layout" 0 "$(status "$tool" import "$dir/$layout.txt" -o "$dir/$layout.gxt")"
done
check "check tabled" "$dir/tabled.gxt: second game, tabled layout, 16-bit texts, numbering Game (Western European), 3 tables, 2 entries" "$("$tool" check "$dir/tabled.gxt")"
check "check hashed" "$dir/hashed.gxt: third game, hashed layout, 8-bit texts, keys by the crc32 hash, numbering Game (Western European), 2 tables, 3 entries" "$("$tool" check "$dir/hashed.gxt")"
check "check fourth" "$dir/fourth.gxt: fourth game, hashed layout, 16-bit texts, keys by the one-at-a-time hash, numbering Unicode, 2 tables, 3 entries" "$("$tool" check "$dir/fourth.gxt")"
check "check single" "$dir/single.gxt: fourth game, hashed layout (one table), 16-bit texts, keys by the one-at-a-time hash, numbering Unicode, 1 table, 2 entries" "$("$tool" check "$dir/single.gxt")"
check "check gxt2" "$dir/gxt2.gxt: fifth game, gxt2 layout, UTF-8 texts, keys by the one-at-a-time hash, numbering Unicode, 1 table, 2 entries" "$("$tool" check "$dir/gxt2.gxt")"
check "check big-endian gxt2" "$dir/gxt2be.gxt: fifth game, gxt2 layout (big-endian), UTF-8 texts, keys by the one-at-a-time hash, numbering Unicode, 1 table, 1 entry" "$("$tool" check "$dir/gxt2be.gxt")"
check "gxt2 bytes" "2TXG" "$(head -c 4 "$dir/gxt2.gxt")"
check "big-endian gxt2 bytes" "GXT2" "$(head -c 4 "$dir/gxt2be.gxt")"
check "the one-at-a-time hash read by evidence" "{layout hashed 16 one-at-a-time}" "$("$tool" export "$dir/fourth.gxt" | head -n 1)"
check "records in hash order" "[#00000001]" "$("$tool" export "$dir/single.gxt" | sed -n 2p)"
check "--hash reads keys by another hash" "keys by the crc32 hash" "$("$tool" check "$dir/fourth.gxt" --hash crc32 2>/dev/null | grep -o 'keys by the crc32 hash')"
check "--hash that is none" 2 "$(status "$tool" check "$dir/fourth.gxt" --hash md5)"

# Every layout through every form gives back the same bytes; the form follows -o's extension.
for layout in t tabled hashed fourth single gxt2 gxt2be; do
  for f in txt csv json; do
    "$tool" export "$dir/$layout.gxt" -o "$dir/$layout.$f"
    "$tool" import "$dir/$layout.$f" -o "$dir/back-$layout-$f.gxt" 2>/dev/null
    check "$layout round trip through $f" same "$(same "$dir/$layout.gxt" "$dir/back-$layout-$f.gxt")"
  done
done
check "csv chosen by extension" "layout,hashed,8,crc32" "$(head -n 1 "$dir/hashed.csv" | tr -d '\r')"
check "json to standard output" '"layout":"tabled",' "$("$tool" export "$dir/tabled.gxt" --format json | sed -n 2p | tr -d ' ')"

# Hashed keys show by name where a list knows one; a typed name is hashed upper-cased.
printf 'yes\n' > "$dir/names.txt"
check "unknown hash" "[#1CBF88DC]" "$("$tool" export "$dir/hashed.gxt" | sed -n 5p)"
check "named hash" "[YES]" "$("$tool" export "$dir/hashed.gxt" --names "$dir/names.txt" | sed -n 5p)"
printf 'ok\nno way\n' > "$dir/badnames.txt"
check "a list's bad line is skipped" 0 "$(status "$tool" export "$dir/hashed.gxt" --names "$dir/badnames.txt")"
check "and warned of" "quillet-gxt: $dir/badnames.txt: warning: 1 of the list's lines is no key name and was left out (the first: line 2, \"no way\")" \
  "$("$tool" export "$dir/hashed.gxt" --names "$dir/badnames.txt" 2>&1 >/dev/null)"
printf 'ok\n\xff\n' > "$dir/binary.txt"
check "a list that is no text" 1 "$(status "$tool" export "$dir/hashed.gxt" --names "$dir/binary.txt")"

# The hash command: a name's key under either hash.
check "hash" "YES #1CBF88DC" "$("$tool" hash yes)"
check "hash one-at-a-time" "$(printf 'YES #EBD19C80\nROMAN13_03 #A61B0283')" "$("$tool" hash --hash one-at-a-time yes roman13_03)"
check "hash of no name" 1 "$(status "$tool" hash "two words")"
check "hash of nothing" 2 "$(status "$tool" hash)"

# A character map over the layout's default: glyph 0x83 is Ą instead of Ä.
printf '0104=0083\n' > "$dir/pl.map"
printf '{layout tabled 16}\n{table MAIN}\n[PL]\n\xc4\x84\n' > "$dir/pl.txt"
check "a letter only the map has" 1 "$(status "$tool" import "$dir/pl.txt" -o "$dir/pl.gxt")"
check "import through the map" 0 "$(status "$tool" import "$dir/pl.txt" -o "$dir/pl.gxt" --charmap "$dir/pl.map")"
check "export through the map" "$(printf '\xc4\x84')" "$("$tool" export "$dir/pl.gxt" --charmap "$dir/pl.map" | sed -n 4p)"
check "export in the default numbering" "$(printf '\xc3\x84')" "$("$tool" export "$dir/pl.gxt" | sed -n 4p)"
check "export in windows-1252" "$(printf '\xc6\x92')" "$("$tool" export "$dir/pl.gxt" --charmap windows-1252 | sed -n 4p)"
printf '0104=0083\nnonsense\n' > "$dir/bad.map"
check "malformed map" "quillet-gxt: $dir/bad.map: line 2: expected UUUU=GGGG, a character's code and its glyph number in hex, but found \"nonsense\"" \
  "$("$tool" check "$dir/pl.gxt" --charmap "$dir/bad.map" 2>&1)"
check "malformed map status" 1 "$(status "$tool" import "$dir/pl.txt" -o "$dir/pl2.gxt" --charmap "$dir/bad.map")"
check "malformed map writes nothing" no "$([ -e "$dir/pl2.gxt" ] && echo yes || echo no)"

# Check warns of what the game trips on: here a table whose block repeats another name.
cp "$dir/tabled.gxt" "$dir/renamed.gxt"
second=$(grep -obUa EXTRA "$dir/renamed.gxt" | sed -n 2p | cut -d: -f1)
printf 'EXTRB' | dd of="$dir/renamed.gxt" bs=1 seek="$second" conv=notrunc status=none
check "renamed block reads" 0 "$(status "$tool" check "$dir/renamed.gxt")"
check "renamed block warning" "quillet-gxt: $dir/renamed.gxt: warning: table EXTRA: its block is named 'EXTRB'; the game warns about that" \
  "$("$tool" check "$dir/renamed.gxt" 2>&1 >/dev/null)"

# Keys out of the order the game searches, and a text a numbering cannot show: warned of.
printf 'TKEY\x18\x00\x00\x00\x00\x00\x00\x00B\0\0\0\0\0\0\0\x04\x00\x00\x00A\0\0\0\0\0\0\0TDAT\x08\x00\x00\x00x\0\0\0\0\x01\0\0' > "$dir/order.gxt"
check "keys out of order" "$(printf 'quillet-gxt: %s: warning: the keys are not in the order the game searches them: B stands before A\nquillet-gxt: %s: note: units that the character numbering Game (Western European) does not show read as \xe2\x9f\xa8XXXX\xe2\x9f\xa9 escapes, in 1 entry (the first: entry 2 (A))' "$dir/order.gxt" "$dir/order.gxt")" \
  "$("$tool" check "$dir/order.gxt" 2>&1 >/dev/null)"

# Entries that point outside their texts: refused, unless the user asks to leave them out.
printf 'TKEY\x18\x00\x00\x00\x00\x00\x00\x00A\0\0\0\0\0\0\0\x40\x00\x00\x00B\0\0\0\0\0\0\0TDAT\x04\x00\x00\x00x\0\0\0' > "$dir/broken.gxt"
check "broken entries refused" 1 "$(status "$tool" check "$dir/broken.gxt")"
check "and the way out said" yes "$("$tool" check "$dir/broken.gxt" 2>&1 | grep -q -- '--salvage' && echo yes || echo no)"
check "salvaged check" "$dir/broken.gxt: first game, flat layout, 16-bit texts, numbering Game (Western European), 1 table, 1 entry" "$("$tool" check --salvage "$dir/broken.gxt" 2>/dev/null)"
check "salvage says what it left out" "quillet-gxt: $dir/broken.gxt: warning: left out: 1 entry of table MAIN points outside its texts and cannot be read." \
  "$("$tool" export --salvage "$dir/broken.gxt" 2>&1 >/dev/null)"
check "salvaged export" "$(printf '[A]\nx')" "$("$tool" export --salvage "$dir/broken.gxt" 2>/dev/null)"

# A table name twice: the game finds only the first.
printf '{layout tabled 16}\n{table MAIN}\n[A]\nx\n{table T}\n[B]\ny\n{table T}\n[C]\nz\n' > "$dir/twice.txt"
"$tool" import "$dir/twice.txt" -o "$dir/twice.gxt" 2>/dev/null
check "table twice" "quillet-gxt: $dir/twice.gxt: warning: the table T appears 2 times; the game finds only the first" \
  "$("$tool" check "$dir/twice.gxt" 2>&1 >/dev/null)"

# The third game keeps 200 tables: 200 pass in silence, 201 are warned of.
tables() { printf '{layout hashed 8}\n{table MAIN}\n'; for i in $(seq 2 "$1"); do printf '{table T%03d}\n' "$i"; done; }
tables 200 > "$dir/t200.txt"
tables 201 > "$dir/t201.txt"
"$tool" import "$dir/t200.txt" -o "$dir/t200.gxt"
"$tool" import "$dir/t201.txt" -o "$dir/t201.gxt" 2>/dev/null
check "200 hashed tables" "" "$("$tool" check "$dir/t200.gxt" 2>&1 >/dev/null)"
check "201 hashed tables" "quillet-gxt: $dir/t201.gxt: warning: the file has 201 tables; the game keeps at most 200" \
  "$("$tool" check "$dir/t201.gxt" 2>&1 >/dev/null)"
check "201 hashed tables still read" 0 "$(status "$tool" check "$dir/t201.gxt")"

# No command writes over what it reads, nor text into a name of another kind; nothing changes.
cp "$dir/hashed.gxt" "$dir/keep.gxt"
cp "$dir/hashed.json" "$dir/keep.json"
check "export over its input" 2 "$(status "$tool" export "$dir/hashed.gxt" -o "$dir/hashed.gxt")"
check "export to a .gxt name" 2 "$(status "$tool" export "$dir/hashed.gxt" -o "$dir/other.gxt")"
ln -s hashed.gxt "$dir/link.txt"
check "export over its input through a link" 2 "$(status "$tool" export "$dir/hashed.gxt" -o "$dir/link.txt")"
check "export form against extension" 2 "$(status "$tool" export "$dir/hashed.gxt" -o "$dir/x.csv" --format json)"
check "import over its source" 2 "$(status "$tool" import "$dir/hashed.json" -o "$dir/hashed.json")"
ln "$dir/hashed.json" "$dir/hard.dat"
check "import over its source through a hard link" 2 "$(status "$tool" import "$dir/hashed.json" -o "$dir/hard.dat")"
check "import to a text name" 2 "$(status "$tool" import "$dir/hashed.txt" -o "$dir/out.csv")"
check "the GXT file is untouched" same "$(same "$dir/keep.gxt" "$dir/hashed.gxt")"
check "the json file is untouched" same "$(same "$dir/keep.json" "$dir/hashed.json")"
check "no stray files" no "$([ -e "$dir/other.gxt" ] || [ -e "$dir/x.csv" ] || [ -e "$dir/out.csv" ] && echo yes || echo no)"
check "export without an extension" 0 "$(status "$tool" export "$dir/hashed.gxt" -o "$dir/plain" --format csv)"
check "its form" same "$(same "$dir/hashed.csv" "$dir/plain")"

# Damaged and foreign files: exit 1, one line on stderr naming the file and the reason.
printf 'TKEY\x0d\x00\x00\x00' > "$dir/k13.gxt"
check "damaged file" "quillet-gxt: $dir/k13.gxt: the TKEY size 13 is not a multiple of 12" "$("$tool" check "$dir/k13.gxt" 2>&1)"
check "damaged file status" 1 "$(status "$tool" export "$dir/k13.gxt")"
: > "$dir/empty.gxt"
check "empty file" "quillet-gxt: $dir/empty.gxt: the file is 0 bytes long; a GXT file has at least 8" "$("$tool" check "$dir/empty.gxt" 2>&1)"
printf 'PK\x03\x04 not a table at all' > "$dir/zip.gxt"
check "foreign file" "quillet-gxt: $dir/zip.gxt: it is not a GXT file" "$("$tool" check "$dir/zip.gxt" 2>&1 | cut -d: -f1-3)"
check "missing file status" 1 "$(status "$tool" check "$dir/absent.gxt")"
check "folder" "quillet-gxt: $dir: it is a folder, not a file" "$("$tool" check "$dir" 2>&1)"
check "device" "quillet-gxt: /dev/zero: it is not a regular file" "$("$tool" check /dev/zero 2>&1)"

# A refused import writes nothing and keeps an existing output.
printf '[TOOLONGNAME]\nx\n' > "$dir/bad.txt"
check "bad source" "quillet-gxt: $dir/bad.txt: line 1: entry 1 (TOOLONGNAME): the name \"TOOLONGNAME\" has 11 characters; a GXT name holds at most 8" \
  "$("$tool" import "$dir/bad.txt" -o "$dir/keep.gxt" 2>&1)"
check "bad source keeps the output" same "$(same "$dir/hashed.gxt" "$dir/keep.gxt")"
printf '[{"name":"A","value":"x\\u0000y"}]' > "$dir/zero.json"
check "code 0 in json" "quillet-gxt: $dir/zero.json: element 1 (A): the value holds a character of code 0, which would end the text early" \
  "$("$tool" import "$dir/zero.json" -o "$dir/zero.gxt" 2>&1)"
printf 'layout,hashed,16\r\ntable,name,value\r\nMAIN,A,"x\0y"\r\n' > "$dir/zero.csv"
check "code 0 in csv" 1 "$(status "$tool" import "$dir/zero.csv" -o "$dir/zero.gxt")"
check "code 0 writes nothing" no "$([ -e "$dir/zero.gxt" ] && echo yes || echo no)"

# diff: one line a difference; 0 the same, 1 different, 2 trouble.
printf '{layout hashed 8}\n{table MAIN}\n[YES]\nSi\n[#01234567]\nx\n{table NEW}\n' > "$dir/hashed2.txt"
"$tool" import "$dir/hashed2.txt" -o "$dir/hashed2.gxt"
check "diff of the same" 0 "$(status "$tool" diff "$dir/hashed.gxt" "$dir/back-hashed-csv.gxt")"
check "diff lines" "$(printf 'changed: MAIN/YES = "Oui" -> "Si"\ntable removed: EXTRA, 1 entry\ntable added: NEW, 0 entries')" \
  "$("$tool" diff "$dir/hashed.gxt" "$dir/hashed2.gxt" --names "$dir/names.txt")"
check "diff of different files" 1 "$(status "$tool" diff "$dir/hashed.gxt" "$dir/hashed2.gxt")"
check "diff across layouts" 1 "$(status "$tool" diff "$dir/tabled.gxt" "$dir/hashed.gxt")"
check "diff of a damaged file" 2 "$(status "$tool" diff "$dir/hashed.gxt" "$dir/k13.gxt")"
check "diff of one file" 2 "$(status "$tool" diff "$dir/hashed.gxt")"

# lint: one line a problem; 0 clean, 1 problems, 2 trouble. A translation against its
# reference adds the codes that differ from the reference's.
printf '{layout tabled 16}\n{table MAIN}\n[YES]\n~r~Yes ~1~\n[NO]\nNo\n[GONE]\nBye\n{table EXTRA}\n[HI]\nHi~n~there\n' > "$dir/en.txt"
printf '{layout tabled 16}\n{table MAIN}\n[YES]\n~r~Oui\n[NO]\nNo\n[NEW]\nNeu \n{table EXTRA}\n[HI]\nSalut~n~toi\xe2\x9f\xa80950\xe2\x9f\xa9 ~\n' > "$dir/fr.txt"
"$tool" import "$dir/en.txt" -o "$dir/en.gxt"
"$tool" import "$dir/fr.txt" -o "$dir/fr.gxt"
check "lint of a clean file" 0 "$(status "$tool" lint "$dir/en.gxt")"
check "lint lines" "$(printf 'MAIN/NEW: whitespace at the end\nMAIN/YES: codes differ from the reference: ~1~ missing\nEXTRA/HI: unbalanced ~ at character 14')" \
  "$("$tool" lint "$dir/fr.gxt" --reference "$dir/en.gxt")"
check "lint of problems" 1 "$(status "$tool" lint "$dir/fr.gxt" --reference "$dir/en.gxt")"
check "lint without a reference leaves the codes alone" "$(printf 'MAIN/NEW: whitespace at the end\nEXTRA/HI: unbalanced ~ at character 14')" \
  "$("$tool" lint "$dir/fr.gxt")"
check "a flat file's entries by key alone" "NO: whitespace at the start" \
  "$(printf '[NO]\n No\n' > "$dir/flatlint.txt"; "$tool" import "$dir/flatlint.txt" -o "$dir/flatlint.gxt"; "$tool" lint "$dir/flatlint.gxt")"
check "lint of a missing file" 2 "$(status "$tool" lint "$dir/none.gxt")"
check "lint with a missing reference" 2 "$(status "$tool" lint "$dir/fr.gxt" --reference "$dir/none.gxt")"
check "lint names the file" "quillet-gxt: $dir/k13.gxt:" "$("$tool" lint "$dir/k13.gxt" 2>&1 | grep -o "^quillet-gxt: $dir/k13.gxt:")"

# PO and XLIFF: out and back without an edit gives the very bytes; msgfmt takes the PO; an
# import that cannot store a message writes nothing.
for f in po xlf pot; do
  check "export $f" 0 "$(status "$tool" export "$dir/fr.gxt" --reference "$dir/en.gxt" -o "$dir/fr.$f")"
  check "import $f" 0 "$(status "$tool" import "$dir/fr.$f" --into "$dir/fr.gxt" -o "$dir/fr-back-$f.gxt")"
  check "round trip through $f" same "$(same "$dir/fr.gxt" "$dir/fr-back-$f.gxt")"
done
check "po context and texts" "$(printf 'msgctxt "MAIN/YES"\nmsgid "~r~Yes ~1~"\nmsgstr "~r~Oui"')" "$(grep -A2 'msgctxt "MAIN/YES"' "$dir/fr.po")"
check "po comment" '#. codes differ from the reference: ~1~ missing' "$(grep -B1 'msgctxt "MAIN/YES"' "$dir/fr.po" | head -n 1)"
check "xliff placeholders" '<target state="needs-review-translation"><ph id="1">~r~</ph>Oui</target>' "$(grep -o '<target state="needs-review.*</target>' "$dir/fr.xlf")"
if command -v msgfmt >/dev/null; then
  check "msgfmt --check takes the po" 0 "$(status msgfmt --check -o /dev/null "$dir/fr.po")"
  check "msgfmt --check takes the pot" 0 "$(status msgfmt --check -o /dev/null "$dir/fr.pot")"
fi
sed 's/msgstr "~r~Oui"/msgstr "~r~Oui \xc4\x85"/' "$dir/fr.po" > "$dir/bad.po"
cp "$dir/en.gxt" "$dir/kept.gxt"
check "import of a message the file cannot hold" 1 "$(status "$tool" import "$dir/bad.po" --into "$dir/fr.gxt" -o "$dir/kept.gxt")"
check "the output stays as it was" same "$(same "$dir/en.gxt" "$dir/kept.gxt")"
check "the refusal names the line" "quillet-gxt: $dir/bad.po: line $(grep -n 'msgctxt "MAIN/YES"' "$dir/bad.po" | cut -d: -f1): the translation of MAIN/YES cannot be stored" \
  "$("$tool" import "$dir/bad.po" --into "$dir/fr.gxt" -o "$dir/kept.gxt" 2>&1 | cut -d: -f1-4)"
sed 's/msgstr "~r~Oui"/msgstr "~r~Oui!"/' "$dir/fr.po" > "$dir/edit.po"
"$tool" import "$dir/edit.po" --into "$dir/fr.gxt" -o "$dir/edited.gxt"
check "an edit lands in its entry alone" 'changed: MAIN/YES = "~r~Oui" -> "~r~Oui!"' "$("$tool" diff "$dir/fr.gxt" "$dir/edited.gxt")"
check "import without --into" 2 "$(status "$tool" import "$dir/fr.po" -o "$dir/x.gxt")"
check "--reference with a text form" 2 "$(status "$tool" export "$dir/fr.gxt" --reference "$dir/en.gxt" -o "$dir/x.txt")"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
