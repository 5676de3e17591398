#!/usr/bin/env bash
# Checks that the library and the driver export exactly their interfaces.
# Type information of the standard library's own templates, which some
# builds emit as weak objects, is not ours and is left out.
set -euo pipefail
bin_dir=$1
fail=0
expect() {
  local library=$1; shift
  local actual expected
  actual=$(nm -D --defined-only "$bin_dir/$library" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' \
           | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' \
           | grep -v -E '^_ZT[ISV]N?St' | sort)
  expected=$(printf '%s\n' "$@" | sort)
  if [[ "$actual" != "$expected" ]]; then
    echo "$library exports differ from its interface:"
    diff <(echo "$expected") <(echo "$actual") || true
    fail=1
  else
    echo "$library: $(echo "$actual" | wc -l) exports, as expected"
  fi
}
expect libzelkora-sysinfo.so InitializeSysInfoLib UninitializeSysInfoLib \
  GetFirstIDEDevicePos GetNextIDEDevice GetFirstPCIDevicePos GetNextPCIDevice \
  GetFirstSuperIOPos GetNextSuperIO GetGeneralInfo GetMemoryInfo GetOSVersionInfo \
  GetProcessorInfo GetMotherBoardInfo GetLocalLanguageCode GetPortVal SetPortVal
expect libwinio.so InitializeWinIo ShutdownWinIo GetPortVal SetPortVal \
  GetPhysByte GetPhysWord GetPhysLong GetPhysBlock
exit $fail
