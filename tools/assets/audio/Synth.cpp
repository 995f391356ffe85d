#include "tools/assets/audio/Synth.h"

#include "audio/VorbisEncode.h"

#include <algorithm>
#include <cmath>

namespace assets::audio {

namespace {

constexpr double kTwoPi = 6.283185307179586;

void Put(Signal& out, long index, float value, bool wrap)
{
    const long n = long(out.size());
    if (n == 0)
        return;
    if (wrap)
        out[size_t(((index % n) + n) % n)] += value;
    else if (index >= 0 && index < n)
        out[size_t(index)] += value;
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

int16_t ToPcm(float v)
{
    return int16_t(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

double MidiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

void Svf::Set(double cutoffHz, double damping)
{
    m_f = float(2.0 * std::sin(3.141592653589793 * std::min(cutoffHz, kRate / 6.5) / kRate));
    m_q = float(damping);
}

float Svf::Run(float x)
{
    m_low += m_f * band;
    high = x - m_low - m_q * band;
    band += m_f * high;
    return m_low;
}

void AddNote(Signal& out, const Note& note, bool wrap)
{
    const long first = long(note.start * kRate);
    const long frames = long((note.length + note.release) * kRate);
    double phase = 0;
    for (long i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double env = note.attack > 0 ? std::min(1.0, t / note.attack) : 1.0;
        if (note.decay > 0)
            env *= std::exp(-t / note.decay);
        if (t > note.length)
            env *= std::max(0.0, 1.0 - (t - note.length) / std::max(note.release, 1e-4));
        const double progress = std::min(1.0, t / std::max(note.length, 1e-4));
        double hz = note.hz * std::pow(note.glide, progress);
        if (note.vibratoDepth > 0)
            hz *= 1.0 + note.vibratoDepth * std::sin(kTwoPi * note.vibratoHz * t);
        phase += hz / kRate;
        phase -= std::floor(phase);
        double v = 0;
        for (size_t h = 0; h < note.harmonics.size(); ++h)
            if (hz * double(h + 1) < kRate * 0.45)
                v += note.harmonics[h] * std::sin(kTwoPi * phase * double(h + 1));
        Put(out, first + i, float(v * env) * note.amplitude, wrap);
    }
}

void AddHit(Signal& out, const Hit& hit, Rng& rng, bool wrap)
{
    const long first = long(hit.start * kRate);
    const double seconds = std::max(hit.toneDecay, hit.noiseDecay) * 6.0;
    const long frames = long(seconds * kRate);
    Svf band(hit.noiseHz, 0.8);
    double phase = 0;
    for (long i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double hz = hit.endHz + (hit.hz - hit.endHz) * std::exp(-t * 30.0);
        phase += hz / kRate;
        phase -= std::floor(phase);
        const double click = std::min(1.0, t * 2000.0);
        double v = hit.tone * std::sin(kTwoPi * phase) * std::exp(-t / hit.toneDecay) * click;
        band.Run(rng.Signed());
        v += hit.noise * band.band * std::exp(-t / hit.noiseDecay);
        Put(out, first + i, float(v), wrap);
    }
}

void AddNoise(Signal& out, const NoiseBurst& burst, Rng& rng, bool wrap)
{
    const long first = long(burst.start * kRate);
    const long frames = long(burst.length * kRate);
    Svf filter(burst.hz, burst.damping);
    for (long i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        if (burst.endHz > 0)
            filter.Set(burst.hz * std::pow(burst.endHz / burst.hz, t / burst.length), burst.damping);
        double env = burst.attack > 0 ? std::min(1.0, t / burst.attack) : 1.0;
        const double tail = burst.length - t;
        if (burst.release > 0 && tail < burst.release)
            env *= std::max(0.0, tail / burst.release);
        const float low = filter.Run(rng.Signed());
        Put(out, first + i, float((burst.lowPass ? low : filter.band) * env) * burst.amplitude, wrap);
    }
}

void Normalise(Signal& signal, float peak)
{
    float most = 0;
    for (float v : signal)
        most = std::max(most, std::fabs(v));
    if (most <= 0)
        return;
    const float scale = peak / most;
    for (float& v : signal)
        v *= scale;
}

std::vector<uint8_t> EncodeWav(const Signal& signal)
{
    std::vector<uint8_t> out;
    const uint32_t dataBytes = uint32_t(signal.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (float v : signal)
        Put16(out, uint16_t(ToPcm(v)));
    return out;
}

std::vector<uint8_t> EncodeOgg(const Signal& signal, float quality)
{
    return vorbis_encode::Encode(1, kRate, quality, 0x54420001, signal.size(),
                                 [&](float** buffer, size_t first, size_t n) {
                                     for (size_t i = 0; i < n; ++i)
                                         buffer[0][i] = std::clamp(signal[first + i], -1.0f, 1.0f);
                                 });
}

}  // namespace assets::audio
