# The emulation of 32-bit x86 programs as its set-up (scripts/setup-i386-emulation.sh) and its
# runner (scripts/emulated-i686-run.sh) share it: where its parts are cached, the binfmt_misc
# handler that hands i386 programs to qemu, and whether that handler can be registered in a user
# namespace of its own. Sourced after scripts/env.sh.

VEXO_QEMU_I386="$VEXO_EMULATION_DIR/qemu-i386"
VEXO_TRAPNO_PRELOAD="$VEXO_EMULATION_DIR/preload"
VEXO_I386_HANDLER=vexo-i386
# The win32 prefix of the emulated programs, and so their wineserver: never the one that native
# 32-bit Wine processes of the same machine share.
export VEXO_WINEPREFIX_EMULATED="${VEXO_WINEPREFIX_EMULATED:-$VEXO_CACHE/wineprefix-emulated}"

# vexo_register_i386_handler BINFMT_FOLDER: registers the cached qemu as the handler of i386
# programs there, replacing an older registration. The F flag makes the kernel open qemu now,
# once, so that programs that execute themselves again (Wine's loader does) find it from any
# mount namespace or root.
vexo_register_i386_handler() {
  local binfmt="$1"
  # i386 ELF programs, executables and shared objects (as qemu's own binfmt configuration says).
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  [ -f "$binfmt/$VEXO_I386_HANDLER" ] && echo -1 > "$binfmt/$VEXO_I386_HANDLER"
  printf ':%s:M::%s:%s:%s:F' "$VEXO_I386_HANDLER" "$magic" "$mask" "$VEXO_QEMU_I386" \
    > "$binfmt/register"
}

# vexo_private_binfmt: succeeds where a user namespace can mount a binfmt_misc instance of its
# own (Linux 6.7 and later, user namespaces allowed): a handler registered there is seen by that
# namespace's processes only. Elsewhere it says why not on stdout and fails.
# VEXO_USERNS_FORCE=unavailable pretends that it cannot (for the tests of the decisions).
vexo_private_binfmt() {
  local error
  if [ "${VEXO_USERNS_FORCE:-}" = unavailable ]; then
    echo "no user namespace with a binfmt_misc of its own (VEXO_USERNS_FORCE=unavailable)"
    return 1
  fi
  if ! error=$(unshare --user --map-root-user --mount \
                 mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>&1); then
    echo "no user namespace with a binfmt_misc of its own on Linux $(uname -r) (6.7 or later," \
      "user namespaces allowed): ${error:-unshare failed}"
    return 1
  fi
}

# vexo_emulation_parts: succeeds when the set-up has cached qemu and built the trapno library;
# else says what is missing and fails.
vexo_emulation_parts() {
  if ! [ -x "$VEXO_QEMU_I386" ] || ! "$VEXO_QEMU_I386" --version >/dev/null 2>&1; then
    echo "no qemu-i386 in $VEXO_EMULATION_DIR (scripts/setup.sh fetches it)"
    return 1
  fi
  if ! [ -f "$VEXO_TRAPNO_PRELOAD/lib/i386-linux-gnu/libvexo_trapno.so" ]; then
    echo "no trapno library in $VEXO_TRAPNO_PRELOAD (scripts/setup.sh builds it)"
    return 1
  fi
}
