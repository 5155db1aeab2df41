#!/usr/bin/env bash
# The release's trovelle.exe is built hardened: its header asks Windows to
# load it at a random address anywhere in the 64-bit space and to keep data
# pages from running, it can be moved (its relocations are in), and the stack
# protector's runtime is linked in.
#   hardened_test.sh EXE OBJDUMP
set -uo pipefail
exe=$1 objdump=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

headers=$("$objdump" -p "$exe")
chars=$(sed -n 's/^DllCharacteristics[[:space:]]*\([0-9a-fA-F]*\)$/\1/p' <<<"$headers")
if [ -z "$chars" ]; then
  fail "no DllCharacteristics in the optional header"
else
  for flag in 0x0020:HIGH_ENTROPY_VA 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT; do
    (( 0x$chars & ${flag%%:*} )) || fail "${flag#*:} is not set (DllCharacteristics 0x$chars)"
  done
fi
# A dynamic base means nothing when the relocations were left out: the
# loader could not move the image.
[[ $headers != *"relocations stripped"* ]] || fail "the header says the relocations were stripped"
[[ $("$objdump" -h "$exe") =~ [0-9]+\ \.reloc\  ]] || fail "no .reloc section"

# The stack protector. The exe is stripped, so no symbol names it; but its
# runtime (libssp's ssp.o: __stack_chk_fail, __stack_chk_guard and the guard's
# random set-up) is linked from a static archive only when compiled code
# refers to it, and its message is in no other part of the program or of
# the C and C++ runtimes: built without -fstack-protector-strong, the exe
# does not hold it.
[[ $(strings -a "$exe") == *'*** stack smashing detected ***'* ]] || fail "no stack protector runtime in $exe"

[ $status -eq 0 ] && echo "hardened: DllCharacteristics 0x$chars, relocations in, stack protector linked"
exit $status
