#!/usr/bin/env bash
# Checks that the checked-out commit makes a sound, reproducible release.
# tools/test.sh runs it as its "release" step, in two parts:
#
#   tools/release-check.sh build DIR   clean clones of HEAD in DIR, each
#                                      running tools/release.sh: two signed
#                                      with one throwaway certificate (the
#                                      second with another folder name,
#                                      umask, time zone, locale and compiler
#                                      flags), one unsigned
#   tools/release-check.sh test DIR    the signed two byte for byte, the
#                                      signatures, the unsigned one, the PE
#                                      check, and the packages under Wine
#
# The test part runs Wine with the caller's WINEPREFIX and DISPLAY (an Xvfb
# of its own where DISPLAY is unset), and installs the packages in a copy of
# that prefix. It ends with a line "N tests passed, N tests failed out of N".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
phase="${1:-}"
out="${2:-}"
[ -n "$out" ] && { [ "$phase" = build ] || [ "$phase" = test ]; } || {
  echo "usage: tools/release-check.sh build|test DIR" >&2
  exit 2
}
mkdir -p "$out" && out="$(cd "$out" && pwd)"
clones=(one second-clone unsigned)
pki="$out/pki"

# A throwaway certificate authority and a code-signing certificate of it,
# with a password in a file, valid from a day before the commit: the
# release signs at the commit's time. And an authority that signed nothing.
make_certificates() {
  local epoch="$1"
  rm -rf "$pki" && mkdir -p "$pki" && cd "$pki" || return 1
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signing.ext
  head -c 18 /dev/urandom | base64 | tr -d "\n" >password
  TZ=UTC faketime -f "$(date -u -d "@$((epoch - 86400))" '+%Y-%m-%d %H:%M:%S')" bash -ec '
    authority() {
      openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 -subj "/CN=$2" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
    }
    authority ca "Pomarelo Test CA"
    authority other-ca "Another Test CA"
    openssl req -newkey rsa:2048 -nodes -keyout signing.key -out signing.csr -subj "/CN=Pomarelo Test Signing"
    openssl x509 -req -in signing.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 3650 \
      -extfile signing.ext -out signing.pem' >openssl.log 2>&1 &&
    openssl pkcs12 -export -inkey signing.key -in signing.pem -certfile ca.pem -out signing.p12 \
      -passout file:password
}

build() {
  local commit
  commit=$(git -C "$root" rev-parse HEAD) || return 1
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "release-check: uncommitted changes are not part of the check; it builds $commit"
  fi
  (make_certificates "$(git -C "$root" log -1 --format=%ct "$commit")") || {
    echo "release-check: could not make the test certificates (see $pki/openssl.log)"
    return 1
  }
  local signing=(POMARELO_SIGN_PKCS12="$pki/signing.p12" POMARELO_SIGN_PASSWORD_FILE="$pki/password")
  # What a build machine might have set: each would change the bytes if it
  # reached the tools.
  local hostile=(CFLAGS="-O0 -g" CXXFLAGS="-O0 -g" CPPFLAGS=-DNDEBUG LDFLAGS=-Wl,--insert-timestamp
                 RCFLAGS=-DPOMARELO_HOSTILE ZIPOPT=-0 TZ=NPT-5:45 LC_ALL=C.UTF-8 LANG=C.UTF-8)
  local clone settings mask
  for clone in "${clones[@]}"; do
    settings=() mask=022
    case "$clone" in
      one) settings=("${signing[@]}") ;;
      second-clone) settings=("${signing[@]}" "${hostile[@]}") mask=077 ;;
    esac
    rm -rf "${out:?}/$clone"
    echo "=== release of $commit in $out/$clone"
    # HEAD fetched by name: a detached commit is on no branch to clone.
    if ! (umask "$mask" &&
          git clone -q --no-checkout "$root" "$out/$clone" &&
          git -C "$out/$clone" fetch -q "$root" HEAD &&
          git -C "$out/$clone" checkout -q --detach "$commit" &&
          cd "$out/$clone" && env "${settings[@]}" tools/release.sh) >"$out/$clone.log" 2>&1; then
      tail -n 40 "$out/$clone.log"
      return 1
    fi
    grep '^release: ' "$out/$clone.log" | grep -v building
  done
}

passed=0
failed=0
result() {
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1)); echo "ok: $2"
  else
    failed=$((failed + 1)); echo "FAIL: $2"
  fi
}

# One full-screen start of a released program (where 32-bit code is
# emulated, a start costs a minute).
start_once() {
  local what="$1" scr="$2" shots="$3"
  python3 "$root/tests/e2e/saver_e2e.py" --scr "$scr" --wine-run "$root/tools/wine-run" \
    --logo "$root/resources/logo.png" --out "$out/shots-$shots" fullscreen-key
  result $? "$what: full-screen shows the saver and a key ends it with exit code 0"
}

# The packages on a Windows PC of their own: a copy of the test prefix,
# which has never seen them, with a wineserver of its own.
pc="$out/pc"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# msiexec's exit code comes through Wine as its low byte: 1603 as 67.
pc_msiexec() { POMARELO_WINEPREFIX="$pc" timeout 300 "$root/tools/wine-run" msiexec "$@" /qn; }
# The registry is on disk once the prefix's last program has ended.
pc_settled() { WINEPREFIX="$pc" timeout 120 wineserver -w; }
# Programs and Features: the entries of the saver, name, version, publisher.
listed() {
  awk 'BEGIN { RS = "" }
       /^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\/ &&
       /\n"DisplayName"="Pomarelo Screen Saver"\n/' "$pc/system.reg" |
    grep -E '^"(DisplayName|DisplayVersion|Publisher)"=' | sort
}
entry() { printf '"DisplayName"="Pomarelo Screen Saver"\n"DisplayVersion"="%s"\n"Publisher"="Pomarelo"\n' "$1"; }

install_check() {
  local version="$1" dist="$out/${clones[0]}/dist" saver64="$2" base installed refusal conditions status
  base=$("$root/tools/wine-run" --prefix)
  [ -f "$base/.pomarelo-ready" ] || { echo "release-check: no Wine prefix made at $base"; return 1; }
  rm -rf "$pc" && cp -a "$base" "$pc" || return 1
  installed="$pc/drive_c/windows/system32/pomarelo.scr"

  # Wine's log leaves the refusal's message out; its trace names the action.
  refusal=$(WINEDEBUG=err+msi pc_msiexec /i "$(winpath "$dist/pomarelo-saver-$version-x86.msi")" 2>&1)
  status=$?
  conditions=$(msiinfo export "$dist/pomarelo-saver-$version-x86.msi" LaunchCondition)
  [ "$status" -ne 0 ] && grep -q 'action L"LaunchConditions" returned 1603' <<<"$refusal" && [ ! -e "$installed" ] &&
    grep -q "^NOT VersionNT64"$'\t'".*install pomarelo-saver-$version-x64\.msi" <<<"$conditions" || {
      grep -v fixme: <<<"$refusal" | tail -n 5
      false
    }
  result $? "the x86 package refuses 64-bit Windows (exit code $status) with a message that names the x64 package"

  pc_msiexec /i "$(winpath "$dist/pomarelo-saver-$version-x64.msi")" && cmp "$installed" "$saver64" &&
    pc_settled && [ "$(listed)" = "$(entry "$version")" ]
  result $? "msiexec /i the x64 package /qn installs the signed 64-bit saver as system32\\pomarelo.scr, listed once as Pomarelo Screen Saver $version by Pomarelo"

  [ -e "$installed" ] && POMARELO_WINEPREFIX="$pc" start_once "the installed pomarelo.scr" "$installed" installed

  local raised="$((${version%%.*} + 1)).0"
  SOURCE_DATE_EPOCH=$(git -C "$out/${clones[0]}" log -1 --format=%ct) \
    "$out/${clones[0]}/tools/msi.sh" x64 "$raised" "$saver64" "$out/raised.msi" &&
    pc_msiexec /i "$(winpath "$out/raised.msi")" && pc_settled && [ "$(listed)" = "$(entry "$raised")" ]
  result $? "version $raised of the package replaces $version in place: one entry, version $raised"

  pc_msiexec /x "$(winpath "$out/raised.msi")" && pc_settled && [ ! -e "$installed" ] &&
    ! grep -qi pomarelo "$pc"/*.reg
  result $? "msiexec /x /qn removes it: no file and no registry key or value of ours left"
  WINEPREFIX="$pc" wineserver -k 2>/dev/null
  rm -rf "$pc"
}

check() {
  local one="$out/${clones[0]}" two="$out/${clones[1]}" plain="$out/${clones[2]}" zip_one differ=0 f
  zip_one=$(tail -n 1 "$one.log")
  diff -rq "$one/dist" "$two/dist" || differ=1
  if [ "$differ" -ne 0 ] && command -v diffoscope >/dev/null; then
    diffoscope --text - "$one/dist" "$two/dist" | head -n 80
  fi
  result "$differ" "two clones of one commit, signed with one certificate, one of them built with another umask, time zone, locale and compiler and zip options, give byte-identical programs, ZIP and packages"

  # The programs as released: out of the ZIP.
  local unpacked="$out/unpacked" version commit
  version=$(basename "$zip_one" .zip)
  version="${version#pomarelo-saver-}"
  rm -rf "$unpacked"
  python3 -m zipfile -e "$zip_one" "$unpacked" || return 1
  python3 "$root/tests/release/check_pe.py" "$version" "$unpacked/pomarelo.scr" "$unpacked/pomarelo64.scr"
  result $? "the released programs are stripped GUI programs with ASLR, DEP, their resources and version $version"

  commit=$(git -C "$one" rev-parse HEAD)
  grep -q "^commit   $commit" "$unpacked/BUILDINFO.txt" && grep -q "^  wixl " "$unpacked/BUILDINFO.txt" &&
    grep -q "^  g++-mingw-w64-x86-64-posix " "$one/dist/BUILDINFO.txt"
  result $? "BUILDINFO.txt, in the ZIP and beside it, names the commit and the packages of the compilers and wixl"

  local verified=0
  for f in "$unpacked/pomarelo.scr" "$unpacked/pomarelo64.scr" "$one/dist/"*.msi; do
    osslsigncode verify -CAfile "$pki/ca.pem" -in "$f" >"$out/verify.log" 2>&1 || { tail -n 5 "$out/verify.log"; verified=1; }
    if osslsigncode verify -CAfile "$pki/other-ca.pem" -in "$f" >/dev/null 2>&1; then verified=1; fi
  done
  if grep -rqF "$(cat "$pki/password")" "$out"/*.log; then verified=1; fi
  result "$verified" "both programs and both packages are signed by the test authority (and not by another); the password is in no log"

  [ "$(tail -n 2 "$plain.log" | grep -c '^release: not signed')" = 1 ] && grep -q "^signed   no" "$plain/dist/BUILDINFO.txt" &&
    ! osslsigncode verify -in "$plain/dist/pomarelo-saver-$version-x64.msi" >/dev/null 2>&1
  result $? "without a certificate the release is unsigned and says so"

  start_once "released pomarelo.scr" "$unpacked/pomarelo.scr" pomarelo
  install_check "$version" "$unpacked/pomarelo64.scr"
}

if [ "$phase" = build ]; then
  build
  exit
fi
check || result 1 "the release ZIP could be unpacked"
echo "$passed tests passed, $failed tests failed out of $((passed + failed))"
[ "$failed" -eq 0 ]
