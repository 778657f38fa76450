#!/usr/bin/env bash
# Rebuilds, for an older processor, the pieces of the static runtime that the 32-bit program links and
# that Debian builds for the Pentium Pro (cmov, fcomi). Each piece is compiled from Debian's own sources
# with the cross-compiler and the flags Debian's build used, only the processor changed, and replaces the
# member of the same name in a copy of Debian's archive; the rest of each archive stays Debian's.
#
#   build-runtime.sh OUT CPU_FLAGS CC CXX MINGW_SOURCES [LAUNCHER]
#
# OUT receives crt2.o and the archives (libstdc++.a, libgcc_eh.a, libmingw32.a, libmingwex.a,
# libmsvcrt.a); the program links with -BOUT/ to take them first. CPU_FLAGS: e.g. "-march=i486".
# MINGW_SOURCES: Debian's mingw-w64 source package, unpacked (tools/setup.sh fetches it). LAUNCHER: ccache.
#
# The lists below are the members the program links that hold such instructions. When the instruction
# check names a function of the runtime that is not here, the link map (-Wl,-Map) tells its member.
# Built with CPU_FLAGS "-march=pentiumpro -mtune=generic" (Debian's default), every member comes out
# instruction for instruction as Debian's, but random.o (see below).
set -euo pipefail
[ $# -ge 5 ] || { echo "usage: $0 OUT CPU_FLAGS CC CXX MINGW_SOURCES [LAUNCHER]" >&2; exit 2; }
out=$1 cpu=$2 cc=$3 cxx=$4 mingw=$5 launcher=${6:-}
gcc_tar=/usr/src/gcc-12/gcc-12.2.0-dfsg.tar.xz
[ -r "$gcc_tar" ] || { echo "$gcc_tar missing: run make setup (package gcc-12-source)" >&2; exit 1; }
[ -d "$mingw/mingw-w64-crt" ] || { echo "$mingw missing: run make setup (mingw-w64 source package)" >&2; exit 1; }
triplet=$("$cc" -dumpmachine)
gcclib=$("$cc" -print-libgcc-file-name); gcclib=${gcclib%/*}
crtlib=$(dirname "$("$cc" -print-file-name=crt2.o)")

# libstdc++ and libsupc++: folder of the source, and the language its Makefile compiles it with; and the
# demangler (cp-demangle.o, C, from libiberty).
stdcxx_members="
  libsupc++ - eh_alloc eh_catch eh_personality eh_ptr eh_terminate new_op vmi_class_type_info
  src/c++11 gnu++11 cow-string-inst hashtable_c++0x random string-inst wstring-inst
  src/c++98 gnu++98 tree"
libgcc_eh_members="emutls unwind-dw2 unwind-dw2-fde"
# mingw-w64: archive, source below mingw-w64-crt, member name.
mingw_members="
  libmingw32 crt/pesect.c lib32_libmingw32_a-pesect.o
  libmingw32 crt/pseudo-reloc.c lib32_libmingw32_a-pseudo-reloc.o
  libmingwex gdtoa/gdtoa.c lib32_libmingwex_a-gdtoa.o
  libmingwex gdtoa/gmisc.c lib32_libmingwex_a-gmisc.o
  libmingwex gdtoa/misc.c lib32_libmingwex_a-misc.o
  libmingwex stdio/mingw_pformat.c lib32_libmingwex_a-mingw_pformat.o
  libmingwex stdio/mingw_vsnprintf.c lib32_libmingwex_a-mingw_vsnprintf.o
  libmsvcrt misc/mbrtowc.c lib32_libmsvcrt_common_a-mbrtowc.o
  libmsvcrt misc/wcrtomb.c lib32_libmsvcrt_common_a-wcrtomb.o"

mkdir -p "$out/obj" "$out/gen"
# The GCC sources: extracted once (about 15 s), the folders these members need.
src=$out/gcc-12.2.0
if [ ! -f "$out/gcc.stamp" ]; then
  rm -rf "$src"
  tar -xJf "$gcc_tar" -C "$out" gcc-12.2.0/libgcc gcc-12.2.0/include gcc-12.2.0/libstdc++-v3/src \
    gcc-12.2.0/libstdc++-v3/libsupc++ gcc-12.2.0/libiberty/cp-demangle.c gcc-12.2.0/libiberty/cp-demangle.h \
    --wildcards --no-wildcards-match-slash 'gcc-12.2.0/gcc/*.h' 'gcc-12.2.0/gcc/*.def'
  touch "$out/gcc.stamp"
fi

# What GCC's own build generates for libgcc, as far as these members use it: runtime checks on (as in
# a release build), the target's macros come from -fbuilding-libgcc, the unwinder and thread files of
# a 32-bit MinGW target with the win32 thread model.
gen=$out/gen
printf '#define USED_FOR_TARGET\n#define ENABLE_RUNTIME_CHECKING 1\n' >"$gen/tconfig.h"
printf '#define DWARF2_DEBUGGING_INFO 1\n#include "defaults.h"\n' >"$gen/tm.h"
printf '#include "config/i386/value-unwind.h"\n' >"$gen/libgcc_tm.h"
cp -f "$src/libgcc/config/i386/w32-unwind.h" "$gen/md-unwind-support.h"
cp -f "$src/libgcc/config/i386/gthr-win32.h" "$gen/gthr-default.h"
# std::random_device: the 486 and the Pentium have no rdrand/rdseed (nor always cpuid); without them it
# takes the C runtime's rand_s, as on any processor that lacks them.
printf '#include <bits/c++config.h>\n#undef _GLIBCXX_X86_RDRAND\n#undef _GLIBCXX_X86_RDSEED\n#include "%s"\n' \
  "$src/libstdc++-v3/src/c++11/random.cc" >"$gen/random.cc"

jobs=()  # one compile command a line, run two at a time
sup=$src/libstdc++-v3/libsupc++
stdcxx_objs=(cp-demangle.o)
set -- $stdcxx_members
while [ $# -gt 0 ]; do
  dir=$1 std=${2#-}; shift 2
  while [ $# -gt 0 ] && [[ $1 != libsupc++ && $1 != src/* ]]; do
    stdcxx_objs+=("$1.o")
    file=$src/libstdc++-v3/$dir/$1.cc
    [ "$1" = random ] && file=$gen/random.cc
    jobs+=("$launcher $cxx $cpu -O2 -D_GNU_SOURCE ${std:+-std=$std} -fno-implicit-templates -ffunction-sections \
-fdata-sections -frandom-seed=$1.lo -I$sup -I$src/libgcc -w -c $file -o $out/obj/$1.o")
    shift
  done
done
jobs+=("$launcher $cc $cpu -O2 -D_GNU_SOURCE -DIN_GLIBCPP_V3 -I$src/include -I$src/libgcc -w \
-c $src/libiberty/cp-demangle.c -o $out/obj/cp-demangle.o")
for m in $libgcc_eh_members; do
  jobs+=("$launcher $cc $cpu -O2 -DIN_GCC -DCROSS_DIRECTORY_STRUCTURE -DIN_LIBGCC2 -fbuilding-libgcc \
-fno-stack-protector -fexceptions -DHAVE_CC_TLS -DUSE_EMUTLS -I$gen -I$src/libgcc -I$src/libgcc/config/i386 \
-I$src/gcc -I$src/include -w -c $src/libgcc/$m.c -o $out/obj/$m.o")
done
crt="-O2 -pipe -std=gnu99 -D_CRTBLD -D_WIN32_WINNT=0x0f00 -D__MSVCRT_VERSION__=0x700 -D__USE_MINGW_ANSI_STDIO=0 \
-I$mingw/mingw-w64-crt/include -w"
declare -A crtdefs=([libmingw32]="-D_SYSCRT=1 -DCRTDLL=1" [libmingwex]="" [libmsvcrt]="-D__LIBMSVCRT__")
set -- $mingw_members
while [ $# -gt 0 ]; do
  jobs+=("$launcher $cc $cpu $crt ${crtdefs[$1]} -c $mingw/mingw-w64-crt/$2 -o $out/obj/$3"); shift 3
done
jobs+=("$launcher $cc $cpu $crt -D_SYSCRT=1 -DCRTDLL=1 -c $mingw/mingw-w64-crt/crt/crtexe.c -o $out/obj/crt2.o")
printf '%s\n' "${jobs[@]}" | xargs -P 2 -I{} sh -c '{}'

# Copies of Debian's archives with the members replaced in place.
replace() {  # replace ARCHIVE MEMBER.o...
  local archive=$1; shift
  cp -f "$archive" "$out/${archive##*/}.new"
  (cd "$out/obj" && "$triplet-ar" r "$out/${archive##*/}.new" "$@")
  mv -f "$out/${archive##*/}.new" "$out/${archive##*/}"
}
replace "$gcclib/libstdc++.a" "${stdcxx_objs[@]}"
replace "$gcclib/libgcc_eh.a" $(printf '%s.o ' $libgcc_eh_members)
for lib in libmingw32 libmingwex libmsvcrt; do
  replace "$crtlib/$lib.a" $(printf '%s\n' $mingw_members | paste - - - | awk -v l=$lib '$1 == l {print $3}')
done
cp -f "$out/obj/crt2.o" "$out/crt2.o"
