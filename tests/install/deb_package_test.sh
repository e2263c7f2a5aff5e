#!/usr/bin/env bash
# Builds the Debian packages from a build folder, unpacks them into a scratch root with dpkg -x,
# runs the installed programs (tacetix-cli --version and one real trim, tacetix --version with
# no display) and lints the packages.
# Usage: deb_package_test.sh BUILD_DIR VERSION [cli|cli+gui] [hardened|plain]
# (cli: a build without the window, which must make the command line's package alone;
# hardened: a build without flags of its own, whose programs must carry Debian's hardening)
set -euo pipefail
build="$1"
version="$2"
packages="${3:-cli+gui}"
hardening="${4:-plain}"
# The packages are the packaging's first revision of the upstream version.
debVersion="$version-1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-shlibdeps lintian python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (./test.sh installs what this test needs)"
done

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
arch="$(dpkg --print-architecture)"
cliDeb="$scratch/out/tacetix-cli_${debVersion}_${arch}.deb"
guiDeb="$scratch/out/tacetix_${debVersion}_${arch}.deb"
[ -f "$cliDeb" ] || fail "no package $cliDeb"
if [ "$packages" = cli ]; then
  [ "$(ls "$scratch/out"/*.deb)" = "$cliDeb" ] || fail "a build without the window made $(ls "$scratch/out"/*.deb)"
else
  [ -f "$guiDeb" ] || fail "no package $guiDeb"
fi
for check in "$cliDeb:Package:tacetix-cli" "$cliDeb:Version:$debVersion" "$cliDeb:Section:sound"; do
  IFS=: read -r deb field value <<<"$check"
  dpkg-deb -f "$deb" "$field" | grep -qx "$value" || fail "control field $field of $(basename "$deb")"
done
dpkg-deb -f "$cliDeb" Homepage | grep -q . && fail "Homepage given while unset"
# The command line must not pull in the window's libraries: libc and libstdc++ (and the
# compiler's run-time support they come with) the loudness meter, libFLAC, and zlib for the preview's PNG files, only.
cliDepends="$(dpkg-deb -f "$cliDeb" Depends)"
for dependency in $(tr ',' '\n' <<<"$cliDepends" | sed 's/ *(.*//; s/^ *//'); do
  [[ "$dependency" =~ ^(libc6|libstdc\+\+6|libgcc-s1|libebur128-1|libflac12|zlib1g)$ ]] || fail "tacetix-cli depends on $dependency: $cliDepends"
done
[[ "$cliDepends" == *libebur128-1* ]] || fail "tacetix-cli's Depends lacks libebur128-1: $cliDepends"
[[ "$cliDepends" == *libflac12* ]] || fail "tacetix-cli's Depends lacks libflac12: $cliDepends"

root="$scratch/root"
dpkg -x "$cliDeb" "$root"
cliFiles=(usr/bin/tacetix-cli usr/bin/tacetix-merge-reports usr/share/man/man1/tacetix-cli.1.gz
  usr/share/man/man1/tacetix-merge-reports.1.gz
  usr/share/bash-completion/completions/tacetix-cli usr/share/doc/tacetix-cli/copyright
  usr/share/doc/tacetix-cli/changelog.gz usr/share/doc/tacetix-cli/changelog.Debian.gz
  usr/share/doc/tacetix-cli/README.md usr/share/doc/tacetix-cli/scale-out.md)
for file in "${cliFiles[@]}"; do
  [ -f "$root/$file" ] || fail "tacetix-cli lacks /$file"
done
[ ! -e "$root/usr/bin/tacetix" ] || fail "tacetix-cli holds the window"
! readelf -S "$root/usr/bin/tacetix-cli" | grep -q '\.comment' || fail "tacetix-cli keeps its .comment section"
if [ "$hardening" = hardened ]; then
  # Each listing is read whole first: grep -q leaves at its first match, and under pipefail the
  # writer's SIGPIPE would fail a listing longer than one pipe write.
  dynamicSection="$(readelf -d "$root/usr/bin/tacetix-cli")"
  grep -q 'FLAGS_1.*NOW.*PIE' <<<"$dynamicSection" || fail "tacetix-cli is not PIE with BIND_NOW"
  programHeaders="$(readelf -lW "$root/usr/bin/tacetix-cli")"
  grep -q GNU_RELRO <<<"$programHeaders" || fail "tacetix-cli has no RELRO"
  dynamicSymbols="$(nm -D "$root/usr/bin/tacetix-cli")"
  for symbol in __stack_chk_fail __snprintf_chk; do
    grep -q "$symbol" <<<"$dynamicSymbols" || fail "tacetix-cli is not hardened: no $symbol"
  done
fi
# The upstream changelog is CHANGELOG.md as it is.
cmp <(gzip -dc "$root/usr/share/doc/tacetix-cli/changelog.gz") "$(dirname "$0")/../../CHANGELOG.md" ||
  fail "changelog.gz is not CHANGELOG.md"

guiPart() {
  dpkg -x "$guiDeb" "$root"
  guiFiles=(usr/bin/tacetix usr/share/man/man1/tacetix.1.gz
    usr/share/applications/org.tacetix.Tacetix.desktop usr/share/metainfo/org.tacetix.Tacetix.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/org.tacetix.Tacetix.svg usr/share/doc/tacetix/copyright
    usr/share/doc/tacetix/changelog.gz usr/share/doc/tacetix/changelog.Debian.gz)
  for size in 16 22 24 32 48 64 128 256; do
    guiFiles+=("usr/share/icons/hicolor/${size}x${size}/apps/org.tacetix.Tacetix.png")
  done
  for file in "${guiFiles[@]}"; do
    [ -f "$root/$file" ] || fail "tacetix lacks /$file"
  done
  ! ldd "$root/usr/bin/tacetix" | grep -q "not found" || fail "the window's libraries do not resolve"
  ! readelf -S "$root/usr/bin/tacetix" | grep -q '\.comment' || fail "tacetix keeps its .comment section"
  local depends
  depends="$(dpkg-deb -f "$guiDeb" Depends)"
  for library in libqt6widgets6 "tacetix-cli (= $debVersion)"; do
    [[ "$depends" == *"$library"* ]] || fail "tacetix's Depends lacks $library: $depends"
  done
  # The window answers --version before it looks for a display.
  local window
  window="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/tacetix" --version 2>&1)" ||
    fail "tacetix --version without a display: $window"
  [ "$window" = "$(printf 'tacetix %s\nLicence: MIT' "$version")" ] || fail "tacetix --version: $window"
}
[ "$packages" = cli ] || guiPart

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

# Every tag lintian still finds (with --pedantic, informational ones too) is listed in the
# test's output; errors and warnings fail it.
for deb in "$scratch/out"/*.deb; do
  lintianStatus=0
  lintian --pedantic -I --fail-on error,warning "$deb" >"$scratch/lintian.out" 2>"$scratch/lintian.err" ||
    lintianStatus=$?
  echo "lintian $(basename "$deb") (status $lintianStatus):"
  cat "$scratch/lintian.out"
  grep -v "running with root privileges" "$scratch/lintian.err" >&2 || true
  [ "$lintianStatus" -eq 0 ] || fail "lintian found errors or warnings in $(basename "$deb")"
done
echo "packages ok: $(cd "$scratch/out" && echo *.deb)"
