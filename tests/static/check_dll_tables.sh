#!/usr/bin/env bash
# Checks a built plug-in statically: its 21 exports (13 in 8-bit form, 8 in Unicode form) (and, for the 32-bit DLL, their decorated
# standard-call twins at the same address) and an import table of Windows system DLLs only.
set -euo pipefail
dll="$1"
arch="$2"
dump=$("${arch}-w64-mingw32-objdump" -p "$dll")
status=0

declare -A bytes=([FsInit]=16 [FsGetDefRootName]=8 [FsFindFirst]=8 [FsFindNext]=8 [FsFindClose]=4 [FsGetFile]=16
  [FsExecuteFile]=12 [FsDeleteFile]=4 [FsContentGetSupportedField]=16 [FsContentGetValue]=24
  [ContentGetSupportedField]=16 [ContentGetValue]=24 [ContentGetDetectString]=8
  [FsInitW]=16 [FsFindFirstW]=8 [FsFindNextW]=8 [FsGetFileW]=16 [FsExecuteFileW]=12 [FsDeleteFileW]=4
  [FsContentGetValueW]=24 [ContentGetValueW]=24)

# The name table lists "[index] name", the address table "[index] +base[ordinal] rva Export RVA".
name_table=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[\s*\([0-9]*\)\] \(\S*\)$/\1 \2/p')
address_table=$(sed -n 's/^\s*\[\s*\([0-9]*\)\] +base\[\s*[0-9]*\] \([0-9a-f]*\) Export RVA$/\1 \2/p' <<<"$dump")
rva_of() {
  local index
  index=$(awk -v name="$1" '$2 == name {print $1; exit}' <<<"$name_table")
  [ -n "$index" ] || return 1
  awk -v index_="$index" '$1 == index_ {print $2; exit}' <<<"$address_table"
}

names=$(awk '{print $2}' <<<"$name_table")
expected_count=21
[ "$arch" = i686 ] && expected_count=42
if [ "$(wc -l <<<"$names")" -ne "$expected_count" ]; then
  echo "FAIL: expected $expected_count export names, found:"; echo "$names"; status=1
fi
for name in "${!bytes[@]}"; do
  plain=$(rva_of "$name") || { echo "FAIL: $name is not exported"; status=1; continue; }
  if [ "$arch" = i686 ]; then
    decorated=$(rva_of "$name@${bytes[$name]}") || { echo "FAIL: $name@${bytes[$name]} is not exported"; status=1; continue; }
    [ "$plain" = "$decorated" ] || { echo "FAIL: $name at $plain but $name@${bytes[$name]} at $decorated"; status=1; }
  fi
done

allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMCTL32|ADVAPI32|OLE32|msvcrt)\.dll$'
imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump")
while read -r import; do
  if ! grep -Eiq "$allowed" <<<"$import"; then echo "FAIL: imports $import"; status=1; fi
done <<<"$imports"
for runtime in dwmapi.dll mpr.dll libgcc libstdc++ libwinpthread; do
  if grep -iq "$runtime" <<<"$imports"; then echo "FAIL: imports $runtime"; status=1; fi
done

# Looked up at run time, so that the DLL also loads on a Windows without them.
for function in ChangeWindowMessageFilterEx DwmSetWindowAttribute WNetGetConnectionW; do
  if grep -Eq "^\s+[0-9a-f]+\s+[0-9]+\s+${function}\$" <<<"$dump"; then echo "FAIL: imports $function"; status=1; fi
done

[ $status -eq 0 ] && echo "OK: $(basename "$dll"): $expected_count export names, imports: $(tr '\n' ' ' <<<"$imports")"
exit $status
