#include "solver/CpuState.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#endif

namespace vestrel::solver {

namespace {

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
__attribute__((target("avx"))) void zeroUpperHalves() {
    _mm256_zeroupper();
}
#endif

} // namespace

void ClearUpperVectorHalves() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx")) zeroUpperHalves();
#elif defined(_M_X64) && defined(_MSC_VER) && !defined(__clang__)
    static const bool avx = [] {
        int regs[4];
        __cpuid(regs, 1);
        const bool osSaves = (regs[2] & (1 << 27)) != 0, hasAvx = (regs[2] & (1 << 28)) != 0;
        return osSaves && hasAvx && (_xgetbv(0) & 6) == 6;
    }();
    if (avx) _mm256_zeroupper();
#endif
}

} // namespace vestrel::solver
