#pragma once

// Sound synthesis for the generated data: plain float arithmetic in a fixed order and a
// seeded generator, so every run writes the same bytes. Everything is 22,050 Hz mono.

#include "tools/assets/common/Random.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assets::audio {

inline constexpr int kRate = 22050;
using Signal = std::vector<float>;

inline int Frames(double seconds) { return int(seconds * kRate + 0.5); }
// Equal temperament: note 69 is 440 Hz.
double MidiToHz(double note);

// Chamberlin state-variable filter (stable well below a sixth of the rate).
class Svf {
public:
    Svf(double cutoffHz, double damping) { Set(cutoffHz, damping); }
    void Set(double cutoffHz, double damping);
    // Returns the low-pass output; band and high pass are kept.
    float Run(float x);
    float band = 0, high = 0;

private:
    float m_f = 0, m_q = 1, m_low = 0;
};

// Adds a note into the signal from `start` seconds: harmonics 1..n with the given
// weights, an attack, and an exponential decay of `decay` seconds (0: none) cut off by a
// release at `length`. With wrap the signal is a loop and the note's tail wraps round.
struct Note {
    double start = 0, length = 0.5, hz = 440;
    float amplitude = 0.2f;
    double attack = 0.01, decay = 0, release = 0.05;
    std::vector<float> harmonics{1.0f};
    double vibratoHz = 0, vibratoDepth = 0;  // depth as a frequency ratio
    double glide = 1.0;                      // frequency ratio reached at the note's end
};
void AddNote(Signal& out, const Note& note, bool wrap);

// A drum hit: a sine sweeping from hz to endHz plus a noise burst through a band pass.
struct Hit {
    double start = 0, hz = 60, endHz = 40, toneDecay = 0.15;
    float tone = 0.6f, noise = 0.0f;
    double noiseHz = 2000, noiseDecay = 0.05;
};
void AddHit(Signal& out, const Hit& hit, Rng& rng, bool wrap);

// Band-passed noise with a slow swell, from start for length seconds.
struct NoiseBurst {
    double start = 0, length = 0.3, attack = 0.01, release = 0.1;
    double hz = 1000, damping = 1.0, endHz = 0;  // endHz > 0 sweeps the band
    float amplitude = 0.3f;
    bool lowPass = false;
};
void AddNoise(Signal& out, const NoiseBurst& burst, Rng& rng, bool wrap);

// Scales the peak to `peak`; a silent signal stays silent.
void Normalise(Signal& signal, float peak);

// A whole 16-bit PCM WAV file, the samples clamped to -1..1.
std::vector<uint8_t> EncodeWav(const Signal& signal);
// Ogg Vorbis at the given quality (libvorbisenc); empty on failure.
std::vector<uint8_t> EncodeOgg(const Signal& signal, float quality);

}  // namespace assets::audio
