// Writes the demo tones of samples/: short synthetic instrument-like tones
// whose fundamentals are known, so a new user sees what the analysis finds.
//
//   sonvik-make-samples OUTPUT_DIR
//   sonvik-make-samples --benchmark FILE   (1,000,000 samples of a 100 Hz tone at 44.1 kHz)

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kRate = 44100;

struct Partial {
    double ratio;      // frequency as a multiple of the fundamental
    double amplitude;  // peak, 16-bit units
};

// Attack-sustain-release envelope with a silent lead-in, in 0..1.
double envelope(double t, double lead, double attack, double length, double release)
{
    if (t < lead)
        return 0.0;
    t -= lead;
    if (t < attack)
        return t / attack;
    if (t > length - release)
        return std::fmax(0.0, (length - t) / release);
    return 1.0;
}

// Deterministic noise (a small linear congruential generator), about ±1.
struct Noise {
    std::uint32_t state = 12345;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1 << 23) - 1.0;
    }
};

std::vector<double> tone(double f0, const std::vector<Partial> &partials, double seconds,
                         double vibratoRate, double vibratoDepth, double lead, Noise &noise)
{
    const int n = int(seconds * kRate);
    std::vector<double> out(std::size_t(n), 0.0);
    std::vector<double> phase(partials.size(), 0.0);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double f = f0 * (1.0 + vibratoDepth * std::sin(kTwoPi * vibratoRate * t));
        const double env = envelope(t, lead, 0.08, seconds - lead, 0.25);
        double v = 0.0;
        for (std::size_t p = 0; p < partials.size(); ++p) {
            phase[p] += kTwoPi * f * partials[p].ratio / kRate;
            v += partials[p].amplitude * std::sin(phase[p]);
        }
        out[std::size_t(i)] = env * v + 20.0 * noise.next();
    }
    return out;
}

std::vector<Partial> series(int count, double first, double rolloff)
{
    std::vector<Partial> partials;
    for (int k = 1; k <= count; ++k)
        partials.push_back({double(k), first * std::pow(rolloff, k - 1) / (k % 2 ? 1.0 : 1.6)});
    return partials;
}

bool write(const std::string &path, const std::vector<double> &interleaved, int channels)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<short> pcm(interleaved.size());
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = short(std::lrint(std::fmax(-32768.0, std::fmin(32767.0, interleaved[i]))));
    const sf_count_t frames = sf_count_t(pcm.size()) / channels;
    const bool ok = sf_writef_short(file, pcm.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    Noise noise;
    if (argc == 3 && std::string(argv[1]) == "--benchmark") {
        // 1,000,000 samples: the largest portion the program accepts in mono.
        auto sound = tone(100.0, series(40, 6000.0, 0.9), 1000000.0 / kRate, 4.0, 0.004, 0.0, noise);
        sound.resize(1000000);
        return write(argv[2], sound, 1) ? 0 : 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR | --benchmark FILE\n", argv[0]);
        return 1;
    }
    const std::string dir = argv[1];
    bool ok = true;

    // A4 with a 5.5 Hz vibrato of ±0.6 % and a short silent lead-in.
    ok &= write(dir + "/a4-440hz-vibrato-mono.wav",
                tone(440.0, series(12, 9000.0, 0.72), 1.5, 5.5, 0.006, 0.1, noise), 1);

    // Two simultaneous fundamentals, A3 and E4, as two instruments playing together.
    {
        const auto low = tone(220.0, series(10, 7000.0, 0.7), 1.5, 0.0, 0.0, 0.05, noise);
        const auto high = tone(329.63, series(8, 5000.0, 0.65), 1.5, 0.0, 0.0, 0.05, noise);
        std::vector<double> mix(low.size());
        for (std::size_t i = 0; i < mix.size(); ++i)
            mix[i] = low[i] + high[i];
        ok &= write(dir + "/a3-e4-two-fundamentals-mono.wav", mix, 1);
    }

    // C3 in stereo: the right channel quieter and slightly detuned, as from a second microphone.
    {
        const auto left = tone(130.81, series(20, 8000.0, 0.82), 1.2, 0.0, 0.0, 0.05, noise);
        const auto right = tone(130.9, series(20, 5000.0, 0.78), 1.2, 0.0, 0.0, 0.06, noise);
        std::vector<double> stereo(left.size() * 2);
        for (std::size_t i = 0; i < left.size(); ++i) {
            stereo[2 * i] = left[i];
            stereo[2 * i + 1] = right[i];
        }
        ok &= write(dir + "/c3-130hz-stereo.wav", stereo, 2);
    }
    return ok ? 0 : 2;
}
