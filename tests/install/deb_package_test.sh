#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root with dpkg -x,
# runs the installed tacetix-cli (--version and one real trim) and lints the package.
# Usage: deb_package_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-shlibdeps lintian python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (./test.sh installs what this test needs)"
done

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb="$scratch/out/tacetix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"
for field in "Package: tacetix" "Version: $version" "Section: sound"; do
  dpkg-deb -f "$deb" "${field%%:*}" | grep -qx "${field#*: }" || fail "control field $field"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libqt6widgets6; do
  [[ "$depends" == *"$library "* || "$depends" == *"$library," ]] || fail "Depends lacks $library: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
expected=(usr/bin/tacetix usr/bin/tacetix-cli usr/share/man/man1/tacetix.1.gz usr/share/man/man1/tacetix-cli.1.gz
  usr/share/bash-completion/completions/tacetix-cli
  usr/share/applications/org.tacetix.Tacetix.desktop usr/share/metainfo/org.tacetix.Tacetix.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/org.tacetix.Tacetix.svg usr/share/doc/tacetix/copyright
  usr/share/doc/tacetix/changelog.gz)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/org.tacetix.Tacetix.png")
done
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "package lacks /$file"
done
! ldd "$root/usr/bin/tacetix" | grep -q "not found" || fail "the window's libraries do not resolve"

cli="$root/usr/bin/tacetix-cli"
[ "$("$cli" --version)" = "$(printf 'tacetix-cli %s\nLicence: MIT' "$version")" ] || fail "--version: $("$cli" --version)"

# 0.1 s of digital silence, 0.25 s of a tone with no zero sample, 0.1 s of silence again.
python3 - "$scratch/take.wav" <<'PY'
import math, struct, sys, wave
tone = [int(8000 * math.sin(2 * math.pi * 440 * i / 8000)) or 1 for i in range(2000)]
frames = [0] * 800 + tone + [0] * 800
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1); out.setsampwidth(2); out.setframerate(8000)
    out.writeframes(struct.pack("<%dh" % len(frames), *frames))
PY
"$cli" --suffix _cut "$scratch/take.wav" || fail "the trim failed"
python3 - "$scratch/take_cut.wav" <<'PY' || fail "the trimmed file is not the tone"
import sys, wave
with wave.open(sys.argv[1]) as cut:
    sys.exit(0 if cut.getnframes() == 2000 and cut.getframerate() == 8000 else 1)
PY

# Warnings are listed in the test's output; errors fail it.
lintianStatus=0
lintian --fail-on error "$deb" >"$scratch/lintian.out" 2>"$scratch/lintian.err" || lintianStatus=$?
echo "lintian (status $lintianStatus):"
cat "$scratch/lintian.out"
grep -v "running with root privileges" "$scratch/lintian.err" >&2 || true
[ "$lintianStatus" -eq 0 ] || fail "lintian found errors"
echo "package ok: $(basename "$deb")"
