// A program holding instructions that the 486 lacks, one of each kind (the Pentium Pro's cmov, fcomip and
// long no-op, the Pentium's cmpxchg8b, MMX, SSE), and two that the 486 has. The instruction check must
// refuse exactly the first ones. It is only built, never run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int value = 0;
    __asm__ volatile(
        "cmove %%ecx, %%eax\n\t"
        "fcomip %%st(1), %%st\n\t"
        "nopl (%%eax)\n\t"
        "cmpxchg8b (%%esi)\n\t"
        "movq %%mm0, %%mm1\n\t"
        "movaps %%xmm0, %%xmm1\n\t"
        "bswap %%eax\n\t"
        "xadd %%eax, (%%esi)\n\t"
        : "+a"(value)
        : "S"(&value)
        : "ebx", "ecx", "edx", "memory", "cc");
    return value;
}
