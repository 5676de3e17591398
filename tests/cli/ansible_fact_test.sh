#!/usr/bin/env bash
# zelkora-cli list --json as an Ansible local fact, as docs/fleet.md sets it
# up: the setup module runs an executable facts.d/zelkora.fact and shows its
# JSON under ansible_local. Everything Ansible writes stays in a scratch folder.
# Usage: ansible_fact_test.sh ZELKORA-CLI MACHINE.json
set -euo pipefail
cli=$1
machine=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/facts.d" "$scratch/tmp" "$scratch/home"
cat >"$scratch/facts.d/zelkora.fact" <<FACT
#!/bin/sh
ZELKORA_MACHINE='$machine' exec '$cli' list --json general board pci
FACT
chmod +x "$scratch/facts.d/zelkora.fact"

export ANSIBLE_HOME=$scratch/home ANSIBLE_LOCAL_TEMP=$scratch/tmp ANSIBLE_REMOTE_TEMP=$scratch/tmp
export ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1 ANSIBLE_LOCALHOST_WARNING=False
export ANSIBLE_INVENTORY_UNPARSED_WARNING=False ANSIBLE_RETRY_FILES_ENABLED=False
ansible localhost -c local -m setup -a "filter=ansible_local fact_path=$scratch/facts.d" \
  >"$scratch/out.txt" 2>"$scratch/err.txt" || {
  cat "$scratch/out.txt" "$scratch/err.txt" >&2
  exit 1
}
# "localhost | SUCCESS => {...}": the facts as JSON after the arrow.
/usr/bin/python3 - "$scratch/out.txt" <<'CHECK'
import json
import sys

text = open(sys.argv[1], encoding="utf-8").read()
facts = json.loads(text[text.index("=>") + 2:])["ansible_facts"]["ansible_local"]["zelkora"]
expected = {
    "schema": 1,
    "board model": "MB 865PE Pro",
    "first function": "00:00.0 8086:2570",
    "functions": 11,
}
found = {
    "schema": facts["schema"],
    "board model": facts["board"]["model"],
    "first function": "{0[address]} {0[vendor]}:{0[device]}".format(facts["pci"][0]),
    "functions": len(facts["pci"]),
}
if found != expected:
    sys.exit(f"ansible_local.zelkora holds {found}, not {expected}")
CHECK
