#include "audio/Resynthesis.h"

#include "audio/ResynthesisKernel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

// Why the loop is reordered: the truncating 16-bit sum makes every sample one
// chain through all harmonics, and every oscillator's phase a chain through
// all samples. So the output goes in blocks of kBlock samples: first the
// contributions of each chunk of oscillators over the block are formed
// (several oscillators per vector, phases in registers), then the running
// sums of the block's samples take them in harmonic order (several samples
// per vector). Every value comes from the same operations in the same order
// as in the plain loop, so the result is identical to it.
//
// Runs with unusual track values (NaN, infinite, negative or very high
// frequencies) and the very first sample, whose start phases may lie
// anywhere, take the general per-oscillator steps below instead.

namespace sonvik {

static_assert(resynthesis::kTableSize == kResynthesisTableSize, "one table size");

namespace resynthesis {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Track values further from 0 than this (or exactly 0) keep the fast
// kernels' arithmetic clear of underflow.
constexpr double kTiny = 0x1p-500;

const double *cosineTable()
{
    static const std::vector<double> table = [] {
        std::vector<double> values(kTableSize);
        for (int i = 0; i < kTableSize; ++i)
            values[static_cast<std::size_t>(i)] = std::cos(2.0 * kPi * i / kTableSize);
        return values;
    }();
    return table.data();
}

// Doubles on 64-byte boundaries, zero-filled: whole vectors never straddle cache lines.
class AlignedDoubles {
public:
    explicit AlignedDoubles(std::size_t count) : storage_(count + 8, 0.0)
    {
        void *start = storage_.data();
        std::size_t space = storage_.size() * sizeof(double);
        data_ = static_cast<double *>(std::align(64, count * sizeof(double), start, space));
    }
    double *data() { return data_; }

private:
    std::vector<double> storage_;
    double *data_;
};

// The general steps, exact for any values: one oscillator, one sample.
inline int tableIndex(double phase)
{
    // fmod is exact, so reducing before truncating gives trunc(phase) mod kTableSize.
    const int index = static_cast<int>(std::fmod(phase, kCycle));
    return index < 0 ? index + kTableSize : index;
}

inline void advancePhase(double &phase, double step)
{
    if (std::isfinite(step))
        phase += step;
    phase = std::fmod(phase, kCycle);
}

inline double contribution(double a, double cosine)
{
    const double product = a * cosine;
    return std::isnan(product) ? 0.0 : product;
}

void formRunGeneral(const OscillatorRun &run, int harmonics)
{
    for (int n = run.begin; n < run.end; ++n) {
        for (int h = 0; h < harmonics; ++h) {
            OscillatorPacket &p = run.packets[h / kPacket];
            const int i = h % kPacket;
            const double a = run.from[n] * p.ampFrom[i] + run.to[n] * p.ampTo[i];
            const double f = p.nominal[i] + run.from[n] * p.devFrom[i] + run.to[n] * p.devTo[i];
            const int index = tableIndex(p.phase[i]);
            advancePhase(p.phase[i], f * kCycle / run.sampleRate);
            run.partials[h * kBlock + n] = contribution(a, run.table[index]);
        }
    }
}

inline bool clearOfUnderflow(double value) { return value == 0 || std::fabs(value) >= kTiny; }

// The oscillators, padded with silent ones to whole groups, and the frame
// pair each group of them currently interpolates.
class OscillatorBank {
public:
    OscillatorBank(double f0, const double *initialPhase, int harmonics, double sampleRate)
        : harmonics_(harmonics),
          groups_(static_cast<int>((static_cast<long long>(harmonics) + kGroup - 1) / kGroup)),
          sampleRate_(sampleRate),
          packets_(static_cast<std::size_t>(groups_) * (kGroup / kPacket), OscillatorPacket{}),
          loadedFrame_(static_cast<std::size_t>(groups_), -1),
          tame_(loadedFrame_.size(), false)
    {
        for (int h = 0; h < harmonics; ++h) {
            double start = initialPhase[h] * 0.5 / kPi * kCycle;
            if (start < 0)
                start += kCycle;
            at(h).phase[h % kPacket] = std::isfinite(start) ? start : 0.0;
            at(h).nominal[h % kPacket] = (h + 1) * f0;
        }
    }

    int groups() const { return groups_; }

    // Points `run` at the oscillators of `group` and gives them the values of
    // `frame` and frame + 1, loading these if the group holds another pair.
    // Returns whether the fast kernels may take the run.
    bool prepare(int group, int frame, const double *const *amp, const double *const *freqDev,
                 OscillatorRun &run)
    {
        const int begin = group * kGroup;
        const int end = begin + std::min(kGroup, harmonics_ - begin);
        const auto g = static_cast<std::size_t>(group);
        if (loadedFrame_[g] != frame) {
            bool tame = true;
            for (int h = begin; h < end; ++h) {
                OscillatorPacket &p = at(h);
                const int i = h % kPacket;
                p.ampFrom[i] = amp[h][frame];
                p.ampTo[i] = amp[h][frame + 1];
                p.devFrom[i] = freqDev[h][frame];
                p.devTo[i] = freqDev[h][frame + 1];
                tame = tame && tameValues(p, i);
            }
            loadedFrame_[g] = frame;
            tame_[g] = tame;
        }
        run.packets = &at(begin);
        if (!tame_[g])
            return false;
        for (int h = begin; h < end; ++h)
            if (!(at(h).phase[h % kPacket] >= 0 && at(h).phase[h % kPacket] < kCycle))
                return false;
        return true;
    }

private:
    OscillatorPacket &at(int h) { return packets_[static_cast<std::size_t>(h / kPacket)]; }

    // Finite amplitudes, and a frequency that stays within (0, 0.75 sampleRate)
    // for any interpolation weights, with margin for rounding.
    bool tameValues(const OscillatorPacket &p, int i) const
    {
        const double spread = std::fabs(p.devFrom[i]) + std::fabs(p.devTo[i]);
        return std::isfinite(p.ampFrom[i]) && std::isfinite(p.ampTo[i]) && p.nominal[i] >= kTiny
            && clearOfUnderflow(p.devFrom[i]) && clearOfUnderflow(p.devTo[i])
            && p.nominal[i] > spread * (1 + 0x1p-40) && p.nominal[i] + spread < 0.75 * sampleRate_;
    }

    int harmonics_;
    int groups_;
    double sampleRate_;
    std::vector<OscillatorPacket> packets_;
    std::vector<int> loadedFrame_;
    std::vector<bool> tame_;
};

} // namespace

std::vector<short> resynthesizeWith(const Kernels &kernels, double f0, const double *initialPhase,
                                    const double *const *amp, const double *const *freqDev,
                                    int numHarmonics, int numFrames, double timeStep, int sampleRate)
{
    const int numSamples = resynthesisLength(timeStep, numFrames, sampleRate);
    std::vector<short> output(static_cast<std::size_t>(numSamples), 0);
    if (numSamples == 0 || numFrames <= 1 || numHarmonics <= 0 || !initialPhase || !amp || !freqDev)
        return output;
    for (int h = 0; h < numHarmonics; ++h)
        if (!amp[h] || !freqDev[h])
            return output;

    OscillatorBank bank(f0, initialPhase, numHarmonics, sampleRate);
    AlignedDoubles partials(static_cast<std::size_t>(kGroup) * kBlock);
    AlignedDoubles from(kBlock);
    AlignedDoubles to(kBlock);
    AlignedDoubles sums(kBlock);
    int frame[kBlock];
    OscillatorRun run = {};
    run.from = from.data();
    run.to = to.data();
    run.sampleRate = sampleRate;
    run.table = cosineTable();
    run.partials = partials.data();

    const double lastFrame = numFrames - 1;
    double t = 0;
    int done = 0;
    bool stopped = false;
    while (!stopped && done < numSamples) {
        int count = 0;
        for (; count < kBlock && done + count < numSamples; ++count) {
            const double position = t / timeStep;
            if (position >= lastFrame) {   // i.e. trunc(position) >= numFrames - 1
                stopped = true;
                break;
            }
            frame[count] = static_cast<int>(position);
            to.data()[count] = position - frame[count];
            from.data()[count] = 1 - to.data()[count];
            t += 1.0 / sampleRate;
        }
        if (count == 0)
            break;

        std::fill(sums.data(), sums.data() + kBlock, 0.0);
        for (int group = 0; group < bank.groups(); ++group) {
            const int real = std::min(kGroup, numHarmonics - group * kGroup);
            for (run.begin = 0; run.begin < count; run.begin = run.end) {
                run.end = run.begin + 1;
                while (run.end < count && frame[run.end] == frame[run.begin])
                    ++run.end;
                const bool tame = bank.prepare(group, frame[run.begin], amp, freqDev, run);
                if (done == 0 && run.begin == 0) {
                    // The start phases, unreduced: the general steps for the first sample.
                    run.end = 1;
                    formRunGeneral(run, real);
                } else if (tame) {
                    kernels.formRun(run);
                } else {
                    formRunGeneral(run, real);
                }
            }
            kernels.addRows(partials.data(), real, count, sums.data());
        }
        for (int n = 0; n < count; ++n)
            output[static_cast<std::size_t>(done + n)] = static_cast<short>(sums.data()[n]);
        done += count;
    }
    return output;
}

} // namespace resynthesis

int resynthesisLength(double timeStep, int numFrames, int sampleRate)
{
    if (!(timeStep > 0) || !std::isfinite(timeStep) || numFrames <= 0 || sampleRate <= 0)
        return 0;
    const double samples = timeStep * numFrames * sampleRate;
    if (!(samples < kMaxResynthesisSamples + 1.0))
        return 0;
    return static_cast<int>(samples);
}

std::vector<short> resynthesize(double f0, const double *initialPhase, const double *const *amp,
                                const double *const *freqDev, int numHarmonics, int numFrames,
                                double timeStep, int sampleRate)
{
    return resynthesis::resynthesizeWith(resynthesis::fastestKernels(), f0, initialPhase, amp, freqDev,
                                         numHarmonics, numFrames, timeStep, sampleRate);
}

} // namespace sonvik
