#!/usr/bin/env bash
# Builds the Debian package, lists it, has lintian and hardening-check look
# at it where they are installed, and tries it the way a new user on another
# Debian 12 machine would: in a fresh Debian 12 root made with debootstrap,
# `apt install ./kktview_*.deb`, the command line, the manual pages in both
# languages, the desktop's choice of program for text and for binary files,
# the window on Qt's offscreen platform, then `apt purge` and a check that
# nothing is left; once more without the recommended packages.
#
# Needs root and the network (the Debian mirror), so it is not part of
# scripts/test.sh. MIRROR overrides the mirror; KEEP_ROOT=1 keeps the root.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-package}"
mirror="${MIRROR:-http://deb.debian.org/debian}"

if [ "$(id -u)" -ne 0 ]; then
    echo "test-package.sh needs root (debootstrap and chroot)" >&2
    exit 1
fi

"$root/scripts/setup.sh"
dpkg-query -W -f='${Status}' debootstrap 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

step "Build and package (README: cpack -G DEB in the build folder)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
rm -f "$build"/kktview_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/kktview_*.deb)"
echo "$deb"

step "Contents"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb"
files="$(dpkg-deb --contents "$deb" | awk '{print $NF}' | grep -v '/$')"
[ "$(grep -c '^\./usr/bin/' <<<"$files")" = 1 ] || fail "more than the program in usr/bin"
grep -q '^\./usr/bin/kktview$' <<<"$files" || fail "no usr/bin/kktview"
! grep -Eq 'tst_|bench_|fuzz' <<<"$files" || fail "a test or benchmark program in the package"
for f in ./usr/share/applications/kktview.desktop ./usr/share/metainfo/ru.kktview.kktview.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/kktview.svg ./usr/share/man/man1/kktview.1.gz \
    ./usr/share/man/ru/man1/kktview.1.gz ./usr/share/doc/kktview/copyright \
    ./usr/share/doc/kktview/changelog.Debian.gz ./usr/share/lintian/overrides/kktview; do
    grep -qxF "$f" <<<"$files" || fail "missing $f"
done
for size in 16 32 48 64 128; do
    grep -qxF "./usr/share/icons/hicolor/${size}x${size}/apps/kktview.png" <<<"$files" ||
        fail "missing the ${size}x${size} icon"
done
dpkg-deb --field "$deb" Depends | grep -q qt6-translations-l10n && fail "Qt's translations are a dependency"

if command -v lintian >/dev/null; then
    step "lintian -I (no error or warning may show)"
    lintian -I --fail-on error,warning "$deb" || fail "lintian"
    echo "lintian: no error or warning"
fi

if command -v hardening-check >/dev/null; then
    step "hardening-check usr/bin/kktview"
    # Fortification replaces only the calls whose buffer sizes the compiler
    # knows, and this program's copies go to Qt's buffers: hardening-check
    # finds no fortified call to go by, so the flag is checked in the build's
    # commands instead. Control flow protection is not among Debian 12's
    # hardening flags.
    unpacked="$(mktemp -d)"
    dpkg-deb -x "$deb" "$unpacked"
    hardening-check --nofortify --nocfprotection "$unpacked/usr/bin/kktview" ||
        { rm -rf "$unpacked"; fail "hardening"; }
    rm -rf "$unpacked"
    grep -q -- "-D_FORTIFY_SOURCE=" "$build/compile_commands.json" || fail "built without -D_FORTIFY_SOURCE"
    echo "compiled with $(grep -o -- "-D_FORTIFY_SOURCE=[0-9]" "$build/compile_commands.json" | sort -u)"
fi

step "A fresh Debian 12 root"
chroot_dir="$(mktemp -d /tmp/kktview-root.XXXXXX)"
cleanup() {
    umount "$chroot_dir/proc" 2>/dev/null || true
    if [ "${KEEP_ROOT:-0}" = 1 ]; then echo "root kept in $chroot_dir"; else rm -rf "$chroot_dir"; fi
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$chroot_dir" "$mirror" >"$chroot_dir.log" 2>&1 ||
    { tail -20 "$chroot_dir.log"; fail "debootstrap (is the mirror reachable?)"; }
rm -f "$chroot_dir.log"
mount -t proc proc "$chroot_dir/proc"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
in_root() { chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
cp "$deb" "$chroot_dir/tmp/"
# A two-line cliche in code page 1251: "КАССА", a line break, "ИТОГО".
printf '\xca\xc0\xd1\xd1\xc0\r\n\xc8\xd2\xce\xc3\xce' >"$chroot_dir/tmp/klishe.txt"
in_root apt-get update -qq
# What a desktop brings that the package test looks through: man with a
# Russian locale, and the tools by which the desktop picks a file's program.
in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    man-db locales desktop-file-utils shared-mime-info libglib2.0-bin" >/dev/null 2>&1 ||
    fail "installing man-db, locales and the desktop's MIME tools"
echo "ru_RU.UTF-8 UTF-8" >>"$chroot_dir/etc/locale.gen"
in_root locale-gen >/dev/null

# Everything on the root file system but what changes by itself (apt's and
# dpkg's own records, caches, logs, runtime state, the scratch folder).
snapshot() {
    in_root find / -xdev \( -path /proc -o -path /tmp -o -path /run -o -path /var/lib/apt \
        -o -path /var/lib/dpkg -o -path /var/cache -o -path /var/log -o -path /etc/ld.so.cache \) \
        -prune -o -print | sort
}
snapshot >"$chroot_dir/tmp/pristine"
packages() { in_root dpkg-query -W -f='${Package}\n' | wc -l; }
before_install="$(packages)"
install_deb() {
    in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $* ./$(basename "$deb")" \
        >"$chroot_dir/tmp/install.log" 2>&1 || { tail -30 "$chroot_dir/tmp/install.log"; fail "install"; }
}
purge() {
    in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get $* -y -qq" >/dev/null 2>&1 || fail "apt-get $*"
}

step "apt install ./$(basename "$deb")"
install_deb
grep -E "^(Setting up|Unpacking) kktview" "$chroot_dir/tmp/install.log" || true
echo "packages: $before_install in the fresh root, $(packages) after the install"

step "kktview --version"
version="$(in_root kktview --version)"
echo "$version"
[ "$version" = "kktview $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
    fail "--version"

step "kktview --print listing1251 klishe.txt"
listing="$(in_root sh -c 'cd /tmp && kktview --print listing1251 klishe.txt')"
echo "$listing"
expected="$(printf 'нов.стр.202_192_209_209_192_\nнов.стр.10_200_210_206_195_206_')"
[ "$listing" = "$expected" ] || fail "listing"

step "kktview --help (first lines)"
in_root kktview --help | head -4
in_root kktview --help | grep -q "Использование" || fail "help not in Russian"

step "The window starts (offscreen platform, stopped after 5 s)"
status=0
in_root sh -c 'cd /tmp && QT_QPA_PLATFORM=offscreen timeout 5 kktview klishe.txt' || status=$?
[ "$status" = 124 ] || fail "the window ended by itself with status $status"
echo "ran until stopped"

step "The menu entry"
grep -E '^(Name|Name\[ru\]|Exec|MimeType)=' "$chroot_dir/usr/share/applications/kktview.desktop"

step "The desktop's program for a text file and for a binary file"
# A desktop without defaults, as freshly installed: no program is the
# default for text files, and kktview is the one for binary files.
text="$(in_root gio mime text/plain || true)"
binary="$(in_root gio mime application/octet-stream || true)"
printf '%s\n' "$text" "$binary"
! grep -q kktview <<<"$text" || fail "kktview is offered for text/plain"
grep -q "^Default application.*: kktview.desktop" <<<"$binary" ||
    fail "kktview is not the program for application/octet-stream"

step "man kktview"
page="$(in_root man kktview)"
sed -n 1,12p <<<"$page"
grep -q "^ *kktview - viewer of cash register binary files" <<<"$page" || fail "man kktview"
grep -q -- "--models" <<<"$page" || fail "man kktview: --models"

step "LANG=ru_RU.UTF-8 man kktview"
page="$(in_root env LANG=ru_RU.UTF-8 man kktview)"
sed -n 1,12p <<<"$page"
grep -q "^ *kktview - просмотр бинарных файлов ККТ" <<<"$page" || fail "the Russian manual page"

step "apt purge kktview"
purge purge kktview
[ -z "$(in_root dpkg-query -W -f='${Status}' kktview 2>/dev/null || true)" ] || fail "dpkg still knows kktview"
left="$(in_root find / -xdev -path /tmp -prune -o -iname '*kktview*' -print)"
[ -z "$left" ] || fail "left behind: $left"
while read -r f; do
    [ ! -e "$chroot_dir/${f#./}" ] || fail "left behind: $f"
done <<<"$files"
echo "no file of the package and no name with kktview is left"

step "Without the recommended packages"
# Qt's translations are only recommended: without them the program works and
# Qt's own words stay English. The other dependencies stay installed; this
# install and purge must leave exactly the files that were there before it.
purge purge qt6-translations-l10n
snapshot >"$chroot_dir/tmp/before"
install_deb --no-install-recommends
in_root dpkg-query -W -f='${Status}' qt6-translations-l10n 2>/dev/null | grep -q "ok installed" &&
    fail "qt6-translations-l10n came with --no-install-recommends"
listing="$(in_root sh -c 'cd /tmp && kktview --print listing1251 klishe.txt')"
[ "$listing" = "$expected" ] || fail "listing without the translations"
help="$(in_root kktview --help)"
sed -n 1p <<<"$help"
grep -q -- "--check" <<<"$help" || fail "help without the translations"
status=0
in_root sh -c 'cd /tmp && QT_QPA_PLATFORM=offscreen timeout 5 kktview klishe.txt' || status=$?
[ "$status" = 124 ] || fail "without the translations the window ended by itself with status $status"
echo "the listing, the help and the window work without Qt's translations"
purge purge kktview
snapshot >"$chroot_dir/tmp/after"
diff "$chroot_dir/tmp/before" "$chroot_dir/tmp/after" || fail "the root differs after purge (lines above)"
echo "install and purge again: the root holds exactly the files it held before"

step "apt autoremove --purge: the dependencies it brought"
purge autoremove --purge
echo "left by the maintainer scripts of Debian's own packages (not kktview's):"
diff "$chroot_dir/tmp/pristine" <(snapshot) | sed -n 's/^> /  /p' || true

step "Package test passed"
