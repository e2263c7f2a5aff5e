#!/usr/bin/env bash
# Builds the Debian packages from a build folder, unpacks them into a scratch root with dpkg -x,
# runs the installed programs (tacetix-cli --version and one real trim, tacetix --version with
# no display) and lints the packages; a whole install into another prefix holds nothing that
# only a package is.
# Usage: deb_package_test.sh BUILD_DIR VERSION [cli|cli+gui] [hardened|plain]
# (VERSION: the release the programs name, the packages' own or the one their snapshot follows;
# cli: a build without the window, which must make the command line's package alone;
# hardened: a build without flags of its own, whose programs must carry Debian's hardening)
set -euo pipefail
build="$1"
version="$2"
packages="${3:-cli+gui}"
hardening="${4:-plain}"
source="$(dirname "$0")/../.."
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-shlibdeps lintian python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (./test.sh installs what this test needs)"
done

# cpack builds first, which configures again after a commit: the version is read off the package.
(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
arch="$(dpkg --print-architecture)"
packageVersion="$(cd "$scratch/out" && ls tacetix-cli_*_"$arch".deb 2>/dev/null | sed -n 's/^tacetix-cli_\(.*\)-1_.*/\1/p' || true)"
# The packages are the packaging's first revision of the upstream version.
debVersion="$packageVersion-1"
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
# A build of what CHANGELOG.md lists as unreleased is a snapshot named by a commit of these
# sources (the one built from, HEAD or before it), never the release before it.
unreleased="$(sed -n '/^## \[Unreleased\]/,/^## \[[0-9]/p' "$source/CHANGELOG.md")"
if grep -q '^- ' <<<"$unreleased"; then
  commit="$(sed -n "s/^$version+git[0-9]\{8\}\.\([0-9a-f]\{7,\}\)\(\.dirty\.[0-9a-f]\{8\}\)\{0,1\}\$/\1/p" <<<"$packageVersion")"
  [ "$packageVersion" = "$version+unreleased" ] ||
    { [ -n "$commit" ] && git -C "$source" merge-base --is-ancestor "$commit" HEAD; } ||
    fail "a build after release $version is packaged as $packageVersion"
else
  [ "$packageVersion" = "$version" ] || fail "release $version is packaged as $packageVersion"
fi
[ "$(dpkg-deb -f "$cliDeb" Description | head -n 1)" != "$(dpkg-deb -f "$guiDeb" Description 2>/dev/null | head -n 1)" ] ||
  fail "both packages have the short description $(dpkg-deb -f "$cliDeb" Description | head -n 1)"
# The command line must not pull in the window's libraries: libc and libstdc++ (and the
# compiler's run-time support they come with) the loudness meter, libFLAC, and zlib for the preview's PNG files, only.
cliDepends="$(dpkg-deb -f "$cliDeb" Depends)"
dependencies="$(tr ',' '\n' <<<"$cliDepends" | sed 's/ *(.*//; s/^ *//')"
for dependency in $dependencies; do
  [[ "$dependency" =~ ^(libc6|libstdc\+\+6|libgcc-s1|libebur128-1|libflac12|zlib1g|python3)$ ]] || fail "tacetix-cli depends on $dependency: $cliDepends"
done
[ -z "$(sort <<<"$dependencies" | uniq -d)" ] || fail "tacetix-cli names a dependency twice: $cliDepends"
for dependency in libebur128-1 libflac12 python3; do
  grep -qx "$dependency" <<<"$dependencies" || fail "tacetix-cli's Depends lacks $dependency: $cliDepends"
done

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
  # The software centre offers the package for the programs its metadata names.
  local binary listing
  listing="$(dpkg-deb -c "$guiDeb")"
  for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$root/usr/share/metainfo/org.tacetix.Tacetix.metainfo.xml"); do
    grep -q " \./usr/bin/$binary\$" <<<"$listing" || fail "the AppStream file names $binary, which tacetix lacks"
  done
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

# A whole install elsewhere (/usr/local) is no Debian package: no lintian overrides, no
# changelog.Debian.gz.
cmake --install "$build" --prefix "$scratch/local" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log" >&2; fail "cmake --install"; }
[ -x "$scratch/local/bin/tacetix-cli" ] || fail "cmake --install left out tacetix-cli"
packageOnly="$(cd "$scratch/local" && find . -path '*/lintian/*' -o -name 'changelog.Debian*')"
[ -z "$packageOnly" ] || fail "cmake --install installs what only a package is: $packageOnly"

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

# Every tag lintian finds fails the test, informational and pedantic ones too (a spelling
# error in a program is one); each is listed in the test's output.
for deb in "$scratch/out"/*.deb; do
  lintianStatus=0
  lintian --pedantic -I --fail-on error,warning,info,pedantic "$deb" >"$scratch/lintian.out" 2>"$scratch/lintian.err" ||
    lintianStatus=$?
  echo "lintian $(basename "$deb") (status $lintianStatus):"
  cat "$scratch/lintian.out"
  grep -v "running with root privileges" "$scratch/lintian.err" >&2 || true
  [ "$lintianStatus" -eq 0 ] || fail "lintian found errors or warnings in $(basename "$deb")"
done
echo "packages ok: $(cd "$scratch/out" && echo *.deb)"
