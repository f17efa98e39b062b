#!/usr/bin/env bash
# The Debian package: build it with CPack from the build tree, check what it holds and what
# it depends on, extract it into a scratch root and run the installed omniset against the
# installed kx220-sim to the sheet and out with Exit (exit code 0).
# Everything it writes stays under SCRATCH_DIR.
# Usage: package_test.sh CPACK BUILD_DIR VERSION E2E_SCRIPT SCRATCH_DIR
set -euo pipefail
cpack=$1 build=$2 version=$3 e2e=$4 scratch=$5
rm -rf "$scratch"
mkdir -p "$scratch"
fail() { echo "FAIL: $*"; exit 1; }

# Build the package; CPack's own working files go under the scratch dir too. The install
# step it runs writes install_manifest.txt into the build tree: put back what was there.
manifest=$build/install_manifest.txt
if [ -e "$manifest" ]; then cp -p "$manifest" "$scratch/install_manifest.saved"; fi
restore_manifest() {
    if [ -e "$scratch/install_manifest.saved" ]; then
        cp -p "$scratch/install_manifest.saved" "$manifest"
    else
        rm -f "$manifest"
    fi
}
trap restore_manifest EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
restore_manifest
debs=("$scratch"/cpack/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "omniset_${version}_${arch}.deb" ] || fail "package file name $(basename "$deb")"

# Contents: the two programs, the desktop entry, the icons, the manual page, the guide;
# nothing outside /usr/bin and /usr/share, and no other program.
dpkg-deb -c "$deb" >"$scratch/contents"
awk '{print $1, $2, $6}' "$scratch/contents" >"$scratch/listing"
want=(
    "-rwxr-xr-x root/root ./usr/bin/omniset"
    "-rwxr-xr-x root/root ./usr/bin/kx220-sim"
    "-rwxr-xr-x root/root ./usr/bin/omniset-cli"
    "-rw-r--r-- root/root ./usr/share/man/man1/omniset-cli.1.gz"
    "-rw-r--r-- root/root ./usr/share/bash-completion/completions/omniset-cli"
    "-rw-r--r-- root/root ./usr/share/applications/omniset.desktop"
    "-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/omniset.png"
    "-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/omniset.png"
    "-rw-r--r-- root/root ./usr/share/man/man1/kx220-sim.1.gz"
    "-rw-r--r-- root/root ./usr/share/doc/omniset/README.md"
    "-rw-r--r-- root/root ./usr/share/doc/omniset/docs/fleet.md"
)
# The Ansible collection, where ansible-core looks for collections.
collection=./usr/share/ansible/collections/ansible_collections/omniset/kx220
for file in galaxy.yml README.md meta/runtime.yml plugins/modules/config.py plugins/modules/info.py \
    plugins/modules/backup.py plugins/module_utils/omniset_cli.py plugins/doc_fragments/omniset_cli.py; do
    want+=("-rw-r--r-- root/root $collection/$file")
done
for schema in backup config show info diff apply; do
    want+=("-rw-r--r-- root/root ./usr/share/omniset/schema/$schema.schema.json")
done
for entry in "${want[@]}"; do
    grep -qxF -- "$entry" "$scratch/listing" || { cat "$scratch/contents"; fail "missing: $entry"; }
done
while read -r _ _ path; do
    case $path in
        ./ | ./usr/ | ./usr/bin/ | ./usr/bin/omniset | ./usr/bin/omniset-cli | ./usr/bin/kx220-sim | \
            ./usr/share/*) ;;
        *) cat "$scratch/contents"; fail "unexpected path in the package: $path" ;;
    esac
done <"$scratch/listing"

# Nothing of Python's caches or of a collection's own tests.
if grep -E '__pycache__|\.pyc$|/kx220/tests/' "$scratch/listing"; then fail "caches or tests in the collection"; fi

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = omniset ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
echo "Depends: $depends"
# Every package named there is one of this Debian system's own, installed packages.
deps=()
while read -r name; do
    [ -n "$name" ] || continue
    deps+=("$name")
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null)" = installed ] ||
        fail "dependency $name is not an installed Debian package"
done < <(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/:.*//; s/[[:space:]]//g')
for name in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    printf '%s\n' "${deps[@]}" | grep -qx "$name" || fail "Depends lacks $name"
done

# Extract into a scratch root.
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
omniset=$root/usr/bin/omniset sim=$root/usr/bin/kx220-sim cli=$root/usr/bin/omniset-cli

# Each library the installed programs link is found on the system, and the package that
# holds it is among the dependencies; no run path leads back into the build tree.
for bin in "$omniset" "$sim" "$cli"; do
    if readelf -d "$bin" | grep -E 'RPATH|RUNPATH'; then fail "$bin carries a run path"; fi
    ldd "$bin" >"$scratch/ldd"
    if grep -q 'not found' "$scratch/ldd"; then cat "$scratch/ldd"; fail "$bin: library not found"; fi
    while read -r lib; do
        path=$(awk -v l="$lib" '$1 == l {print $3}' "$scratch/ldd")
        [ -n "$path" ] || fail "$bin: $lib not resolved"
        real=$(readlink -f "$path")
        owner=$(dpkg -S "$real" 2>/dev/null || dpkg -S "${real#/usr}" 2>/dev/null ||
                dpkg -S "/usr$real" 2>/dev/null) || fail "$lib ($real) belongs to no package"
        owner=${owner%%:*}
        printf '%s\n' "${deps[@]}" | grep -qx "$owner" || fail "$lib comes from $owner, not in Depends"
    done < <(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
done

# The desktop entry is valid and starts the installed program with the installed icon.
desktop-file-validate "$root/usr/share/applications/omniset.desktop" || fail "desktop entry"
grep -qx 'Exec=omniset' "$root/usr/share/applications/omniset.desktop" || fail "Exec="
grep -qx 'Icon=omniset' "$root/usr/share/applications/omniset.desktop" || fail "Icon="
for side in 48 256; do
    png="$root/usr/share/icons/hicolor/${side}x${side}/apps/omniset.png"
    # PNG signature, then the IHDR width and height as 32-bit big-endian numbers.
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png: not a PNG"
    size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$size" = "$side $side" ] || fail "$png is $size, not ${side}x${side}"
done

# The manual page formats without warnings and lists exactly the options of --help.
zcat "$root/usr/share/man/man1/kx220-sim.1.gz" >"$scratch/kx220-sim.1"
groff -man -ww -z "$scratch/kx220-sim.1" 2>"$scratch/groff.log"
[ ! -s "$scratch/groff.log" ] || { cat "$scratch/groff.log"; fail "manual page warnings"; }
"$sim" --help | grep -o -- '--[a-z][a-z-]*' | sort -u >"$scratch/help-options"
# The options the page describes: the tag lines that follow .TP.
sed 's/\\-/-/g' "$scratch/kx220-sim.1" | awk 'after_tp {print} {after_tp = ($0 == ".TP")}' |
    grep -o -- '^\.B[I]* --[a-z][a-z-]*' | sed 's/^[^ ]* //' | sort -u >"$scratch/man-options"
diff "$scratch/help-options" "$scratch/man-options" ||
    fail "options of --help (<) and of the manual page (>) differ"

# omniset-cli: its manual page formats without warnings, it needs no Qt Widgets and no
# display, and its completion script is valid bash.
zcat "$root/usr/share/man/man1/omniset-cli.1.gz" >"$scratch/omniset-cli.1"
groff -man -ww -z "$scratch/omniset-cli.1" 2>"$scratch/groff-cli.log"
[ ! -s "$scratch/groff-cli.log" ] || { cat "$scratch/groff-cli.log"; fail "omniset-cli manual page warnings"; }
if readelf -d "$cli" | grep -q 'libQt6Widgets'; then fail "omniset-cli links Qt Widgets"; fi
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$cli" --help | grep -q '^Exit status:' ||
    fail "omniset-cli --help"
bash -n "$root/usr/share/bash-completion/completions/omniset-cli" || fail "bash completion"

# ansible-doc (where installed) reads the installed collection's documentation.
if command -v ansible-doc >/dev/null; then
    for module in config info backup; do
        HOME=$scratch ANSIBLE_LOCAL_TEMP=$scratch/ansible PYTHONDONTWRITEBYTECODE=1 \
            ANSIBLE_COLLECTIONS_PATH=$root/usr/share/ansible/collections \
            ansible-doc -t module "omniset.kx220.$module" >"$scratch/ansible-doc.txt" 2>&1 ||
            { cat "$scratch/ansible-doc.txt"; fail "ansible-doc omniset.kx220.$module on the installed collection"; }
    done
fi

# The installed programs with the system's Qt (the library checks above hold for this
# environment): to the sheet and out with Exit.
# Qt's runtime directory too stays in the scratch dir.
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
bash "$e2e" "$omniset" "$sim" "$scratch/run"
echo "package $(basename "$deb") checked and its programs ran"
