#include "audio/ResynthesisKernel.h"

// The kernels for CPUs with AVX2 and FMA; this file alone is compiled with
// those instructions enabled, and nothing else runs them unless the CPU has
// them. Vectors of four doubles, hardware gathers from the table, and the
// phase step without a division:
//
// step = f * kCycle / sampleRate = f / d with d = sampleRate / kCycle (exact).
// With y = 1 / d rounded, q = f * y rounded lies within 2 ulps of f / d, so
// r = f - q * d is exact in one fused operation, and q + r * y rounded once is
// f / d + (f / d - q) * (d * y - 1) rounded: f / d moved by less than 2^-51
// ulp. f / d is never exactly halfway between two doubles, and its distance
// from such a point is at least 1/4 ulp divided by the odd part of
// sampleRate, so the result is the correctly rounded quotient, bit for bit.
// This needs f normal or 0 and far from overflow, which the caller ensures.

#if defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>

namespace sonvik {
namespace resynthesis {
namespace {

struct Avx2 {
    static constexpr int kLanes = 4;
    typedef double Vec __attribute__((vector_size(kLanes * sizeof(double))));

    explicit Avx2(double sampleRate)
        : divisor(_mm256_set1_pd(sampleRate / kCycle)), reciprocal(_mm256_set1_pd(kCycle / sampleRate))
    {
    }

    Vec step(const Vec &f) const
    {
        const __m256d q = _mm256_mul_pd(f, reciprocal);
        const __m256d r = _mm256_fnmadd_pd(q, divisor, f);
        return _mm256_fmadd_pd(r, reciprocal, q);
    }

    static Vec cosine(const double *table, const Vec &phase)
    {
        const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, _mm256_cvttpd_epi32(phase), all, sizeof(double));
    }

    static Vec saturate(const Vec &s)
    {
        const __m256d clamped = _mm256_max_pd(_mm256_min_pd(s, _mm256_set1_pd(32767.0)), _mm256_set1_pd(-32768.0));
        return _mm256_round_pd(clamped, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    }

    __m256d divisor;
    __m256d reciprocal;
};

const Kernels kAvx2 = {formRunWith<Avx2>, addRowsWith<Avx2>};

} // namespace

const Kernels *avx2KernelsUnchecked() { return &kAvx2; }

} // namespace resynthesis
} // namespace sonvik

#else

namespace sonvik {
namespace resynthesis {

const Kernels *avx2KernelsUnchecked() { return nullptr; }

} // namespace resynthesis
} // namespace sonvik

#endif
