// The game's sound data: music and crowd ambience as Ogg Vorbis streams, sound effects as
// WAV, and the sound definitions that name the effects, for the sizes "XS", "XL", "XXL".
#include "tools/assets/audio/Synth.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace assets::audio {

namespace {

constexpr const char* kSizes[3] = {"XS", "XL", "XXL"};
constexpr double kTwoPi = 6.283185307179586;

// Peaks of the layers that sound at once: music, crowd ambience and effects. Music,
// ambience and the loudest effect together stay below full scale, so that the mix does
// not clip when their loudest moments meet.
constexpr float kMusicPeak = 0.3f;
constexpr float kAmbiencePeak = 0.2f;
// Effects are made at their loudness relative to one another, then scaled by this.
constexpr float kEffectGain = 0.5f;

// ---- music ----

struct Piece {
    const char* file;  // below Data/
    uint64_t seed;
    double bpm;
    int bars;
    int root;  // MIDI note of the key
    bool minor;
    std::array<int, 4> degrees;  // chord per bar, cycling
    int style;                   // 0 calm, 1 fanfare, 2 full band, 3 gentle, 4 jaunty
    bool loop;
};

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

int ScaleNote(const Piece& p, int degree)
{
    const int* scale = p.minor ? kMinor : kMajor;
    const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    return p.root + 12 * octave + scale[degree - 7 * octave];
}

// One bar of a piece: where it starts and how long its beats are, in seconds.
struct Bar {
    int index;
    double start, beat, length;
    int degree;  // the chord's
    bool last;   // the end of a piece that does not loop, where the notes ring out
};

void AddChord(Signal& out, const Piece& p, const Bar& at)
{
    const std::vector<float> padTone = p.style == 1 ? std::vector<float>{1, 0.7f, 0.5f, 0.4f, 0.3f, 0.2f}
                                                    : std::vector<float>{1, 0.45f, 0.25f, 0.12f};
    for (int k = 0; k < 3; ++k) {
        Note n;
        n.hz = MidiToHz(ScaleNote(p, at.degree + 2 * k));
        n.harmonics = padTone;
        n.amplitude = p.style == 1 ? 0.09f : 0.06f;
        n.attack = p.style == 1 ? 0.02 : 0.12;
        n.release = at.last ? 1.5 : 0.3;
        n.vibratoHz = 5.0;
        n.vibratoDepth = 0.003;
        if (p.style == 1 && !at.last) {
            for (int hit : {0, 3}) {
                n.start = at.start + hit * at.beat;
                n.length = hit == 0 ? 2.5 * at.beat : 0.9 * at.beat;
                AddNote(out, n, p.loop);
            }
        } else {
            n.start = at.start;
            n.length = at.last ? at.length * 0.8 : at.length * 0.95;
            AddNote(out, n, p.loop);
        }
    }
}

void AddBass(Signal& out, const Piece& p, const Bar& at)
{
    for (int q = 0; q < 4; ++q) {
        if (p.style == 0 && q % 2 == 1)
            continue;
        if (p.style == 3 && q != 0)
            continue;
        Note n;
        n.start = at.start + q * at.beat;
        n.length = at.beat * 0.9;
        n.hz = MidiToHz(ScaleNote(p, at.degree + (q == 2 && p.style == 4 ? 4 : 0)) - 24);
        n.harmonics = {1, 0.5f, 0.25f};
        n.amplitude = 0.22f;
        n.decay = 0.35;
        n.release = 0.05;
        AddNote(out, n, p.loop);
    }
}

// An arpeggio, or a melody in eighths.
void AddMelody(Signal& out, const Piece& p, const Bar& at, Rng& rng)
{
    static constexpr int kArp[8] = {0, 2, 4, 2, 7, 4, 2, 4};
    for (int e = 0; e < 8; ++e) {
        if (at.last && e >= 4)
            break;
        int step = kArp[e];
        if (p.style == 2 || p.style == 4) {
            if (rng.Below(4) == 0)
                continue;  // a rest
            step = rng.Below(8);
        }
        Note n;
        n.start = at.start + e * at.beat / 2;
        n.length = at.beat / 2 * 0.9;
        n.hz = MidiToHz(ScaleNote(p, at.degree + step) + 12);
        n.harmonics = {1, 0.3f, 0.1f, 0.05f};
        n.amplitude = p.style == 3 ? 0.05f : 0.08f;
        n.decay = 0.18;
        n.release = 0.04;
        AddNote(out, n, p.loop);
    }
}

void AddPercussion(Signal& out, const Piece& p, const Bar& at, Rng& rng)
{
    const bool wrap = p.loop;
    for (int e = 0; e < 8; ++e) {
        const double t = at.start + e * at.beat / 2;
        if (at.last && e > 0)
            break;
        const bool downbeat = e % 4 == 0;
        const bool backbeat = e % 4 == 2;
        if (downbeat && p.style != 3) {
            Hit kick;
            kick.start = t;
            kick.hz = 110;
            kick.endHz = 48;
            kick.tone = p.style == 0 ? 0.35f : 0.7f;
            AddHit(out, kick, rng, wrap);
        }
        if (backbeat && (p.style == 2 || p.style == 4)) {
            Hit snare;
            snare.start = t;
            snare.hz = 200;
            snare.endHz = 180;
            snare.toneDecay = 0.05;
            snare.tone = 0.25f;
            snare.noise = 0.5f;
            snare.noiseHz = 1800;
            snare.noiseDecay = 0.08;
            AddHit(out, snare, rng, wrap);
        }
        if (p.style == 1 && at.index == p.bars - 2 && e >= 4) {
            Hit tom;
            tom.start = t;
            tom.hz = 160 - 15 * e;
            tom.endHz = 90 - 8 * e;
            tom.toneDecay = 0.12;
            tom.tone = 0.45f;
            AddHit(out, tom, rng, wrap);
        }
        if (p.style != 3) {
            NoiseBurst hat;
            hat.start = t;
            hat.length = 0.04;
            hat.attack = 0.001;
            hat.release = 0.035;
            hat.hz = 3300;
            hat.damping = 0.5;
            hat.amplitude = downbeat ? 0.08f : 0.05f;
            AddNoise(out, hat, rng, wrap);
        }
    }
}

Signal RenderPiece(const Piece& p)
{
    Rng rng(p.seed);
    const double beat = 60.0 / p.bpm;
    const double bar = 4 * beat;
    const double total = bar * p.bars;
    Signal out(size_t(Frames(p.loop ? total : total + 2.0)), 0.0f);
    for (int b = 0; b < p.bars; ++b) {
        const Bar at{b, b * bar, beat, bar, p.degrees[size_t(b % 4)], !p.loop && b == p.bars - 1};
        AddChord(out, p, at);
        AddBass(out, p, at);
        AddMelody(out, p, at, rng);
        AddPercussion(out, p, at, rng);
    }
    Normalise(out, kMusicPeak);
    return out;
}

const std::vector<Piece>& Pieces()
{
    static const std::vector<Piece> pieces = {
        {"music/menuambience1.ogg", 11, 92, 2, 60, false, {0, 5, 3, 4}, 0, true},
        {"music/menuambience2.ogg", 12, 84, 2, 57, true, {0, 5, 2, 6}, 0, true},
        {"music/menuambience3.ogg", 13, 100, 2, 62, false, {0, 3, 4, 0}, 0, true},
        {"music/china_intro.ogg", 21, 112, 2, 62, false, {0, 4, 5, 0}, 1, false},
        {"music/egypt_intro.ogg", 22, 104, 2, 57, true, {0, 6, 5, 0}, 1, false},
        {"music/africa_intro.ogg", 23, 120, 2, 55, false, {0, 3, 4, 0}, 1, false},
        {"music/stadium_intro.ogg", 24, 116, 2, 60, false, {0, 5, 4, 0}, 1, false},
        {"music/china_main.ogg", 31, 124, 4, 62, false, {0, 5, 3, 4}, 2, true},
        {"music/egypt_main.ogg", 32, 118, 4, 57, true, {0, 3, 6, 4}, 2, true},
        {"music/africa_main.ogg", 33, 128, 4, 55, false, {0, 4, 5, 3}, 2, true},
        {"music/stadium_main.ogg", 34, 132, 4, 60, false, {0, 5, 1, 4}, 2, true},
        {"music/pandaintrosoundtrack.ogg", 41, 80, 3, 65, false, {0, 3, 4, 0}, 3, false},
        {"music/primateintrosoundtrack.ogg", 42, 76, 3, 58, true, {0, 5, 3, 0}, 3, false},
        {"music/outrosoundtrack.ogg", 43, 88, 3, 60, false, {0, 5, 4, 0}, 3, false},
        {"music/newspaper.ogg", 44, 140, 2, 64, false, {0, 3, 4, 0}, 4, true},
        {"music/newspapersad.ogg", 45, 96, 2, 57, true, {0, 3, 4, 0}, 3, true},
    };
    return pieces;
}

// ---- crowd ----

struct Crowd {
    const char* file;
    uint64_t seed;
    double murmurHz;   // where the crowd's voices sit
    float chants;      // how much rhythmic clapping there is
    double chantBpm;
};

// A looping crowd: noise cross-faded round the loop point, a swell whose periods divide
// the loop, distant voices and claps.
Signal RenderCrowd(const Crowd& c, double seconds, float level)
{
    Rng rng(c.seed);
    Signal out(size_t(Frames(seconds)), 0.0f);
    const double length = seconds;
    NoiseBurst roar;
    roar.start = -length;
    roar.length = 2 * length;
    roar.attack = length;
    roar.release = length;
    roar.hz = c.murmurHz;
    roar.damping = 1.3;
    roar.amplitude = 0.5f;
    AddNoise(out, roar, rng, true);
    NoiseBurst rumble = roar;
    rumble.hz = 250;
    rumble.lowPass = true;
    rumble.amplitude = 0.25f;
    AddNoise(out, rumble, rng, true);
    for (int v = 0; v < int(seconds * 6); ++v) {
        Note voice;
        voice.start = rng.Range(0, float(length));
        voice.length = rng.Range(0.15f, 0.5f);
        voice.hz = rng.Range(160, 420);
        voice.glide = rng.Range(0.8f, 1.3f);
        voice.harmonics = {0.6f, 1, 0.7f, 0.4f, 0.2f};
        voice.amplitude = rng.Range(0.01f, 0.03f);
        voice.attack = 0.05;
        voice.release = 0.1;
        AddNote(out, voice, true);
    }
    if (c.chants > 0) {
        const double beat = 60.0 / c.chantBpm;
        for (double t = 0; t + 1e-9 < length; t += beat) {
            for (int k = 0; k < 12; ++k) {
                NoiseBurst clap;
                clap.start = t + rng.Range(0, 0.03f);
                clap.length = 0.05;
                clap.attack = 0.001;
                clap.release = 0.045;
                clap.hz = rng.Range(1100, 2200);
                clap.damping = 0.7;
                clap.amplitude = c.chants * 0.1f;
                AddNoise(out, clap, rng, true);
            }
        }
    }
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        out[i] *= float(1.0 + 0.25 * std::sin(kTwoPi * 2 * t / length) + 0.12 * std::sin(kTwoPi * 5 * t / length + 1.0));
    }
    Normalise(out, level);
    return out;
}

const std::vector<Crowd>& Crowds()
{
    static const std::vector<Crowd> crowds = {
        {"crowd/ambiences/chinaambience.ogg", 51, 900, 0.6f, 120},
        {"crowd/ambiences/egyptambience.ogg", 52, 750, 0.3f, 100},
        {"crowd/ambiences/africarhinoambience.ogg", 53, 650, 0.8f, 132},
        {"crowd/ambiences/africathestadiumambience.ogg", 54, 800, 0.5f, 110},
    };
    return crowds;
}

// ---- effects ----

Signal Whistle(double seconds, uint64_t seed)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds + 0.1)), 0.0f);
    // A pea whistle: a high tone warbling as the pea rattles, over breath noise.
    Svf breath(3000, 0.6);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.015);
        if (t > seconds)
            env *= std::max(0.0, 1.0 - (t - seconds) / 0.06);
        const double rattle = std::sin(kTwoPi * 38 * t);
        const double hz = 2850 * (1.0 + 0.035 * rattle);
        phase += hz / kRate;
        phase -= std::floor(phase);
        const double am = 0.75 + 0.25 * rattle;
        breath.Run(rng.Signed());
        out[i] = float(env * (am * std::sin(kTwoPi * phase) * 0.8 + 0.15 * breath.band));
    }
    Normalise(out, 0.8f);
    return out;
}

Signal Thump(double seconds, double hz, double endHz, float noise, double noiseHz, uint64_t seed, float peak = 0.8f)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds)), 0.0f);
    Hit hit;
    hit.hz = hz;
    hit.endHz = endHz;
    hit.toneDecay = seconds / 5;
    hit.tone = 0.8f;
    hit.noise = noise;
    hit.noiseHz = noiseHz;
    hit.noiseDecay = 0.03;
    AddHit(out, hit, rng, false);
    Normalise(out, peak);
    return out;
}

Signal Swoosh(double seconds, double fromHz, double toHz, uint64_t seed, float peak = 0.6f)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds)), 0.0f);
    NoiseBurst b;
    b.length = seconds;
    b.attack = seconds * 0.3;
    b.release = seconds * 0.6;
    b.hz = fromHz;
    b.endHz = toHz;
    b.damping = 0.4;
    AddNoise(out, b, rng, false);
    Normalise(out, peak);
    return out;
}

Signal Voice(double seconds, double hz, double glide, double roughness, uint64_t seed, float peak = 0.7f)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds + 0.1)), 0.0f);
    Note n;
    n.length = seconds;
    n.hz = hz;
    n.glide = glide;
    n.harmonics = {0.7f, 1, 0.8f, 0.5f, 0.35f, 0.2f, 0.1f};
    n.attack = 0.03;
    n.release = 0.08;
    n.vibratoHz = roughness > 0 ? 28 : 5;
    n.vibratoDepth = roughness > 0 ? roughness : 0.01;
    AddNote(out, n, false);
    NoiseBurst breath;
    breath.length = seconds;
    breath.hz = hz * 4;
    breath.damping = 1.0;
    breath.amplitude = 0.06f;
    AddNoise(out, breath, rng, false);
    // A soft low pass takes the buzz off the voice.
    Svf mouth(hz * 5, 1.0);
    for (float& v : out)
        v = mouth.Run(v);
    Normalise(out, peak);
    return out;
}

Signal Chime(const std::vector<int>& notes, double step, double ring, float peak = 0.6f)
{
    Signal out(size_t(Frames(step * double(notes.size()) + ring)), 0.0f);
    for (size_t k = 0; k < notes.size(); ++k) {
        Note n;
        n.start = step * double(k);
        n.length = ring;
        n.hz = MidiToHz(notes[k]);
        n.harmonics = {1, 0.2f, 0.35f, 0.05f, 0.1f};
        n.decay = ring / 3;
        n.attack = 0.003;
        n.release = 0.05;
        n.amplitude = 0.3f;
        AddNote(out, n, false);
    }
    Normalise(out, peak);
    return out;
}

Signal CrowdReaction(double seconds, double hz, double glide, float cheer, uint64_t seed, float peak)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds)), 0.0f);
    NoiseBurst roar;
    roar.length = seconds;
    roar.attack = seconds * 0.25;
    roar.release = seconds * 0.5;
    roar.hz = 800;
    roar.endHz = 800 * glide;
    roar.damping = 1.2;
    roar.amplitude = 0.4f + 0.4f * cheer;
    AddNoise(out, roar, rng, false);
    for (int v = 0; v < 40; ++v) {
        Note voice;
        voice.start = rng.Range(0, float(seconds * 0.15));
        voice.length = seconds * rng.Range(0.5f, 0.8f);
        voice.hz = hz * rng.Range(0.8f, 1.25f);
        voice.glide = glide * rng.Range(0.95f, 1.05f);
        voice.harmonics = {0.8f, 1, 0.6f, 0.3f, 0.15f};
        voice.attack = seconds * 0.2;
        voice.release = seconds * 0.2;
        voice.amplitude = 0.02f;
        voice.vibratoHz = rng.Range(4, 7);
        voice.vibratoDepth = 0.01;
        AddNote(out, voice, false);
    }
    // Reactions are heard as a swell of the ambience: softer than a whistle.
    Normalise(out, peak * 0.75f);
    return out;
}

Signal Crackle(double seconds, uint64_t seed)
{
    Rng rng(seed);
    Signal out = Swoosh(seconds, 600, 1500, seed, 0.3f);
    for (int k = 0; k < int(seconds * 40); ++k) {
        NoiseBurst pop;
        pop.start = rng.Range(0, float(seconds * 0.9));
        pop.length = 0.012;
        pop.attack = 0.0005;
        pop.release = 0.01;
        pop.hz = rng.Range(1500, 3300);
        pop.damping = 0.3;
        pop.amplitude = rng.Range(0.2f, 0.5f);
        AddNoise(out, pop, rng, false);
    }
    Normalise(out, 0.6f);
    return out;
}

Signal Bubbles(double seconds, uint64_t seed)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds + 0.1)), 0.0f);
    for (int k = 0; k < int(seconds * 18); ++k) {
        Note bubble;
        bubble.start = rng.Range(0, float(seconds));
        bubble.length = 0.05;
        bubble.hz = rng.Range(400, 1100);
        bubble.glide = 1.8;
        bubble.decay = 0.03;
        bubble.attack = 0.002;
        bubble.release = 0.02;
        bubble.amplitude = 0.3f;
        AddNote(out, bubble, false);
    }
    Normalise(out, 0.6f);
    return out;
}

Signal Rumble(double seconds, uint64_t seed)
{
    Rng rng(seed);
    Signal out(size_t(Frames(seconds)), 0.0f);
    NoiseBurst low;
    low.length = seconds;
    low.attack = 0.05;
    low.release = seconds * 0.6;
    low.hz = 90;
    low.lowPass = true;
    low.damping = 0.8;
    AddNoise(out, low, rng, false);
    Hit thud;
    thud.hz = 70;
    thud.endHz = 40;
    thud.toneDecay = 0.2;
    AddHit(out, thud, rng, false);
    Normalise(out, 0.8f);
    return out;
}

Signal Mix(Signal a, const Signal& b, float gain = 1.0f)
{
    if (a.size() < b.size())
        a.resize(b.size(), 0.0f);
    for (size_t i = 0; i < b.size(); ++i)
        a[i] += gain * b[i];
    Normalise(a, 0.75f);
    return a;
}

struct Effect {
    std::string event;
    std::vector<std::string> files;  // below Data/
    std::vector<std::function<Signal()>> make;
    bool menu = false;
};

// The effects in the order the sound definitions list them.
struct EffectList {
    std::vector<Effect> list;

    // sfx\<event>.wav
    void One(const std::string& event, std::function<Signal()> make, bool menu = false)
    {
        list.push_back({event, {"sfx\\" + event + ".wav"}, {std::move(make)}, menu});
    }
    // sfx\<event>_a.wav, _b... one a maker.
    void Variants(const std::string& event, std::vector<std::function<Signal()>> makes)
    {
        Effect e{event, {}, std::move(makes), false};
        for (size_t i = 0; i < e.make.size(); ++i)
            e.files.push_back("sfx\\" + event + "_" + char('a' + i) + ".wav");
        list.push_back(std::move(e));
    }
};

// Menus and training.
void AddMenuEffects(EffectList& effects)
{
    effects.One("menuselect", [] { return Chime({84, 91}, 0.05, 0.12, 0.5f); }, true);
    effects.One("perfect", [] { return Chime({72, 76, 79, 84, 88}, 0.09, 0.6); }, true);
    effects.One("feedbacktrainingpassed", [] { return Chime({76, 83}, 0.15, 0.5); }, true);
    effects.One("feedbacktrainingfailed", [] { return Chime({67, 63}, 0.2, 0.5, 0.5f); }, true);
}

void AddBallAndPlayerEffects(EffectList& effects)
{
    effects.Variants("shot", {[] { return Thump(0.35, 170, 60, 0.5f, 2500, 101); },
                              [] { return Thump(0.35, 150, 55, 0.6f, 2200, 102); }});
    effects.One("pass", [] { return Thump(0.25, 200, 90, 0.35f, 2000, 103, 0.6f); });
    effects.One("strike", [] { return Thump(0.3, 180, 70, 0.5f, 2800, 104); });
    effects.One("receivepass", [] { return Thump(0.18, 140, 90, 0.2f, 1500, 105, 0.5f); });
    effects.Variants("ballbounce", {[] { return Thump(0.25, 120, 70, 0.15f, 1200, 106, 0.7f); },
                                    [] { return Thump(0.25, 130, 75, 0.15f, 1300, 107, 0.7f); }});
    effects.One("ballbounceoffkeeper", [] { return Thump(0.3, 110, 60, 0.4f, 1800, 108); });
    effects.One("deflect", [] { return Thump(0.25, 220, 100, 0.45f, 2600, 109, 0.7f); });
    effects.Variants("run", {[] { return Swoosh(0.07, 900, 500, 110, 0.35f); },
                             [] { return Swoosh(0.07, 1000, 550, 111, 0.35f); },
                             [] { return Swoosh(0.07, 800, 450, 112, 0.35f); }});
    effects.One("whistle_short", [] { return Whistle(0.3, 113); });
    effects.One("whistle_long", [] { return Whistle(1.1, 114); });
}

void AddCrowdEffects(EffectList& effects)
{
    effects.Variants("crowd_cheer_high", {[] { return CrowdReaction(2.2, 520, 1.25, 1.0f, 121, 0.8f); },
                                          [] { return CrowdReaction(2.2, 560, 1.2, 1.0f, 122, 0.8f); }});
    effects.One("crowd_cheer_low", [] { return CrowdReaction(2.0, 480, 1.15, 0.6f, 123, 0.55f); });
    effects.One("crowd_dismay_high", [] { return CrowdReaction(1.8, 330, 0.7, 0.5f, 124, 0.75f); });
    effects.One("crowd_dismay_low", [] { return CrowdReaction(1.6, 300, 0.75, 0.3f, 125, 0.5f); });
    effects.One("crowd_nearmiss_low", [] { return CrowdReaction(1.6, 280, 1.3, 0.4f, 126, 0.55f); });
    effects.One("boohfoulhigh", [] { return CrowdReaction(1.8, 150, 0.9, 0.3f, 127, 0.75f); });
    effects.One("boohfoullow", [] { return CrowdReaction(1.6, 140, 0.9, 0.2f, 128, 0.5f); });
}

// Each race's voice sits at its own pitch.
void AddRaceEffects(EffectList& effects)
{
    struct Race {
        const char* throwIn;
        const char* fouled;
        const char* steal;
        const char* cheer;
        const char* angry;
        const char* exhausted;
        const char* special;
        double hz;
        uint64_t seed;
    };
    const Race races[4] = {
        {"throw-in_lizard", "lizard_fouled", "stealballfromlizard", "lizardcheer", "lizardangry",
         "lizardexhausted", "speciallizard", 310, 200},
        {"throw-in_panda", "panda_fouled", "stealballfrompanda", "pandacheer", "pandaangry", "pandaexhausted",
         "specialpanda", 190, 220},
        {"throw-in_gorilla", "primate_fouled", "stealballfromgorilla", "gorillacheer", "gorillaangry",
         "gorillaexhausted", "specialgorilla", 125, 240},
        {"throw-in_rhino", "rhino_fouled", "stealballfromrhino", "rhinocheer", "rhinoangry", "rhinoexhausted",
         "specialrhino", 95, 260},
    };
    for (const Race& r : races) {
        const double hz = r.hz;
        const uint64_t s = r.seed;
        effects.One(r.throwIn, [hz, s] { return Voice(0.18, hz * 1.2, 0.9, 0, s + 1); });
        effects.One(r.fouled, [hz, s] { return Voice(0.45, hz * 1.5, 0.6, 0, s + 2); });
        effects.One(r.steal, [hz, s] { return Voice(0.3, hz, 1.4, 0, s + 3); });
        effects.One(r.cheer, [hz, s] { return Voice(0.7, hz * 1.1, 1.5, 0, s + 4); });
        effects.One(r.angry, [hz, s] { return Voice(0.6, hz * 0.8, 0.85, 0.06, s + 5); });
        effects.One(r.exhausted, [hz, s] {
            Signal in = Swoosh(0.35, hz * 6, hz * 4, s + 6, 0.35f);
            Signal out = Swoosh(0.45, hz * 4, hz * 3, s + 7, 0.3f);
            in.resize(size_t(Frames(0.4)), 0.0f);
            in.insert(in.end(), out.begin(), out.end());
            return in;
        });
        const std::string special = r.special;
        effects.One(special, [s] { return Mix(Swoosh(0.6, 400, 3000, s + 8), Chime({72, 79, 84}, 0.06, 0.4), 0.6f); });
        effects.One(special + "ai", [s] { return Mix(Swoosh(0.6, 3000, 400, s + 9), Chime({67, 74, 79}, 0.06, 0.4), 0.6f); });
    }
}

// The elements' specials, the tackles and the keeper's saves.
void AddElementAndSaveEffects(EffectList& effects)
{
    effects.One("water", [] { return Bubbles(0.8, 301); });
    effects.One("air", [] { return Swoosh(0.8, 300, 3200, 302); });
    effects.One("fire", [] { return Crackle(0.8, 303); });
    effects.One("earth", [] { return Rumble(0.8, 304); });
    effects.One("slidetacklesmall", [] { return Swoosh(0.45, 2000, 900, 305, 0.5f); });
    effects.One("slidetacklebig", [] { return Mix(Swoosh(0.55, 1400, 500, 306), Thump(0.3, 90, 45, 0.2f, 900, 307), 0.7f); });
    effects.One("keeperrollsavehigh", [] { return Mix(Thump(0.3, 120, 60, 0.3f, 1500, 308), Swoosh(0.4, 1800, 800, 309), 0.5f); });
    effects.One("keeperrollsavelow", [] { return Mix(Thump(0.35, 95, 50, 0.3f, 1200, 310), Swoosh(0.45, 1400, 600, 311), 0.5f); });
    effects.One("keeperjumpsavehigh", [] { return Mix(Swoosh(0.4, 700, 2600, 312), Thump(0.3, 140, 70, 0.4f, 2000, 313), 0.8f); });
    effects.One("keeperjumpsavelow", [] { return Mix(Swoosh(0.45, 600, 2000, 314), Thump(0.35, 110, 55, 0.4f, 1700, 315), 0.8f); });
}

std::vector<Effect> Effects()
{
    EffectList effects;
    AddMenuEffects(effects);
    AddBallAndPlayerEffects(effects);
    AddCrowdEffects(effects);
    AddRaceEffects(effects);
    AddElementAndSaveEffects(effects);
    return effects.list;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty() || !MakeParentDirs(path)) {
        std::fprintf(stderr, "tbasset: cannot write %s\n", path.c_str());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "tbasset: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "tbasset: cannot write %s\n", path.c_str());
        return false;
    }
    NoteWritten(path);
    return true;
}

std::string OsPath(std::string name)
{
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

// The same sounds serve every size folder.
bool WriteForEverySize(const AssetContext& ctx, const std::string& underData, const std::vector<uint8_t>& bytes)
{
    bool ok = true;
    for (const char* size : kSizes)
        ok = WriteBytes(ctx.Path(std::string("Audio/") + size + "/Data/" + OsPath(underData)), bytes) && ok;
    return ok;
}

bool WriteAudio(const AssetContext& ctx)
{
    bool ok = true;
    for (const Piece& piece : Pieces())
        ok = WriteForEverySize(ctx, piece.file, EncodeOgg(RenderPiece(piece), 0.3f)) && ok;
    for (const Crowd& crowd : Crowds())
        ok = WriteForEverySize(ctx, crowd.file, EncodeOgg(RenderCrowd(crowd, 6.0, kAmbiencePeak), 0.2f)) && ok;

    std::string menu = "# Menu sounds: event name, then one sample file per variant (below Data\\)\n";
    std::string game = "# Match sounds: event name, then one sample file per variant (below Data\\)\n";
    for (const Effect& effect : Effects()) {
        std::string line = effect.event;
        for (size_t i = 0; i < effect.files.size(); ++i) {
            Signal sound = effect.make[i]();
            for (float& v : sound)
                v *= kEffectGain;
            ok = WriteForEverySize(ctx, effect.files[i], EncodeWav(sound)) && ok;
            line += " " + effect.files[i];
        }
        (effect.menu ? menu : game) += line + "\n";
    }
    for (const char* size : kSizes) {
        const std::string folder = std::string("Audio/") + size + "/Definitions/";
        ok = WriteTextFile(ctx.Path(folder + "menu.txt"), menu) && ok;
        ok = WriteTextFile(ctx.Path(folder + "game.txt"), game) && ok;
    }
    return ok;
}

GeneratorRegistrar g_audio("audio", &WriteAudio);

}  // namespace

}  // namespace assets::audio
