#include "analysis/RealFft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>
#include <new>

namespace sonvik {

namespace {
std::mutex &plannerMutex()
{
    static std::mutex m;
    return m;
}
} // namespace

RealFft::RealFft(int size) : size_(size > 0 ? size : 1)
{
    std::lock_guard<std::mutex> lock(plannerMutex());
    input_ = fftw_alloc_real(static_cast<size_t>(size_));
    output_ = reinterpret_cast<std::complex<double> *>(fftw_alloc_complex(static_cast<size_t>(bins())));
    if (!input_ || !output_)
        throw std::bad_alloc();
    std::fill(input_, input_ + size_, 0.0);
    std::fill(output_, output_ + bins(), std::complex<double>());
    // FFTW_ESTIMATE does not touch the arrays while planning.
    plan_ = fftw_plan_dft_r2c_1d(size_, input_, reinterpret_cast<fftw_complex *>(output_), FFTW_ESTIMATE);
}

RealFft::~RealFft()
{
    std::lock_guard<std::mutex> lock(plannerMutex());
    fftw_destroy_plan(static_cast<fftw_plan>(plan_));
    fftw_free(input_);
    fftw_free(output_);
}

void RealFft::execute()
{
    fftw_execute(static_cast<fftw_plan>(plan_));
}

} // namespace sonvik
