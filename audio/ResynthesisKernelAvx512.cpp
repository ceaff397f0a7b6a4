#include "audio/ResynthesisKernel.h"

// The kernels for CPUs with AVX-512F; this file alone is compiled with it
// enabled, and nothing runs these kernels unless the CPU has it. Vectors of
// eight doubles, otherwise the same operations as ResynthesisKernelAvx2.cpp,
// whose comment shows why the step without a division is exact.

#if defined(__AVX512F__)
#include <immintrin.h>

namespace sonvik {
namespace resynthesis {
namespace {

struct Avx512 {
    static constexpr int kLanes = 8;
    typedef double Vec __attribute__((vector_size(kLanes * sizeof(double))));

    explicit Avx512(double sampleRate)
        : divisor(_mm512_set1_pd(sampleRate / kCycle)), reciprocal(_mm512_set1_pd(kCycle / sampleRate))
    {
    }

    // The zero-masked forms with a full mask: the plain ones leave their
    // source undefined, which GCC 12 reports as maybe uninitialised.
    static constexpr __mmask8 kAll = 0xFF;

    Vec step(const Vec &f) const
    {
        const __m512d q = _mm512_mul_pd(f, reciprocal);
        const __m512d r = _mm512_fnmadd_pd(q, divisor, f);
        return _mm512_fmadd_pd(r, reciprocal, q);
    }

    static Vec cosine(const double *table, const Vec &phase)
    {
        const __m256i index = _mm512_maskz_cvttpd_epi32(kAll, phase);
        return _mm512_mask_i32gather_pd(_mm512_setzero_pd(), kAll, index, table, sizeof(double));
    }

    static Vec saturate(const Vec &s)
    {
        const __m512d high = _mm512_maskz_min_pd(kAll, s, _mm512_set1_pd(32767.0));
        const __m512d clamped = _mm512_maskz_max_pd(kAll, high, _mm512_set1_pd(-32768.0));
        return _mm512_maskz_roundscale_pd(kAll, clamped, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    }

    __m512d divisor;
    __m512d reciprocal;
};

const Kernels kAvx512 = {formRunWith<Avx512>, addRowsWith<Avx512>};

} // namespace

const Kernels *avx512KernelsUnchecked() { return &kAvx512; }

} // namespace resynthesis
} // namespace sonvik

#else

namespace sonvik {
namespace resynthesis {

const Kernels *avx512KernelsUnchecked() { return nullptr; }

} // namespace resynthesis
} // namespace sonvik

#endif
