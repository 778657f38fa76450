#!/usr/bin/env bash
# Checks that a 32-bit Windows executable holds only instructions the chosen processor runs: the 486
# (the least processor Windows 98 and NT 4 were sold for) or the Pentium. Its code is disassembled
# (objdump of the mingw binutils) and every instruction outside the processor's set fails the check, by
# name and address, for that processor would stop the program with an illegal-instruction fault.
#
#   check-insns.sh [--cpu i486|i586] [--expect-refused NAME,...] EXE...
#
# --expect-refused: the check itself under test: passes only when exactly these instructions are refused.
#
# The set is that of a user-mode program: privileged instructions fault on any processor and are refused
# too. Data the linker puts among the code (the constructor lists, the exception tables) is skipped by its
# symbol, so the executable must keep its symbol table.
set -uo pipefail
export LC_ALL=C
cpu=i486
expected=
while [ $# -gt 0 ]; do
  case $1 in
    --cpu) cpu=$2; shift 2 ;;
    --expect-refused) expected=$2; shift 2 ;;
    *) break ;;
  esac
done
usage="usage: $0 [--cpu i486|i586] [--expect-refused NAME,...] EXE..."
[ $# -gt 0 ] || { echo "$usage" >&2; exit 2; }
objdump=$(command -v i686-w64-mingw32-objdump || command -v x86_64-w64-mingw32-objdump) ||
  { echo "no mingw objdump" >&2; exit 2; }

# Mnemonics as objdump writes them in Intel syntax, prefixes (lock, rep, segment) apart.
i386="aaa aad aam aas adc add and bound bsf bsr bt btc btr bts call cbw cdq clc cld cmc cmp cmps cwd cwde
  daa das dec div enter idiv imul inc int int3 into ja jae jb jbe jcxz je jecxz jg jge jl jle jmp jne jno jnp
  jns jo jp js lahf lds lea leave les lfs lgs lods loop loope loopne lss mov movs movsx movzx mul neg nop not
  or pop popa popf push pusha pushf rcl rcr ret rol ror sahf sal sar sbb scas seta setae setb setbe sete setg
  setge setl setle setne setno setnp setns seto setp sets shl shld shr shrd stc std stos sub test xchg xlat xor
  fwait"
x87="f2xm1 fabs fadd faddp fbld fbstp fchs fclex fcom fcomp fcompp fcos fdecstp fdiv fdivp fdivr fdivrp ffree
  fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit fist fistp fisub fisubr fld fld1 fldcw fldenv fldl2e
  fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnclex fninit fnop fnsave fnstcw fnstenv fnstsw fpatan fprem
  fprem1 fptan frndint frstor fsave fscale fsin fsincos fsqrt fst fstcw fstenv fstp fstsw fsub fsubp fsubr
  fsubrp ftst fucom fucomp fucompp fxam fxch fxtract fyl2x fyl2xp1"
# ud2 and pause: an intended trap and a spin-wait hint whose bytes older processors run the same way
# (an undefined opcode, and rep nop).
i486="$i386 $x87 bswap cmpxchg xadd ud2 pause"
i586="$i486 cpuid cmpxchg8b rdtsc"
case $cpu in
  i486) allowed=$i486 ;;
  i586) allowed=$i586 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

check() {  # check EXE: one "refused ..." line per instruction outside the set, and a summary
  local exe=$1 dump
  if ! dump=$("$objdump" -d -M intel --no-show-raw-insn "$exe" 2>&1); then
    echo "refused $exe: cannot be read: $dump"
    return
  fi
  awk -v allowed="$allowed" -v cpu="$cpu" -v exe="$(basename "$exe")" '
    BEGIN {
      n = split(allowed, a, /[ \t\n]+/); for (i = 1; i <= n; i++) ok[a[i]] = 1
      split("lock rep repz repnz repe repne data16 addr16 cs ds es ss fs gs", p, " "); for (i in p) prefix[p[i]] = 1
      split("__CTOR_LIST__ ___CTOR_LIST__ .ctors __DTOR_LIST__ ___DTOR_LIST__ .dtors .gcc_except_table", d, " ")
      for (i in d) data[d[i]] = 1
    }
    /file format pei-i386/ { pe32 = 1 }
    /^[0-9a-f]+ <.*>:$/ {
      symbol = substr($2, 2, length($2) - 3); symbols++
      skip = symbol in data
      next
    }
    skip || !/^ +[0-9a-f]+:\t/ { next }
    {
      split($0, field, "\t"); address = $1; sub(/:$/, "", address)
      count = split(field[2], word, / +/); w = 1
      while (w <= count && word[w] in prefix) w++
      if (w > count) { insns++; next }
      name = word[w]; operands = w < count
      insns++
      if (name in ok && !(name == "nop" && operands)) next
      shown = name == "nop" ? "long nop" : name
      printf "refused %s: %s at 0x%s in %s\n", exe, shown, address, symbol
      refused++
    }
    END {
      if (!pe32) { printf "refused %s: not a 32-bit Windows executable\n", exe; exit }
      if (!symbols) { printf "refused %s: no symbol table, code cannot be told from data\n", exe; exit }
      printf "%s: %d instructions, %d refused for the %s\n", exe, insns, refused, cpu
    }
  ' <<<"$dump"
}

. "$(dirname "$0")/check-verdict.sh"
verdict 's/^refused [^:]*: \(.*\) at 0x.*/\1/p' "$expected" "$@"
