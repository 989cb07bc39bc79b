#!/usr/bin/env bash
# The emulation of 32-bit x86 programs (scripts/setup.sh runs it on every machine): user-mode
# qemu-i386 taken from the files of Debian bookworm-backports' qemu-user (qemu 10; bookworm's own
# 7.2 costs ~50 s of processor time per Wine process), never installed system-wide; the trapno
# library preloaded into emulated processes (scripts/emulation/trapno_preload.c), checked under
# qemu before anything relies on it; and the win32 prefix of the emulated programs, made under
# emulation (scripts/emulated-i686-run.sh).
#
# Where a user namespace can have a binfmt_misc instance of its own (Linux 6.7 and later), qemu
# is registered there only, by the runner, for the processes of one run: nothing of the machine
# changes, and the same road serves machines that run 32-bit code natively and machines that
# refuse it. Only where 32-bit code is refused and no such namespace can be had is qemu registered
# machine-wide, as the handler vexo-i386 (a restart drops it, the next run registers it again);
# never where 32-bit programs run natively: it would take every one of them away from the kernel.
# Idempotent, and cached under VEXO_CACHE.
#   setup-i386-emulation.sh [--dry-run]   --dry-run says what it would do and changes nothing
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
source "$VEXO_ROOT/scripts/emulation/handler.sh"

dry_run=no
[ "${1:-}" = --dry-run ] && dry_run=yes
emu="$VEXO_EMULATION_DIR"
qemu="$VEXO_QEMU_I386"
sources=/etc/apt/sources.list.d/vexo-backports.sources
binfmt=/proc/sys/fs/binfmt_misc

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
  local preload="$VEXO_TRAPNO_PRELOAD"
  stamp="$preload/.built-$(cat "$src"/trapno_preload.c "$src"/trapno_check.c | sha256sum | cut -c1-16)"
  [ -f "$stamp" ] && return 0
  would "build the trapno library into $preload" && return 0
  local flags=(-O2 -ffreestanding -fno-stack-protector -nostdlib -Wall -Wextra)
  rm -rf "$preload"
  mkdir -p "$preload/lib/i386-linux-gnu" "$preload/lib/x86_64-linux-gnu"
  gcc -m32 "${flags[@]}" -fPIC -shared -o "$preload/lib/i386-linux-gnu/libvexo_trapno.so" \
    "$src/trapno_preload.c" "$libc"
  gcc "${flags[@]}" -fPIC -shared -o "$preload/lib/x86_64-linux-gnu/libvexo_trapno.so" \
    "$src/trapno_preload.c"
  gcc -m32 "${flags[@]}" -fno-pie -no-pie -Wl,-dynamic-linker,/lib/ld-linux.so.2 \
    -o "$emu/trapno_check" "$src/trapno_check.c" "$libc"
  touch "$stamp"
}

# qemu alone reports trapno -1 for a page fault; with the library the handler must see 14.
check_preload() {
  would "check the trapno library with $emu/trapno_check under qemu-i386" && return 0
  say "without the library: $("$qemu" "$emu/trapno_check" || true)"
  local preload="LD_PRELOAD=$VEXO_TRAPNO_PRELOAD/\$LIB/libvexo_trapno.so"
  if ! QEMU_SET_ENV="$preload" "$qemu" "$emu/trapno_check"; then
    say "the trapno library does not fix the signal frame under qemu" >&2
    exit 1
  fi
}

# Whether the machine-wide handler is registered, enabled and runs the cached qemu.
handler_registered() {
  local entry="$binfmt/$VEXO_I386_HANDLER"
  [ -f "$entry" ] && grep -qx enabled "$entry" && grep -qx "interpreter $qemu" "$entry"
}

register_machine_handler() {
  handler_registered && return 0
  # Never where they run natively, and never while only pretending that they do not.
  if [ -n "${VEXO_I386_FORCE:-}" ] || [ "$VEXO_I386" = native ]; then
    would "register $qemu as the binfmt_misc handler $VEXO_I386_HANDLER of i386 programs (flags F)" &&
      return 0
    say "refusing to register a handler here (VEXO_I386=$VEXO_I386, VEXO_I386_FORCE=${VEXO_I386_FORCE:-})" >&2
    exit 1
  fi
  would "register $qemu as the binfmt_misc handler $VEXO_I386_HANDLER of i386 programs (flags F)" &&
    return 0
  mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
  vexo_register_i386_handler "$binfmt"
  vexo_detect_i386
  [ "$VEXO_I386" = emulated ] || { say "the handler does not run 32-bit programs" >&2; exit 1; }
}

# The emulated programs' prefix, made once (the runner makes it when it is missing): under
# emulation it takes a quarter of a minute, better here than in the first test's time.
emulated_prefix() {
  [ -f "$VEXO_WINEPREFIX_EMULATED/.vexo-settings-1" ] && return 0
  would "make the win32 prefix $VEXO_WINEPREFIX_EMULATED under emulation" && return 0
  bash "$VEXO_ROOT/scripts/emulated-i686-run.sh" true
}

machine_wide=no
if namespace_says=$(vexo_private_binfmt); then
  road="in a user namespace of its own for each run"
elif [ "$VEXO_I386" = native ] && [ -z "${VEXO_I386_FORCE:-}" ]; then
  say "32-bit programs run natively, and cannot be emulated beside them here: $namespace_says"
  exit 0
else
  machine_wide=yes
  road="through the machine's binfmt_misc handler ($namespace_says)"
fi
backports_source
fetch_qemu
build_preload
check_preload
[ "$machine_wide" = no ] || register_machine_handler
emulated_prefix
would "emulate 32-bit programs $road" || say "32-bit programs are emulated $road"
