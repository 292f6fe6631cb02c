#!/usr/bin/env bash
# End to end: LevornSetup.exe in a fresh Wine prefix (32- or 64-bit Windows;
# made over one left half-made), on a virtual display, its message boxes
# answered as a person would. The program is the shipped 32-bit one, or in
# the 64-bit prefix the 64-bit build, with the tool and library of its build.
#
#   setup_e2e.sh win32|win64 <LevornSetup.exe> <scratch dir> <levorn_e2e_tool.exe> <planted.dll>
#
# Before the first run the prefix gets a data source of its own for 2005
# (with values Levorn never writes, and a DACL that lets Everyone read but
# not write it) and a stale list entry for 2006 with no key; the data-source
# list denies setting values to Everyone, as for a user without rights.
#  1. The run fails: exit 1, every year but 2005 listed with the rights
#     advice, and nothing of any year left behind.
#  2. With the list writable again the run registers every other year from
#     2002 through this year with exactly the registry layout Levorn's ODBC
#     driver needs, in the 32-bit programs' view; 2005 is untouched; 2006's
#     list entry now names the Access driver; nothing lands in the 64-bit
#     view; exit 0. A third run, started from a folder where libraries named
#     like system ones were planted (and Wine told to prefer them, as the
#     Windows loader would) beside a manifest that names one of them,
#     changes nothing and loads none of them; nor does a fourth there that
#     finds no SetDefaultDllDirectories, as on XP.
#  3. With no processor identifier the data sources still land in the view
#     the machine's 32-bit programs read.
#  4. Started in a window station nobody sees, as a deployment tool starts
#     it, the program ends by itself: exit 1 with the list denied, exit 0
#     once allowed, each with its message in the event log.
#  5. Stopped as it begins a chosen registry write, the next run finishes
#     the half-written year: the exact first-run tree.
#  6. In the 32-bit prefix, set to Windows XP, a run registers every year.
source "$(dirname "$0")/../../scripts/lib.sh"
arch=$1 exe=$(realpath "$2") scratch=$3 tool=$(realpath "$4") planted=$(realpath "$5")

export LC_ALL=C
passes=0 failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

prefix="$scratch/$arch"
# The prefix starts as one whose making was interrupted, which is made again.
drop_prefix "$prefix" || exit 2
mkdir -p "$prefix" && touch "$prefix/.levorn-making" "$prefix/half-made"
ensure_prefix "$prefix" "$arch"
check "a prefix interrupted half-made is made anew" test ! -e "$prefix/half-made"
ensure_display

odbc='HKLM\Software\ODBC\ODBC.INI'
reg32() { wine reg "$@" /reg:32 >/dev/null 2>&1; }
reg32 add "$odbc\\DunmerePemrod2005" /v DBQ /d 'D:\Elsewhere\Old2005.mdb' /f
reg32 add "$odbc\\DunmerePemrod2005" /v Custom /d kept /f
reg32 add "$odbc\\ODBC Data Sources" /v DunmerePemrod2006 /d 'SQL Server' /f

# One line per value, "key|name|type|data", sorted: key paths are relative to
# ODBC.INI. Keys without values appear as "key|".
dump_view() {
  wine reg query "$odbc" /s "/reg:$1" 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_/ { key = $0; sub(/^HKEY_LOCAL_MACHINE\\Software\\ODBC\\ODBC.INI\\?/, "", key);
               print key "|"; next }
    /^    / { line = substr($0, 5); n = index(line, "    "); name = substr(line, 1, n - 1);
              rest = substr(line, n + 4); m = index(rest, "    ");
              if (m == 0) { type = rest; data = "" } else { type = substr(rest, 1, m - 1); data = substr(rest, m + 4) }
              print key "|" name "|" type "|" data }' | grep -v '^|$' | sort
}

expected_year() {  # the layout of one year's data source, in dump_view's form
  local y=$1 driver=$2
  cat <<LAYOUT
DunmerePemrod$y|
DunmerePemrod$y|DBQ|REG_SZ|C:\\Halvex\\Levorn\\Pemrod$y.mdb
DunmerePemrod$y|Description|REG_SZ|Levorn $y
DunmerePemrod$y|Driver|REG_SZ|$driver
DunmerePemrod$y|DriverId|REG_DWORD|0x19
DunmerePemrod$y|FIL|REG_SZ|MS Access;
DunmerePemrod$y|SafeTransactions|REG_DWORD|0x0
DunmerePemrod$y|UID|REG_SZ|
DunmerePemrod$y\\Engines|
DunmerePemrod$y\\Engines\\Jet|
DunmerePemrod$y\\Engines\\Jet|ImplicitCommitSync|REG_SZ|
DunmerePemrod$y\\Engines\\Jet|MaxBufferSize|REG_DWORD|0x800
DunmerePemrod$y\\Engines\\Jet|PageTimeout|REG_DWORD|0x5
DunmerePemrod$y\\Engines\\Jet|Threads|REG_DWORD|0x3
DunmerePemrod$y\\Engines\\Jet|UserCommitSync|REG_SZ|Yes
LAYOUT
}

this_year=$(date +%Y)
driver='C:\windows\system32\odbcjt32.dll'
expected=$({
  echo "ODBC Data Sources|"
  for ((y = 2002; y <= this_year; y++)); do
    if ((y == 2005)); then
      printf '%s\n' 'DunmerePemrod2005|' 'DunmerePemrod2005|Custom|REG_SZ|kept' \
        'DunmerePemrod2005|DBQ|REG_SZ|D:\Elsewhere\Old2005.mdb'
      continue
    fi
    expected_year "$y" "$driver"
    echo "ODBC Data Sources|DunmerePemrod$y|REG_SZ|Microsoft Access Driver (*.mdb)"
  done
} | sort)

# A key's DACL lives only as long as the wineserver that holds it: one
# server, kept up, serves every step below.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
export LEVORN_BOX_TOOL=$tool
set_dacl() { wine "$tool" set-dacl "Software\\ODBC\\ODBC.INI\\$1" "$2" >/dev/null; }
check "2005's key may be read, not written, by Everyone" set_dacl DunmerePemrod2005 'D:(A;;KR;;;WD)'
check "the data-source list may not be given values by Everyone" \
  set_dacl 'ODBC Data Sources' 'D:(D;;0x2;;;WD)(A;;KA;;;WD)'
before=$(dump_view 32)
listed_years=$(for ((y = 2002; y <= this_year; y++)); do ((y == 2005)) || printf '%s, ' "$y"; done)
listed_years=${listed_years%, }

run_setup_answering "$exe"
check "denied run exits 1 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 1
echo "    the message said: ${SETUP_TEXTS//$'\n'/ | }"
check "it lists every year but 2005" grep -qF "$listed_years" <<<"$SETUP_TEXTS"
check "it gives the system's reason and advises administrator rights" grep -qzE \
  "Access (is )?denied\.[[:space:]]+Run this setup again with administrator rights\." <<<"$SETUP_TEXTS"
check "nothing of any year is left behind" test "$(dump_view 32)" = "$before"

check "the data-source list is writable again" set_dacl 'ODBC Data Sources' 'D:(A;;KA;;;WD)'
run_setup_answering "$exe"
check "rerun exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
check "the completion message 'Levorn Installation' was shown, and only it (${SETUP_TITLES[*]:-none})" \
  test "${SETUP_TITLES[*]:-}" = "Levorn Installation"
check "it says Setup Complete" grep -qF "Setup Complete - DO NOT run this setup again." <<<"$SETUP_TEXTS"

# Compares the 32-bit view with $1; says what differs.
check_tree() {
  local want=$1 what=$2
  if diff <(echo "$want") <(dump_view 32) >"$prefix.diff"; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what; registry differs (- expected, + found):"
    sed 's/^/    /' "$prefix.diff"
    failures=$((failures + 1))
  fi
}
check_tree "$expected" "2002-$this_year registered with the exact layout; 2005 untouched; 2006's list entry replaced"
after_first=$(dump_view 32)

check_views() {
  if [[ "$arch" == win64 ]]; then
    check "nothing of ours in the 64-bit registry view" \
      bash -c "! wine reg query '$odbc' /s /reg:64 2>/dev/null | grep -qi DunmerePemrod"
    check "no nested Wow6432Node\\WOW6432node key" \
      bash -c "! wine reg query 'HKLM\\Software\\Wow6432Node\\WOW6432node' /reg:64 >/dev/null 2>&1"
  else
    check "nothing under SOFTWARE\\WOW6432node on 32-bit Windows" \
      bash -c "! wine reg query 'HKLM\\Software\\WOW6432node' >/dev/null 2>&1"
  fi
}
check_views

# Libraries the windows, COM and the input methods load by name after start.
# Left out: version.dll and imm32.dll, which Wine's own libraries load before
# the program runs (Windows has imm32.dll among its known DLLs).
planted_names=(uxtheme dwmapi msctf comctl32 propsys shcore)
downloads="$prefix/drive_c/users/Public/Downloads"
mkdir -p "$downloads"
cp "$exe" "$downloads/LevornSetup.exe"
for name in "${planted_names[@]}"; do cp "$planted" "$downloads/$name.dll"; done
# A manifest beside a program without one of its own is obeyed, and its
# <file> entries load those libraries from the program's folder. It names the
# program's own architecture (the PE header's machine), as one that works would.
pe_header=$(od -An -tu4 -j60 -N4 "$exe")
machine=$(od -An -tx2 -j$((pe_header + 4)) -N2 "$exe")
manifest_arch=x86
[[ ${machine// /} == 8664 ]] && manifest_arch=amd64
cat >"$downloads/LevornSetup.exe.manifest" <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Planted" version="1.0.0.0" processorArchitecture="$manifest_arch"/>
  <file name="uxtheme.dll"/>
</assembly>
MANIFEST
overrides=$WINEDLLOVERRIDES
planted_list=$(IFS=,; echo "${planted_names[*]}")
export WINEDLLOVERRIDES="$overrides;$planted_list=n,b"
run_beside_planted() {  # run_beside_planted <what the run is>
  rm -f "$downloads"/*.loaded
  pushd "$downloads" >/dev/null
  LEVORN_BOX_TOOL=""  # it would load the planted libraries from this folder itself
  run_setup_answering "$downloads/LevornSetup.exe"
  LEVORN_BOX_TOOL=$tool
  popd >/dev/null
  check "$1, beside planted libraries, exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
  check "it ended with the completion message (${SETUP_TITLES[*]:-none})" \
    test "${SETUP_TITLES[*]:-}" = "Levorn Installation"
  loaded=$(cd "$downloads" && find . -name '*.loaded' -printf '%f ')
  check "no library planted beside it was loaded (${loaded:-none})" test -z "$loaded"
  check "$1 changes nothing" test "$(dump_view 32)" = "$after_first"
}
run_beside_planted "third run"
# Where SetDefaultDllDirectories is missing (XP; Vista and 7 without the
# update) the program's folder cannot leave the search: what Windows loads
# by name after start must already be loaded from the system directory.
SETUP_LAUNCHER=("$tool" refuse-default-dll-directories)
run_beside_planted "a run without SetDefaultDllDirectories"
SETUP_LAUNCHER=()
export WINEDLLOVERRIDES=$overrides

# The layout of a first run on a machine without Levorn's data sources.
fresh=$({
  echo "ODBC Data Sources|"
  for ((y = 2002; y <= this_year; y++)); do
    expected_year "$y" "$driver"
    echo "ODBC Data Sources|DunmerePemrod$y|REG_SZ|Microsoft Access Driver (*.mdb)"
  done
} | sort)
clear_data_sources() {
  set_dacl DunmerePemrod2005 'D:(A;;KA;;;WD)' 2>/dev/null || true
  wine reg delete "$odbc" /f /reg:32 >/dev/null 2>&1 || true
}

clear_data_sources
check "the processor identifier is removed" bash -c \
  "wine reg delete 'HKLM\\Hardware\\Description\\System\\CentralProcessor\\0' /v Identifier /f >/dev/null 2>&1"
run_setup_answering "$exe"
check "without an identifier the run exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
check_tree "$fresh" "without an identifier every year lands in the 32-bit programs' view"
check_views

# Unattended, with the data-source list denied, then allowed: the exit code,
# and the text nobody saw, in the event log, under the event ID of its ending
# (Wine writes ReportEventA's strings to its eventlog channel, and its type,
# category and event ID to its advapi channel).
clear_data_sources
reg32 add "$odbc\\ODBC Data Sources" /v Levorn /d x /f  # the list key, empty
reg32 delete "$odbc\\ODBC Data Sources" /v Levorn /f
set_dacl 'ODBC Data Sources' 'D:(D;;0x2;;;WD)(A;;KA;;;WD)'
run_unseen() {  # sets status; the event-log channel in $prefix.events
  status=0
  WINEDEBUG=+eventlog,+advapi wine "$tool" run-unseen "$(winepath -w "$exe")" 30 \
    2>"$prefix.events" || status=$?
}
# shellcheck disable=SC2317  # called through check
logged_text() {  # logged_text <pattern>: Wine 8 traces a text on one line, Wine 10 a line each
  tr -d '\n' <"$prefix.events" | grep -q -- "$1"
}
# shellcheck disable=SC2317  # called through check
logged_as() {  # logged_as <type> <event ID>: the one record's, as Wine traces them
  [[ $(grep -cE 'ReportEventA \(' "$prefix.events") == 1 ]] &&
    grep -qE "ReportEventA \([^,]*,$(printf '0x%04x,0x0000,0x%08x,' "$1" "$2")" "$prefix.events"
}
run_unseen
check "started where nobody sees it and denied, it ends by itself with exit 1 (got $status)" \
  test "$status" -eq 1
check "the failure is in the event log" \
  logged_text 'Setup could not register the data sources for these years:.*Access'
check "as one error with event ID 1001" logged_as 1 1001
set_dacl 'ODBC Data Sources' 'D:(A;;KA;;;WD)'
run_unseen
check "allowed, it ends by itself with exit 0 (got $status)" test "$status" -eq 0
check "the completion is in the event log" grep -q 'Setup Complete - DO NOT run' "$prefix.events"
check "as one information record with event ID 1000" logged_as 4 1000
check_tree "$fresh" "unattended, every year is registered with the exact layout"
run_unseen
check "a second unattended start ends with exit 0 (got $status)" test "$status" -eq 0
check_tree "$fresh" "a second unattended start changes nothing"

# Stopped as it begins a chosen registry write (a shutdown, a deployment
# timeout), the next plain run finishes what was left half-written. Each
# year makes 17 writes: its key and 7 values, Engines, Jet and 5 values,
# the list key and the entry.
for writes in 1 8 16 26; do
  clear_data_sources
  wine "$tool" stop-after-writes "$(winepath -w "$exe")" "$writes" >/dev/null 2>&1 || true
  check "stopped after $writes writes, something is left" bash -c \
    "wine reg query '$odbc\\DunmerePemrod2002' /reg:32 >/dev/null 2>&1"
  run_unseen
  check "the next run exits 0 (got $status)" test "$status" -eq 0
  check_tree "$fresh" "it leaves the exact first-run tree"
done

# Windows XP knows no execution level. Wine's manifest parser is lenient, so
# this shows only that the program still starts and runs there.
if [[ $arch == win32 ]]; then
  clear_data_sources
  wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
  check "Wine now reports Windows XP" bash -c "wine cmd /c ver | grep -q ' 5\.1\.'"
  run_setup_answering "$exe"
  check "as Windows XP the run exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
  check_tree "$fresh" "as Windows XP every year is registered with the exact layout"
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
fi

wineserver -k 2>/dev/null || true
echo "setup end to end ($arch): $passes passed, $failures failed"
exit $((failures > 0))
