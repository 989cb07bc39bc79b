#!/usr/bin/env bash
# The emulation of 32-bit x86 programs on machines that refuse them (scripts/setup.sh runs it
# there): user-mode qemu-i386 taken from the files of Debian bookworm-backports' qemu-user (qemu
# 10; bookworm's own 7.2 costs ~50 s of processor time per Wine process), never installed
# system-wide, registered as the binfmt_misc handler of i386 programs with the F flag (the kernel
# opens the interpreter once, at registration, so that programs that exec themselves, as Wine's
# loader does, find it anywhere), and the trapno library preloaded into emulated processes
# (scripts/emulation/trapno_preload.c), checked under qemu before anything relies on it.
# Idempotent, and cached under VEXO_CACHE; a restart drops the handler, the next run registers it
# again.
#   setup-i386-emulation.sh [--dry-run]   --dry-run says what it would do and changes nothing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

dry_run=no
[ "${1:-}" = --dry-run ] && dry_run=yes
emu="$VEXO_EMULATION_DIR"
qemu="$emu/qemu-i386"
sources=/etc/apt/sources.list.d/vexo-backports.sources
binfmt=/proc/sys/fs/binfmt_misc
handler_name=vexo-i386
# i386 ELF programs, executables and shared objects (as qemu's own binfmt configuration says).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "emulation: $*"; }

# would WHAT: true (and says so) in a dry run, where the step that follows is skipped.
would() {
  [ "$dry_run" = yes ] || return 1
  say "would $*"
}

backports_source() {
  [ -f "$sources" ] && return 0
  would "add $sources and update the package lists" && return 0
  printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' > "$sources"
  apt-get update -q
}

fetch_qemu() {
  if [ -x "$qemu" ] && "$qemu" --version >/dev/null 2>&1; then return 0; fi
  would "fetch qemu-user from bookworm-backports and keep its static qemu-i386 as $qemu" &&
    return 0
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get download -q -o APT::Sandbox::User=root qemu-user/bookworm-backports)
  dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -C "$work" ./usr/bin/qemu-i386
  mkdir -p "$emu"
  install -m 755 "$work/usr/bin/qemu-i386" "$qemu.tmp"
  mv "$qemu.tmp" "$qemu"
  rm -rf "$work"
  say "$("$qemu" --version | head -n 1)"
}

# The trapno library for both classes of program ($LIB: lib/i386-linux-gnu, lib/x86_64-linux-gnu)
# and the 32-bit program that checks it, rebuilt when their sources change.
build_preload() {
  local src="$VEXO_ROOT/scripts/emulation" libc=/lib/i386-linux-gnu/libc.so.6 stamp
  stamp="$emu/preload/.built-$(cat "$src"/trapno_preload.c "$src"/trapno_check.c | sha256sum | cut -c1-16)"
  [ -f "$stamp" ] && return 0
  would "build the trapno library into $emu/preload" && return 0
  local flags=(-O2 -ffreestanding -fno-stack-protector -nostdlib -Wall -Wextra)
  rm -rf "$emu/preload"
  mkdir -p "$emu/preload/lib/i386-linux-gnu" "$emu/preload/lib/x86_64-linux-gnu"
  gcc -m32 "${flags[@]}" -fPIC -shared -o "$emu/preload/lib/i386-linux-gnu/libvexo_trapno.so" \
    "$src/trapno_preload.c" "$libc"
  gcc "${flags[@]}" -fPIC -shared -o "$emu/preload/lib/x86_64-linux-gnu/libvexo_trapno.so" \
    "$src/trapno_preload.c"
  gcc -m32 "${flags[@]}" -fno-pie -no-pie -Wl,-dynamic-linker,/lib/ld-linux.so.2 \
    -o "$emu/trapno_check" "$src/trapno_check.c" "$libc"
  touch "$stamp"
}

# qemu alone reports trapno -1 for a page fault; with the library the handler must see 14.
check_preload() {
  would "check the trapno library with $emu/trapno_check under qemu-i386" && return 0
  say "without the library: $("$qemu" "$emu/trapno_check" || true)"
  local preload="LD_PRELOAD=$emu/preload/\$LIB/libvexo_trapno.so"
  if ! QEMU_SET_ENV="$preload" "$qemu" "$emu/trapno_check"; then
    say "the trapno library does not fix the signal frame under qemu" >&2
    exit 1
  fi
}

# Whether the handler is registered, enabled and runs the cached qemu.
handler_registered() {
  local entry="$binfmt/$handler_name"
  [ -f "$entry" ] && grep -qx enabled "$entry" && grep -qx "interpreter $qemu" "$entry"
}

register_handler() {
  handler_registered && return 0
  # A handler takes every 32-bit program of the machine away from the kernel's own loader:
  # never where they run natively, and never while only pretending that they do not.
  if [ -n "${VEXO_I386_FORCE:-}" ] || [ "$VEXO_I386" = native ]; then
    would "register $qemu as the binfmt_misc handler $handler_name of i386 programs (flags F)" &&
      return 0
    say "refusing to register a handler here (VEXO_I386=$VEXO_I386, VEXO_I386_FORCE=${VEXO_I386_FORCE:-})" >&2
    exit 1
  fi
  would "register $qemu as the binfmt_misc handler $handler_name of i386 programs (flags F)" &&
    return 0
  mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -f "$binfmt/$handler_name" ] && echo -1 > "$binfmt/$handler_name"
  printf ':%s:M::%s:%s:%s:F' "$handler_name" "$magic" "$mask" "$qemu" > "$binfmt/register"
  vexo_detect_i386
  [ "$VEXO_I386" = emulated ] || { say "the handler does not run 32-bit programs" >&2; exit 1; }
}

if [ "$VEXO_I386" = native ] && [ -z "${VEXO_I386_FORCE:-}" ]; then
  say "32-bit programs run natively: nothing to set up"
  exit 0
fi
backports_source
fetch_qemu
build_preload
check_preload
register_handler
