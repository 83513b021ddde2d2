#!/bin/sh
# Makes this machine run 32-bit x86 Linux programs, as the 32-bit Wine loader is one. Most x86-64
# kernels run them natively and nothing is done. A kernel built or booted without 32-bit support
# (some virtual machines: exec then fails with "Exec format error") gets them run by QEMU's
# user-mode emulation of an i386 processor, registered for i386 ELF files with binfmt_misc.
# Run as root; every step is skipped when already done. Where none of this is allowed (no
# binfmt_misc in a container), it says so and leaves the COM test to check the 32-bit server
# statically.
set -eu
loader=${1:-/usr/lib/wine/wine}
"$loader" --version >/dev/null 2>&1 && exit 0
echo "this kernel runs no 32-bit x86 programs: running them through qemu-i386 (binfmt_misc)"
if ! dpkg -s qemu-user >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user
fi
binfmt=/proc/sys/fs/binfmt_misc
cannot() { echo "this machine cannot run 32-bit programs ($1): the 32-bit COM server is checked statically only" >&2; exit 0; }
grep -qs "^binfmt_misc $binfmt " /proc/mounts || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
  cannot "binfmt_misc cannot be mounted"
# The kernel decodes the \x escapes of the magic and the mask (an i386 ELF executable or shared
# object); F opens the interpreter now, so it also serves programs in other mount namespaces.
[ -e "$binfmt/qemu-i386" ] || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' > "$binfmt/register" 2>/dev/null ||
  cannot "binfmt_misc refuses the registration"
"$loader" --version >/dev/null || cannot "the 32-bit Wine loader does not start under qemu-i386"
