#include "audio/ResynthesisKernel.h"

// The kernels for any CPU (vectors of two doubles, SSE2 on x86-64; true
// division; one table load per lane), and the choice among the kernel sets.

namespace sonvik {
namespace resynthesis {
namespace {

struct Portable {
    static constexpr int kLanes = 2;
    typedef double Vec __attribute__((vector_size(kLanes * sizeof(double))));

    explicit Portable(double sampleRate) : rate(sampleRate) {}

    Vec step(const Vec &f) const { return f * kCycle / rate; }

    static Vec cosine(const double *table, const Vec &phase)
    {
        return Vec{table[static_cast<int>(phase[0])], table[static_cast<int>(phase[1])]};
    }

    static Vec saturate(Vec s)
    {
        const Vec lowest = -32768.0 - Vec{};
        const Vec highest = 32767.0 - Vec{};
        s = s > highest ? highest : s;
        s = s < lowest ? lowest : s;
        return Vec{static_cast<double>(static_cast<int>(s[0])), static_cast<double>(static_cast<int>(s[1]))};
    }

    double rate;
};

const Kernels kPortable = {formRunWith<Portable>, addRowsWith<Portable>};

} // namespace

const Kernels &portableKernels() { return kPortable; }

const Kernels *avx2Kernels()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return supported ? avx2KernelsUnchecked() : nullptr;
#else
    return nullptr;
#endif
}

const Kernels *avx512Kernels()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f");
    }();
    return supported ? avx512KernelsUnchecked() : nullptr;
#else
    return nullptr;
#endif
}

const Kernels &fastestKernels()
{
    if (const Kernels *kernels = avx512Kernels())
        return *kernels;
    if (const Kernels *kernels = avx2Kernels())
        return *kernels;
    return portableKernels();
}

} // namespace resynthesis
} // namespace sonvik
