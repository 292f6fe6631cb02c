#!/usr/bin/env bash
# End to end: LevornSetup.exe in a fresh Wine prefix (32- or 64-bit Windows),
# on a virtual display, its message boxes answered as a person would.
#
#   setup_e2e.sh win32|win64 <LevornSetup.exe> <scratch dir>
#
# Before the first run the prefix gets a data source of its own for 2005
# (with values Levorn never writes) and a stale list entry for 2006 with no
# key. Checks: every other year from 2002 through this year has exactly the
# registry layout Levorn's ODBC driver needs, in the 32-bit programs' view;
# 2005 is untouched; 2006's list entry now names the Access driver; nothing
# of ours lands in the 64-bit view; the completion message was seen and the
# exit code is 0; a second run changes nothing.
source "$(dirname "$0")/../../scripts/lib.sh"
arch=$1 exe=$2 scratch=$3

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
rm -rf "$prefix"
ensure_prefix "$prefix" "$arch"
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

run_setup_answering "$exe"
check "first run exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
check "the completion message 'Levorn Installation' was shown, and only it (${SETUP_TITLES[*]:-none})" \
  test "${SETUP_TITLES[*]:-}" = "Levorn Installation"

after_first=$(dump_view 32)
if ! diff <(echo "$expected") <(echo "$after_first") >"$prefix.diff"; then
  echo "registry differs from the expected layout (- expected, + found):"
  sed 's/^/    /' "$prefix.diff"
  failures=$((failures + 1))
else
  echo "ok: 2002-$this_year registered with the exact layout; 2005 untouched; 2006's list entry replaced"
  passes=$((passes + 1))
fi

if [[ "$arch" == win64 ]]; then
  check "nothing of ours in the 64-bit registry view" \
    bash -c "! wine reg query '$odbc' /s /reg:64 2>/dev/null | grep -qi DunmerePemrod"
  check "no nested Wow6432Node\\WOW6432node key" \
    bash -c "! wine reg query 'HKLM\\Software\\Wow6432Node\\WOW6432node' /reg:64 >/dev/null 2>&1"
else
  check "nothing under SOFTWARE\\WOW6432node on 32-bit Windows" \
    bash -c "! wine reg query 'HKLM\\Software\\WOW6432node' >/dev/null 2>&1"
fi

run_setup_answering "$exe"
check "second run exits 0 (got $SETUP_STATUS)" test "$SETUP_STATUS" -eq 0
check "second run changes nothing" test "$(dump_view 32)" = "$after_first"

wineserver -k 2>/dev/null || true
echo "setup end to end ($arch): $passes passed, $failures failed"
exit $((failures > 0))
