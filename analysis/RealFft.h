#pragma once
// The one owner of FFTW in the program: a forward real-to-complex transform of
// a fixed size with its own buffers, planned once (FFTW_ESTIMATE) and executed
// as often as needed. Output is unnormalised, bins 0 .. size/2.
//
// Thread-safety: planning and plan destruction are serialised internally, so
// instances may be created on any thread; one instance must not be executed
// from two threads at once.

#include <complex>

namespace sonvik {

class RealFft {
public:
    explicit RealFft(int size);
    ~RealFft();
    RealFft(const RealFft &) = delete;
    RealFft &operator=(const RealFft &) = delete;

    int size() const { return size_; }
    int bins() const { return size_ / 2 + 1; }

    double *input() { return input_; }                 // size() doubles, kept by execute()
    const std::complex<double> *output() const { return output_; }  // bins() values

    void execute();

private:
    int size_;
    double *input_;
    std::complex<double> *output_;
    void *plan_;
};

} // namespace sonvik
