#include "tools/analyze/Summary.h"

#include "export/NumberFormat.h"

#include <string>

namespace analyze {

namespace {

class JsonObject {
public:
    explicit JsonObject(std::string &out, const char *indent) : out_(out), indent_(indent) { out_ += "{"; }
    void close() { out_ += "\n"; out_ += std::string(indent_).substr(2); out_ += "}"; }

    void key(const char *name)
    {
        out_ += first_ ? "\n" : ",\n";
        first_ = false;
        out_ += indent_;
        out_ += '"';
        out_ += name;
        out_ += "\": ";
    }
    void integer(const char *name, long long v) { key(name); out_ += std::to_string(v); }
    void number(const char *name, double v) { key(name); out_ += sonvik::formatJsonNumber(v); }
    void text(const char *name, const std::string &v) { key(name); out_ += sonvik::formatJsonString(v); }
    template <typename Container>
    void numbers(const char *name, const Container &values)
    {
        key(name);
        out_ += "[";
        bool firstValue = true;
        for (double v : values) {
            if (!firstValue)
                out_ += ", ";
            firstValue = false;
            out_ += sonvik::formatJsonNumber(v);
        }
        out_ += "]";
    }

private:
    std::string &out_;
    const char *indent_;
    bool first_ = true;
};

} // namespace

std::string summaryJson(const Summary &summary)
{
    std::string out;
    JsonObject root(out, "  ");
    root.text("file", summary.file);
    root.integer("sampleRate", summary.sampleRate);
    root.integer("channels", summary.channels);
    root.integer("frames", summary.frames);
    root.integer("portionSamples", summary.portionSamples);
    root.numbers("fundamentals", summary.fundamentals);
    root.key("analyses");
    out += "[";
    bool first = true;
    for (const AnalysedSlot &a : summary.analyses) {
        const sonvik::HarmonicTrack &t = *a.track;
        out += first ? "\n    " : ",\n    ";
        first = false;
        JsonObject item(out, "      ");
        item.integer("slot", a.slot);
        item.number("f0", t.f0);
        item.integer("numHarmonics", t.numHarmonics);
        item.integer("frameLength", t.frameLength);
        item.number("timeStep", t.timeStep);
        item.integer("numFrames", t.numFrames);
        item.integer("peakHarmonic", t.peakHarmonic);
        item.integer("peakFrame", t.peakFrame);
        item.number("peakAmp", t.peakAmp);
        item.numbers("harRmsAmp", t.harRmsAmp);
        item.numbers("meanFreqDev", t.meanFreqDev);
        item.numbers("attackTime", t.attackTime);
        item.numbers("decayTime", t.decayTime);
        item.close();
    }
    out += summary.analyses.empty() ? "]" : "\n  ]";
    root.close();
    out += "\n";
    return out;
}

} // namespace analyze
