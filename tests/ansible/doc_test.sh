#!/usr/bin/env bash
# ansible-doc renders every module of the omniset.kx220 collection (a DOCUMENTATION,
# EXAMPLES or RETURN block that is not valid YAML makes it fail), the collection lists
# exactly its three modules, and its galaxy.yml carries the project's version.
# Exit status 77 (skipped) when ansible-doc is not installed.
# Usage: doc_test.sh COLLECTIONS_DIR VERSION
set -euo pipefail
collections=$1 version=$2
command -v ansible-doc >/dev/null || { echo "SKIP: ansible-doc is not installed (package ansible-core)"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch ANSIBLE_LOCAL_TEMP=$scratch/tmp ANSIBLE_COLLECTIONS_PATH=$collections
export ANSIBLE_NOCOLOR=1 PYTHONDONTWRITEBYTECODE=1
unset ANSIBLE_CONFIG

for module in config info backup; do
    name=omniset.kx220.$module
    ansible-doc -t module "$name" >"$scratch/$module.txt" 2>&1 || { cat "$scratch/$module.txt"; fail "ansible-doc $name"; }
    head -n1 "$scratch/$module.txt" | grep -q "^> ${name^^} " || { cat "$scratch/$module.txt"; fail "$name: no title"; }
    for part in 'OPTIONS (= is mandatory):' 'EXAMPLES:' 'RETURN VALUES:' '- port' '- device' '- line' '- cli'; do
        grep -qxF -- "$part" "$scratch/$module.txt" || { cat "$scratch/$module.txt"; fail "$name: no '$part'"; }
    done
done
grep -qxF -- '= dest' "$scratch/backup.txt" || fail "omniset.kx220.backup: dest is not mandatory"

ansible-doc -t module -l omniset.kx220 2>&1 | awk '{print $1}' | sort >"$scratch/list"
printf '%s\n' omniset.kx220.backup omniset.kx220.config omniset.kx220.info >"$scratch/want"
diff "$scratch/want" "$scratch/list" || fail "ansible-doc -l omniset.kx220 lists other modules"

galaxy=$collections/ansible_collections/omniset/kx220/galaxy.yml
grep -qx "version: $version" "$galaxy" || fail "$galaxy: version is not $version"
echo "omniset.kx220: three modules documented, version $version"
