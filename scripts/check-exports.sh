#!/usr/bin/env bash
# Checks that the library and the driver export exactly their interfaces, and
# that the private common library exports its C++ namespace and nothing else.
# The standard library's own inline functions and type information, which
# unoptimised (and sanitized) builds emit as weak C++ symbols, are not ours
# and are left out.
set -euo pipefail
bin_dir=$1
fail=0
expect() {
  local library=$1; shift
  local actual expected
  actual=$(nm -D --defined-only "$bin_dir/$library" \
           | awk '$2 ~ /^[TDBRVW]$/ && !($2 ~ /^[VW]$/ && $3 ~ /^_Z/) {print $3}' \
           | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' \
           | grep -v -E '^_Z(T[ISV])?(N[KVR]*)?St' | sort)
  expected=$(printf '%s\n' "$@" | sort)
  if [[ "$actual" != "$expected" ]]; then
    echo "$library exports differ from its interface:"
    diff <(echo "$expected") <(echo "$actual") || true
    fail=1
  else
    echo "$library: $(echo "$actual" | wc -l) exports, as expected"
  fi
}
# Every export of a C++ library demangles to a name in `namespace`.
expect_namespace() {
  local library=$1 namespace=$2 others
  others=$(nm -DC --defined-only "$bin_dir/$library" | awk '$2 ~ /^[TDBRVWu]$/' | cut -d' ' -f3- |
           grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' |
           grep -v -E "^((vtable|typeinfo|typeinfo name) for )?$namespace::" || true)
  if [[ -n "$others" ]]; then
    echo "$library exports more than $namespace:"
    echo "$others"
    fail=1
  else
    echo "$library: $(nm -D --defined-only "$bin_dir/$library" | wc -l) exports, all in $namespace"
  fi
}
expect libzelkora-sysinfo.so InitializeSysInfoLib UninitializeSysInfoLib \
  GetFirstIDEDevicePos GetNextIDEDevice GetFirstPCIDevicePos GetNextPCIDevice \
  GetFirstSuperIOPos GetNextSuperIO GetGeneralInfo GetMemoryInfo GetOSVersionInfo \
  GetProcessorInfo GetMotherBoardInfo GetLocalLanguageCode GetPortVal SetPortVal \
  GetPortValChecked
expect libwinio.so InitializeWinIo ShutdownWinIo GetPortVal SetPortVal \
  GetPhysByte GetPhysWord GetPhysLong GetPhysBlock \
  GetPortValChecked BeginConfigScan EndConfigScan
expect_namespace libzelkora-common.so zelkora::common
exit $fail
