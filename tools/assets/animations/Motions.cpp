#include "tools/assets/animations/Motions.h"

#include "tools/assets/characters/Characters.h"

#include "engine/plugins/RtAnim.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace assets::chars {

namespace {

constexpr float kTau = 2.0f * kPi;
constexpr float kAnkleHeight = 0.09f;

float Smooth(float x)
{
    x = std::clamp(x, 0.0f, 1.0f);
    return x * x * (3 - 2 * x);
}

// 0 before a, 1 after b, smooth in between.
float Ramp(float t, float a, float b)
{
    return Smooth((t - a) / (b - a));
}

// Feet flat on the ground whatever the hips and knees do.
Pose FlatFeet(Pose p)
{
    for (Leg& l : p.leg)
        l.ankle = l.flex - l.knee - p.pelvis.bend;
    return p;
}

// Lowers or raises the hips until the lower ankle is at its standing height.
Pose Ground(Pose p)
{
    const auto world = PoseToWorld(p);
    const float low = std::min(world[kFootL].pos.y, world[kFootR].pos.y);
    p.hip.y += kAnkleHeight - low;
    return p;
}

// ---------------------------------------------------------------- key-framed motion

struct Key {
    float t;
    Pose pose;
};

constexpr int kFloats = sizeof(Pose) / sizeof(float);

const float* F(const Pose& p) { return reinterpret_cast<const float*>(&p); }

// Cubic Hermite through the keys with tangents from the neighbours (non-uniform spacing);
// the ends of a one-shot clip start and stop at rest, a loop wraps around.
std::function<Pose(float)> Keys(std::vector<Key> keys, bool loop)
{
    return [keys = std::move(keys), loop](float t) {
        const size_t n = keys.size();
        if (n == 1 || t <= keys.front().t)
            return keys.front().pose;
        if (t >= keys.back().t)
            return keys.back().pose;
        size_t i = 0;
        while (i + 2 < n && t >= keys[i + 1].t)
            ++i;
        const float d = keys.back().t - keys.front().t;
        const Key& k1 = keys[i];
        const Key& k2 = keys[i + 1];
        const Pose* p0 = &k1.pose;
        const Pose* p3 = &k2.pose;
        float t0 = k1.t, t3 = k2.t;
        if (i > 0) {
            p0 = &keys[i - 1].pose;
            t0 = keys[i - 1].t;
        } else if (loop && n > 2) {
            p0 = &keys[n - 2].pose;
            t0 = keys[n - 2].t - d;
        }
        if (i + 2 < n) {
            p3 = &keys[i + 2].pose;
            t3 = keys[i + 2].t;
        } else if (loop && n > 2) {
            p3 = &keys[1].pose;
            t3 = keys[1].t + d;
        }
        const float h = k2.t - k1.t;
        const float s = (t - k1.t) / h;
        const float s2 = s * s, s3 = s2 * s;
        const float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
        // A one-shot's end keys get zero tangents, so motion eases in and out of them.
        const bool restStart = p0 == &k1.pose, restEnd = p3 == &k2.pose;
        Pose out;
        auto* o = reinterpret_cast<float*>(&out);
        const float *a = F(*p0), *b = F(k1.pose), *c = F(k2.pose), *e = F(*p3);
        for (int f = 0; f < kFloats; ++f) {
            const float m1 = restStart ? 0 : (c[f] - a[f]) / (k2.t - t0) * h;
            const float m2 = restEnd ? 0 : (e[f] - b[f]) / (t3 - k1.t) * h;
            o[f] = h00 * b[f] + h10 * m1 + h01 * c[f] + h11 * m2;
        }
        return out;
    };
}

// ---------------------------------------------------------------- poses

Pose Stand()
{
    Pose p;
    p.spine.bend = 2;
    p.head.bend = -2;
    for (Arm& a : p.arm) {
        a.down = 82;
        a.fwd = 4;
        a.elbow = 14;
    }
    for (Leg& l : p.leg) {
        l.flex = 3;
        l.spread = 3;
        l.knee = 6;
        l.twist = 6;
    }
    p.tail1.bend = -12;
    p.tail2.bend = -10;
    return Ground(FlatFeet(p));
}

// Knees bent, weight forward, hands ready: the keeper's and the tackler's stance.
Pose Ready(float depth = 1.0f)
{
    Pose p = Stand();
    p.pelvis.bend = 12 * depth;
    p.spine.bend = 8 * depth;
    p.head.bend = -14 * depth;
    for (Leg& l : p.leg) {
        l.flex = 34 * depth + 3;
        l.spread = 9;
        l.knee = 62 * depth + 6;
    }
    for (Arm& a : p.arm) {
        a.down = 62;
        a.fwd = 38 * depth;
        a.elbow = 48;
    }
    return Ground(FlatFeet(p));
}

// One stride of each leg per cycle; phase 0 has the left leg passing under the body.
Pose Stride(float phase, float size, float lean, float lift, float armSwing, float elbow)
{
    Pose p = Stand();
    const float a = kTau * phase;
    p.spine.bend = lean;
    p.pelvis.bend = lean * 0.3f;
    p.head.bend = -lean * 0.9f;
    p.pelvis.twist = -8 * size * std::sin(a);
    p.chest.twist = 12 * size * std::sin(a);
    p.head.twist = -4 * size * std::sin(a);
    p.tail1.twist = 14 * std::sin(a);
    p.tail2.twist = 22 * std::sin(a - 0.8f);
    p.tail1.bend = -4;
    for (int s = 0; s < 2; ++s) {
        const float b = a + (s ? kPi : 0);
        Leg& l = p.leg[s];
        l.flex = 40 * size * std::sin(b) + 6;
        l.spread = 3;
        l.twist = 4;
        // The knee folds while the leg swings through, straightens to land.
        l.knee = 12 + lift * std::pow(std::max(0.0f, std::cos(b - 0.25f)), 1.4f) + 10 * size * std::max(0.0f, -std::sin(b));
        l.ankle = 8 + 28 * size * std::max(0.0f, -std::sin(b + 0.5f)) - 10 * std::max(0.0f, std::sin(b));
        Arm& arm = p.arm[s];
        arm.down = 76;
        arm.fwd = -armSwing * std::sin(b) + 6;
        arm.elbow = elbow;
    }
    // Lowest just after each foot lands.
    p.hip.y = -0.03f * size - 0.035f * size * std::cos(2 * a - 0.6f);
    return p;
}

Pose Run(float phase) { return Stride(phase, 1.0f, 13, 95, 42, 88); }
Pose Jog(float phase) { return Stride(phase, 0.65f, 7, 62, 26, 78); }

Pose Walk(float phase)
{
    Pose p = Stand();
    const float a = kTau * phase;
    p.pelvis.twist = -5 * std::sin(a);
    p.chest.twist = 6 * std::sin(a);
    p.tail1.twist = 10 * std::sin(a);
    p.tail2.twist = 16 * std::sin(a - 0.8f);
    for (int s = 0; s < 2; ++s) {
        const float b = a + (s ? kPi : 0);
        Leg& l = p.leg[s];
        l.flex = 24 * std::sin(b) + 3;
        l.knee = 8 + 38 * std::pow(std::max(0.0f, std::cos(b - 0.35f)), 2.0f);
        l.ankle = 12 * std::max(0.0f, -std::sin(b + 0.4f)) - 6 * std::max(0.0f, std::sin(b));
        p.arm[s].down = 84;
        p.arm[s].fwd = -22 * std::sin(b) + 4;
        p.arm[s].elbow = 18;
    }
    p.hip.y = -0.02f - 0.02f * std::cos(2 * a - 0.5f);
    return p;
}

// Side steps and short steps on the spot: the lead leg reaches, the other follows.
Pose Shuffle(float phase, float sideways, float forwards)
{
    Pose p = Ready(0.45f);
    const float a = kTau * phase;
    for (int s = 0; s < 2; ++s) {
        const float b = a + (s ? kPi : 0);
        Leg& l = p.leg[s];
        const float lift = std::max(0.0f, std::sin(b));
        l.knee += 30 * lift;
        l.flex += 15 * lift + forwards * 14 * std::sin(b + kPi / 2);
        l.spread += sideways * (s ? -1 : 1) * 9 * std::sin(b + kPi / 2) + 4;
        l.ankle = l.flex - l.knee - p.pelvis.bend;
    }
    p.hip.x = 0.03f * sideways * std::sin(a);
    p.hip.y -= 0.02f * std::cos(2 * a);
    p.pelvis.side = 3 * sideways * std::sin(a);
    return p;
}

Pose WithArms(Pose p, float down, float fwd, float elbow)
{
    for (Arm& a : p.arm) {
        a.down = down;
        a.fwd = fwd;
        a.elbow = elbow;
    }
    return p;
}

// Both hands on the ball in front of the chest.
Pose HoldBall(Pose p)
{
    for (Arm& a : p.arm) {
        a.down = 96;
        a.fwd = 52;
        a.elbow = 74;
        a.twist = 30;
        a.wrist = 10;
    }
    return p;
}

// Both hands on the ball above the head.
Pose BallOverhead(Pose p, float back)
{
    for (Arm& a : p.arm) {
        a.down = 86;
        a.fwd = 158 + back * 0.3f;
        a.elbow = 30 + back;
        a.twist = 10;
    }
    p.spine.bend = -6 - back * 0.15f;
    return p;
}

// ---------------------------------------------------------------- kicks

// Right-footed kick: wind-up, contact, follow-through. power 0..1.
std::vector<Key> KickKeys(float contact, float duration, float power)
{
    Pose start = Ready(0.25f);
    Pose wind = start;
    wind.pelvis.twist = -10 - 10 * power;
    wind.chest.twist = 14 + 10 * power;
    wind.spine.bend = 4 - 8 * power;
    wind.leg[1].flex = -30 - 25 * power;
    wind.leg[1].knee = 70 + 30 * power;
    wind.leg[1].ankle = 25;
    wind.leg[0].flex = 18;
    wind.leg[0].knee = 26;
    wind.arm[0] = {40, 25, 20, 0, 0};
    wind.arm[1] = {60, -25, 30, 0, 0};
    wind = Ground(wind);
    Pose hit = wind;
    hit.pelvis.twist = 6;
    hit.chest.twist = -12;
    hit.spine.bend = 6 - 6 * power;
    hit.leg[1].flex = 20 + 10 * power;
    hit.leg[1].knee = 18;
    hit.leg[1].ankle = 10 + 30 * power;
    hit.leg[1].twist = 30 * (1 - power);  // inside of the foot for a pass
    hit.arm[0] = {30, 40, 25, 0, 0};
    hit.arm[1] = {55, -35, 25, 0, 0};
    hit = Ground(hit);
    Pose follow = hit;
    follow.leg[1].flex = 45 + 45 * power;
    follow.leg[1].knee = 12;
    follow.leg[1].twist = 0;
    follow.spine.bend = -4 - 10 * power;
    follow.leg[0].ankle = 20 * power;
    follow = Ground(follow);
    follow.hip.y += 0.06f * power;
    return {{0, start},
            {contact * 0.55f, wind},
            {contact, hit},
            {contact + 0.15f + 0.1f * power, follow},
            {duration, Stand()}};
}

Vec3 FootBall() { return {-0.12f, kBallRadius, 0.42f}; }

// ---------------------------------------------------------------- clip shapes

Clip Loop(const char* name, float duration, std::function<Pose(float)> cycle)
{
    Clip c;
    c.name = name;
    c.duration = duration;
    c.loops = true;
    c.pose = [cycle, duration](float t) { return cycle(t / duration); };
    return c;
}

// A keeper's shuffle carries him the way it steps (sideways, back or forth) through its root
// motion: a forward move rate would take every step out of the goal.
Clip StepLoop(const char* name, float sideways, float forwards)
{
    constexpr float kDuration = 0.6f, kStride = 0.9f;
    Clip c = Loop(name, kDuration, [sideways, forwards](float p) { return Shuffle(p, sideways, forwards); });
    c.move = [sideways, forwards](float t) {
        const float d = kStride * t / kDuration;
        return Vec3{sideways * d, 0, forwards * d};
    };
    return c;
}

Clip OneShot(const char* name, std::vector<Key> keys)
{
    Clip c;
    c.name = name;
    c.duration = keys.back().t;
    c.pose = Keys(std::move(keys), false);
    return c;
}

Clip Blend(const char* name, float duration, std::function<Pose(float)> from, std::function<Pose(float)> to)
{
    Clip c;
    c.name = name;
    c.duration = duration;
    c.pose = [from, to, duration](float t) {
        const float s = t / duration;
        return Lerp(from(t), to(t), Smooth(s));
    };
    return c;
}

// A loop that holds the ball in the hands for as long as the action lasts.
Clip HoldingLoop(Clip c)
{
    c.ball = BallMode::Hands;
    c.ballEnd = kHoldForever;
    return c;
}

Vec3 MirrorX(Vec3 v)
{
    v.x = -v.x;
    return v;
}

Clip MirrorClip(const Clip& src, const char* name)
{
    Clip c = src;
    c.name = name;
    c.pose = [pose = src.pose](float t) { return Mirror(pose(t)); };
    if (src.move)
        c.move = [move = src.move](float t) { return MirrorX(move(t)); };
    if (src.ballAt)
        c.ballAt = [at = src.ballAt](float t) { return MirrorX(at(t)); };
    return c;
}

// ---------------------------------------------------------------- locomotion

// A stand takes its next command only when its loop ends: a short loop keeps a pushed
// stick from waiting on a long sway.
constexpr float kStandLoop = 0.5f;

Clip StandLoop()
{
    return Loop("stand", kStandLoop, [](float p) {
        Pose s = Stand();
        const float b = std::sin(kTau * p);
        s.chest.bend += 0.8f * b;
        s.head.bend -= 0.5f * b;
        s.arm[0].down += 1 * b;
        s.arm[1].down += 1 * b;
        s.tail2.twist = 3 * std::sin(kTau * p + 1);
        return s;
    });
}

// Looking left and right, then a scratch of the head.
Clip Idle()
{
    const Pose a = Stand();
    Pose left = Stand();
    left.head.twist = 38;
    left.neck.twist = 12;
    left.hip.x = 0.03f;
    left.pelvis.side = -3;
    left.leg[1].knee = 16;
    left.leg[1].flex = 8;
    Pose right = Mirror(left);
    right.head.bend = 6;
    Pose scratch = Stand();
    scratch.arm[1] = {-20, 70, 150, 0, 20};
    scratch.head.side = -10;
    Clip c = OneShot("idle", {{0, a}, {0.7f, left}, {1.5f, left}, {2.2f, right}, {3.0f, right}, {3.6f, scratch},
                              {4.3f, scratch}, {5.0f, a}});
    c.loops = true;
    return c;
}

Clip StartRun()
{
    Clip c = Blend("startrun", 0.3f, [](float) { return Ready(0.3f); }, [](float t) { return Run(t / 0.66f); });
    c.move = [](float t) { return Vec3{0, 0, 0.6f * Smooth(t / 0.3f) * t / 0.3f}; };
    return c;
}

Clip EndRun()
{
    Pose brake = Ready(0.7f);
    brake.spine.bend = -6;
    brake.pelvis.bend = -4;
    brake.leg[0].flex = 38;
    brake.leg[1].flex = -8;
    brake = Ground(FlatFeet(brake));
    Clip c = OneShot("endrun", {{0, Run(0)}, {0.18f, brake}, {0.45f, Stand()}});
    c.move = [](float t) { return Vec3{0, 0, 0.9f * (1 - (1 - t / 0.45f) * (1 - t / 0.45f))}; };
    return c;
}

void AddLocomotion(std::vector<Clip>& clips)
{
    clips.push_back(StandLoop());
    clips.push_back(Idle());
    Clip run = Loop("run", 0.66f, Run);
    run.contact = 0;
    clips.push_back(run);
    clips.push_back(Loop("jog", 0.84f, Jog));
    clips.push_back(StartRun());
    clips.push_back(EndRun());
    clips.push_back(StepLoop("stepleft", 1, 0));
    clips.push_back(StepLoop("stepright", -1, 0));
    clips.push_back(StepLoop("stepforth", 0, 1));
    clips.push_back(StepLoop("stepback", 0, -1));
}

// ---------------------------------------------------------------- tackles and falls

// Lying back on one hip, the tackling leg out in front: where the slide stops.
Pose SlideStop()
{
    Pose slide;
    slide.hip.y = -0.66f;
    slide.pelvis.bend = -48;
    slide.spine.bend = 18;
    slide.head.bend = 20;
    slide.leg[0] = {40, 4, 0, -10, 0};
    slide.leg[1] = {10, 14, 100, 10, 0};
    slide.arm[0] = {70, -40, 20, 0, 0};
    slide.arm[1] = {40, -50, 10, 0, 0};
    slide.tail1.bend = 10;
    return slide;
}

Clip SlideTackle()
{
    Pose drop = Run(0.25f);
    drop.hip.y = -0.35f;
    drop.pelvis.bend = -20;
    drop.leg[0] = {50, 6, 20, 30, 0};
    drop.leg[1] = {0, 8, 90, 20, 0};
    Pose slide = SlideStop();
    slide.leg[0].ankle = 30;
    slide.spine.bend = 10;
    Clip c = OneShot("slidetackle", {{0, Run(0.25f)}, {0.16f, drop}, {0.3f, slide}, {0.8f, SlideStop()}, {1.1f, SlideStop()}});
    c.move = [](float t) { return Vec3{0, 0, 3.4f * (1 - std::pow(1 - std::min(t, 0.9f) / 0.9f, 2.0f))}; };
    c.contact = 0.3f;
    return c;
}

Clip SlideGetUp()
{
    Pose sitUp = SlideStop();
    sitUp.pelvis.bend = -10;
    sitUp.spine.bend = 40;
    sitUp.leg[1] = {80, 10, 150, -20, 0};
    sitUp.arm[0] = {90, -20, 10, 0, 0};
    Pose kneel = Ready(1.3f);
    kneel.leg[1] = {70, 8, 120, -40, 0};
    kneel = Ground(kneel);
    return OneShot("slidegetup", {{0, SlideStop()}, {0.3f, sitUp}, {0.6f, kneel}, {0.95f, Stand()}});
}

// Face down on the pitch, arms out in front.
Pose Fallen()
{
    Pose down;
    down.hip.y = -0.74f;
    down.pelvis.bend = 88;
    down.spine.bend = 4;
    down.head.bend = -45;
    down.arm[0] = {70, 120, 80, 0, 0};
    down.arm[1] = {80, 100, 90, 0, 0};
    down.leg[0] = {6, 8, 10, 40, 0};
    down.leg[1] = {2, 10, 30, 40, 0};
    down.tail1.bend = -60;  // laid back along the legs, not stood up in the air
    return down;
}

Clip FallOver()
{
    Pose trip = Run(0.25f);
    trip.spine.bend = 35;
    trip.pelvis.bend = 20;
    trip.arm[0] = {80, 80, 20, 0, 0};
    trip.arm[1] = {80, 70, 30, 0, 0};
    trip.leg[1] = {-40, 4, 60, 20, 0};
    Clip c = OneShot("fallover", {{0, Stand()}, {0.25f, trip}, {0.55f, Fallen()}, {0.95f, Fallen()}});
    c.move = [](float t) { return Vec3{0, 0, 1.0f * Ramp(t, 0, 0.6f)}; };
    return c;
}

Clip FallGetUp()
{
    Pose push = Fallen();
    push.hip.y = -0.5f;
    push.pelvis.bend = 60;
    push.arm[0] = {90, 80, 10, 0, 0};
    push.arm[1] = {90, 80, 10, 0, 0};
    push.leg[0] = {60, 8, 120, -30, 0};
    Pose kneel = Ready(1.4f);
    kneel.leg[0] = {80, 8, 120, -40, 0};
    kneel = Ground(kneel);
    return OneShot("fallgetup", {{0, Fallen()}, {0.35f, push}, {0.7f, kneel}, {1.1f, Stand()}});
}

void AddFalls(std::vector<Clip>& clips)
{
    clips.push_back(SlideTackle());
    clips.push_back(SlideGetUp());
    clips.push_back(FallOver());
    clips.push_back(FallGetUp());
}

// ---------------------------------------------------------------- kicks

Clip Header()
{
    Pose load = Ready(1.1f);
    Pose jump = Stand();
    jump.hip.y = 0.36f;
    jump.spine.bend = -14;
    jump.head.bend = -30;
    jump.leg[0] = {8, 4, 50, 40, 0};
    jump.leg[1] = {-4, 4, 60, 40, 0};
    jump = WithArms(jump, 40, 30, 40);
    Pose nod = jump;
    nod.spine.bend = 14;
    nod.head.bend = 30;
    nod.hip.y = 0.3f;
    Clip c = OneShot("header", {{0, Ready(0.3f)}, {0.16f, load}, {0.34f, jump}, {0.42f, nod}, {0.62f, Ready(0.8f)},
                                {0.85f, Stand()}});
    c.ball = BallMode::Point;
    c.ballEnd = 0.42f;
    c.ballAt = [](float) { return Vec3{0, 2.3f, 0.5f}; };
    c.move = [](float t) { return Vec3{0, 0, 0.35f * Ramp(t, 0.1f, 0.6f)}; };
    return c;
}

// The ball waits at the right foot until the contact.
Clip Kick(const char* name, float contact, float duration, float power)
{
    Clip c = OneShot(name, KickKeys(contact, duration, power));
    c.ball = BallMode::Point;
    c.ballEnd = contact;
    c.ballAt = [](float) { return FootBall(); };
    c.contact = contact;
    return c;
}

// A lunge that takes the ball off an opponent's foot.
Clip Snag()
{
    Pose lunge = Ready(0.9f);
    lunge.leg[0] = {62, 6, 12, 10, 20};
    lunge.leg[1] = {-10, 6, 80, 10, 0};
    lunge.spine.bend = 10;
    lunge.arm[0] = {50, -20, 30, 0, 0};
    lunge.arm[1] = {50, 40, 30, 0, 0};
    lunge = Ground(lunge);
    Clip c = OneShot("snag", {{0, Ready(0.5f)}, {0.3f, lunge}, {0.45f, lunge}, {0.75f, Ready(0.5f)}});
    c.ball = BallMode::Point;
    c.ballEnd = 0.3f;
    c.ballAt = [](float t) { return Vec3{0.12f, kBallRadius, 0.9f - 0.3f * Ramp(t, 0, 0.3f)}; };
    c.contact = 0.3f;
    c.move = [](float t) { return Vec3{0, 0, 0.4f * Ramp(t, 0, 0.3f)}; };
    return c;
}

void AddKicks(std::vector<Clip>& clips)
{
    clips.push_back(Header());
    clips.push_back(Kick("pass", 0.32f, 0.8f, 0.2f));
    clips.push_back(Kick("shoot", 0.42f, 1.0f, 1.0f));
    clips.push_back(Kick("kickoff", 0.34f, 0.9f, 0.1f));
    // The run-up lasts about a second and the foot meets the ball near its end, when the
    // penalty kick releases it.
    clips.push_back(Kick("penaltyshot", 0.78f, 1.0f, 0.5f));
    clips.push_back(Snag());
}

// ---------------------------------------------------------------- keeper saves

// A dive to the keeper's left at one of three heights (0 low, 1 middle, 2 high).
Pose DiveFlight(int height)
{
    Pose fly;
    fly.pelvis.side = height == 0 ? 88 : 78;
    fly.pelvis.bend = 6;
    fly.spine.side = 6;
    fly.head.side = -10;
    fly.hip.y = height == 2 ? 0.28f : height == 1 ? -0.2f : -0.62f;
    fly.hip.x = 0.1f;
    // Arms raised through the front, so blends from and to the hold stay in front too.
    for (Arm& a : fly.arm) {
        a.down = height == 0 ? 80 : 90;
        a.fwd = height == 0 ? 140 : 170;
        a.elbow = 12;
    }
    fly.arm[1].down += 10;
    fly.leg[0] = {8, 10, 20, 30, 0};
    fly.leg[1] = {-10, 22, 35, 30, 0};
    return fly;
}

Clip SaveSide(const char* name, int height)
{
    Clip c;
    c.name = name;
    c.duration = 2.0f;
    const float contact = height == 2 ? 0.45f : height == 1 ? 0.40f : 0.38f;
    c.contact = contact;
    Pose load = Ready(1.1f);
    load.pelvis.side = 8;
    load.leg[1].spread = 14;
    load = Ground(load);
    const Pose fly = DiveFlight(height);
    Pose land = fly;
    land.hip.y = -0.6f;
    land.pelvis.side = 84;
    land = HoldBall(land);
    land.leg[0] = {30, 6, 60, 20, 0};
    land.leg[1] = {20, 10, 50, 20, 0};
    Pose kneel = HoldBall(Ready(1.2f));
    kneel.pelvis.side = 20;
    kneel = Ground(kneel);
    c.pose = Keys({{0, Ready(0.8f)}, {contact * 0.35f, load}, {contact, fly}, {0.85f, land}, {1.3f, land},
                   {1.7f, kneel}, {2.0f, HoldBall(Stand())}},
                  false);
    const float reach = height == 0 ? 1.3f : 1.6f;
    c.move = [contact, reach](float t) { return Vec3{reach * Ramp(t, contact * 0.35f, 0.85f), 0, 0.15f * Ramp(t, 0, contact)}; };
    c.ball = BallMode::Hands;
    c.ballEnd = c.duration;
    return c;
}

// A jump straight up, arms high.
Clip HighCatch(const char* name)
{
    Pose jump = Stand();
    jump.hip.y = 0.42f;
    jump.spine.bend = -8;
    jump.head.bend = -25;
    jump.leg[0] = {10, 4, 40, 40, 0};
    jump.leg[1] = {-5, 4, 55, 40, 0};
    jump = WithArms(jump, 88, 172, 12);
    Clip c = OneShot(name, {{0, Ready(0.8f)}, {0.18f, Ready(1.3f)}, {0.45f, jump}, {0.8f, HoldBall(Ready(0.9f))},
                            {1.4f, HoldBall(Stand())}});
    c.contact = 0.45f;
    return c;
}

// Bent over the ball at the chest.
Clip ChestCatch(const char* name)
{
    Pose catchIt = HoldBall(Ready(1.0f));
    catchIt.spine.bend = 22;
    catchIt.pelvis.bend = 20;
    catchIt = Ground(FlatFeet(catchIt));
    Clip c = OneShot(name, {{0, Ready(0.8f)}, {0.18f, WithArms(Ready(1.0f), 80, 80, 20)}, {0.32f, catchIt},
                            {0.7f, catchIt}, {1.1f, HoldBall(Stand())}});
    c.contact = 0.32f;
    return c;
}

// Down on the knees to scoop a low ball into the arms.
Clip Scoop(const char* name)
{
    Pose scoop = Ready(1.0f);
    scoop.hip.y = -0.52f;
    scoop.pelvis.bend = 30;
    scoop.spine.bend = 38;
    scoop.head.bend = -30;
    scoop.leg[0] = {60, 8, 150, -40, 0};
    scoop.leg[1] = {40, 8, 130, -40, 0};
    scoop = WithArms(scoop, 95, 40, 20);
    Pose hug = HoldBall(scoop);
    hug.spine.bend = 20;
    Clip c = OneShot(name, {{0, Ready(0.8f)}, {0.42f, scoop}, {0.8f, hug}, {1.1f, hug}, {1.5f, HoldBall(Stand())}});
    c.contact = 0.42f;
    return c;
}

Clip SaveCentre(const char* name, int height)
{
    Clip c = height == 2 ? HighCatch(name) : height == 1 ? ChestCatch(name) : Scoop(name);
    c.ball = BallMode::Hands;
    c.ballEnd = c.duration;
    return c;
}

Clip StandWithBall()
{
    return HoldingLoop(Loop("standwithball", kStandLoop, [](float p) {
        Pose s = HoldBall(Stand());
        s.chest.bend += 0.8f * std::sin(kTau * p);
        s.head.twist = 3 * std::sin(kTau * p);
        return s;
    }));
}

Clip KeeperKickWait()
{
    return HoldingLoop(Loop("keeperkickwait", 2.0f, [](float p) {
        Pose s = Stand();
        for (Arm& a : s.arm) {
            a.down = 92;
            a.fwd = 44;
            a.elbow = 22;
            a.twist = 40;
        }
        s.spine.bend = 4 + 1.5f * std::sin(kTau * p);
        s.head.bend = -6;
        return s;
    }));
}

// The keeper lets go at 0.3 s and volleys the ball out of the hands.
Clip Punt(const char* name, float power)
{
    const Pose hold = WithArms(Stand(), 92, 44, 22);
    Pose drop = hold;
    drop.arm[0] = {60, 60, 10, 0, 0};
    drop.arm[1] = {70, 30, 10, 0, 0};
    drop.leg[1] = {-30, 4, 70, 20, 0};
    drop = Ground(drop);
    Pose hit = drop;
    hit.leg[1] = {70 + 20 * power, 4, 5, 40, 0};
    hit.spine.bend = -10 * power;
    hit.arm[0] = {40, 40, 10, 0, 0};
    hit.arm[1] = {40, -30, 10, 0, 0};
    hit = Ground(hit);
    hit.hip.y += 0.05f * power;
    const float contact = 0.5f + 0.05f * power;
    Clip c = OneShot(name, {{0, hold}, {0.3f, drop}, {contact, hit}, {contact + 0.2f, hit}, {1.1f + 0.1f * power, Stand()}});
    c.ball = BallMode::Point;
    c.ballEnd = contact;
    // Once let go, the ball falls onto the swinging foot.
    const Vec3 hands = BallInHands(hold);
    c.ballAt = [hands, contact](float t) {
        const float f = Ramp(t, 0.3f, contact);
        return Vec3{hands.x - 0.1f * f, hands.y + (0.75f - hands.y) * f * f, hands.z + (0.45f - hands.z) * f};
    };
    c.contact = contact;
    return c;
}

void AddSaves(std::vector<Clip>& clips)
{
    const char* const names[3][3] = {{"savebottomleft", "savebottomcenter", "savebottomright"},
                                     {"savemiddleleft", "savemiddlecenter", "savemiddleright"},
                                     {"savetopleft", "savetopcenter", "savetopright"}};
    for (int height = 2; height >= 0; --height) {
        const Clip left = SaveSide(names[height][0], height);
        clips.push_back(left);
        clips.push_back(SaveCentre(names[height][1], height));
        clips.push_back(MirrorClip(left, names[height][2]));
    }
    clips.push_back(StandWithBall());
    clips.push_back(KeeperKickWait());
    clips.push_back(Punt("keeperkickpass", 0.3f));
    clips.push_back(Punt("keeperkickshot", 1.0f));
}

// ---------------------------------------------------------------- set pieces

Clip PenaltyWait()
{
    return Loop("penaltywait", 2.2f, [](float p) {
        Pose s = Stand();
        s.arm[0] = {70, -20, 100, 0, 0};  // hands on the hips
        s.arm[1] = {70, -20, 100, 0, 0};
        s.spine.bend = 6;
        s.head.bend = 10 + 4 * std::sin(kTau * p);
        s.hip.x = 0.02f * std::sin(kTau * p);
        return s;
    });
}

Clip ThrowIn(const char* name, float release, float power)
{
    Pose back = BallOverhead(Stand(), 60 + 30 * power);
    back.spine.bend = -14 - 10 * power;
    back.leg[0].flex = 20;
    back.leg[1].flex = -12;
    back = Ground(back);
    Pose out = WithArms(Stand(), 86, 120 - 20 * power, 8);
    out.spine.bend = 16 + 8 * power;
    out.leg[0].flex = 20;
    out.leg[1].flex = -12;
    out = Ground(out);
    Clip c = OneShot(name, {{0, BallOverhead(Stand(), 10)}, {release * 0.6f, back}, {release, out}, {release + 0.5f, Stand()}});
    c.ball = BallMode::Hands;
    c.ballEnd = release;
    c.contact = release;
    return c;
}

void AddSetPieces(std::vector<Clip>& clips)
{
    clips.push_back(PenaltyWait());
    clips.push_back(HoldingLoop(
        Loop("throwinwait", 2.0f, [](float p) { return BallOverhead(Stand(), 10 + 6 * std::sin(kTau * p)); })));
    clips.push_back(ThrowIn("throwinpass", 0.45f, 0.2f));
    clips.push_back(ThrowIn("throwinshot", 0.55f, 1.0f));
}

// ---------------------------------------------------------------- the bench and the crowd moments

Pose Seated()
{
    Pose sit;
    sit.hip = {0, -0.42f, 0.02f};
    sit.spine.bend = 6;
    sit.leg[0] = {88, 6, 88, 0, 6};
    sit.leg[1] = {88, 6, 88, 0, 6};
    sit.arm[0] = {84, 20, 60, 0, 0};
    sit.arm[1] = {84, 20, 60, 0, 0};
    sit.tail1.bend = 10;  // out behind along the bench
    return sit;
}

void AddBench(std::vector<Clip>& clips)
{
    Pose half = Ready(1.2f);
    half.spine.bend = 26;
    clips.push_back(OneShot("sitdown", {{0, Stand()}, {0.4f, half}, {0.9f, Seated()}}));
    clips.push_back(OneShot("standup", {{0, Seated()}, {0.45f, half}, {0.9f, Stand()}}));
    clips.push_back(Loop("satdown", 3.0f, [](float p) {
        Pose s = Seated();
        s.head.twist = 20 * std::sin(kTau * p);
        s.chest.bend += 2 * std::sin(2 * kTau * p);
        return s;
    }));
    clips.push_back(Loop("stoodup", 2.4f, [](float p) {
        Pose s = Stand();
        s.head.twist = -15 * std::sin(kTau * p);
        return s;
    }));
}

// Jumping with both arms up.
Pose Cheer(float p)
{
    Pose s = Stand();
    const float a = kTau * p;
    const float up = std::max(0.0f, std::sin(a));
    s.hip.y += 0.22f * up;
    for (Leg& l : s.leg) {
        l.knee = 30 * (1 - up);
        l.flex = 15 * (1 - up);
        l.ankle = 30 * up;
    }
    s.arm[0] = {-70, 15, 20 + 30 * (1 - up), 0, 0};
    s.arm[1] = {-70, 15, 20 + 30 * (1 - up), 0, 0};
    s.head.bend = -20;
    s.tail1.bend = 20;
    s.tail2.twist = 30 * std::sin(2 * a);
    return s;
}

Pose PunchTheAir(float p)
{
    Pose s = Stand();
    const float a = kTau * p;
    s.arm[0] = {-60 + 25 * std::sin(2 * a), 30, 40, 0, 0};
    s.arm[1] = {70, 70, 110, 0, 0};  // fist clenched at the chest
    s.pelvis.twist = 20 * std::sin(a);
    s.chest.twist = 15 * std::sin(a);
    s.spine.bend = -8;
    s.head.bend = -15;
    s.leg[0].knee = 10 + 10 * std::sin(2 * a);
    s.hip.y -= 0.02f * (1 + std::sin(2 * a));
    s.tail2.twist = 30 * std::sin(a);
    return Ground(FlatFeet(s));
}

// Bent over, hands on the head.
Pose Dismay(float p)
{
    Pose s = Stand();
    s.spine.bend = 22 + 4 * std::sin(kTau * p);
    s.neck.bend = 14;
    s.head.bend = 16;
    s.head.twist = 14 * std::sin(kTau * p);
    s.arm[0] = {-30, 60, 150, 0, 0};
    s.arm[1] = {-30, 60, 150, 0, 0};
    s.leg[0].knee = 14;
    s.tail1.bend = -30;
    s.tail2.bend = -20;
    return Ground(FlatFeet(s));
}

void AddReactions(std::vector<Clip>& clips)
{
    AddBench(clips);
    clips.push_back(Loop("cheer", 1.0f, Cheer));
    clips.push_back(Loop("cheer2", 1.6f, PunchTheAir));
    clips.push_back(Loop("dismay", 2.4f, Dismay));
}

// ---------------------------------------------------------------- the special move: gather, power run, finish

Clip SpecialStart()
{
    Pose gather = Ready(1.3f);
    gather.spine.bend = 30;
    gather.head.bend = -30;
    gather.arm[0] = {40, -60, 30, 0, 0};
    gather.arm[1] = {40, -60, 30, 0, 0};
    gather.tail1.bend = 30;
    gather = Ground(gather);
    return OneShot("specialstart", {{0, Ready(0.3f)}, {0.35f, gather}, {0.6f, Run(0)}});
}

Pose PowerRun(float p)
{
    Pose s = Stride(p, 1.1f, 24, 105, 0, 20);
    for (Arm& a : s.arm) {
        a.down = 45;
        a.fwd = -70;
        a.elbow = 10;
    }
    s.tail1.bend = 25;
    return s;
}

Clip SpecialEnd()
{
    Pose leap = Run(0.25f);
    leap.hip.y = 0.35f;
    leap.leg[1] = {-50, 4, 100, 30, 0};
    leap.leg[0] = {40, 4, 80, 20, 0};
    leap.arm[0] = {-30, 20, 20, 0, 0};
    leap.arm[1] = {10, -30, 20, 0, 0};
    Pose volley = leap;
    volley.hip.y = 0.2f;
    volley.pelvis.twist = 30;
    volley.leg[1] = {95, 10, 5, 40, 0};
    volley.leg[0] = {-10, 4, 60, 30, 0};
    volley.spine.bend = -20;
    Clip c = OneShot("specialend", {{0, Run(0)}, {0.3f, leap}, {0.55f, volley}, {0.8f, Ready(0.8f)}, {1.2f, Stand()}});
    c.ball = BallMode::Point;
    c.ballEnd = 0.55f;
    c.ballAt = [](float t) { return Vec3{-0.1f, kBallRadius + 0.6f * std::sin(kPi * std::min(1.0f, t / 0.55f)), 0.6f}; };
    c.contact = 0.55f;
    c.move = [](float t) { return Vec3{0, 0, 1.4f * Ramp(t, 0, 0.7f)}; };
    return c;
}

// The panda's own finish: a full spin, then a low drive.
Pose PandaSpin(float t)
{
    Pose base = Ready(0.9f);
    const float spin = Ramp(t, 0.1f, 0.7f);
    base.pelvis.twist = -360 * spin;
    for (Arm& a : base.arm) {
        a.down = 20 + 60 * (1 - std::sin(kPi * spin));
        a.elbow = 10;
    }
    if (t > 0.7f) {
        const float k = Ramp(t, 0.7f, 0.85f) * (1 - Ramp(t, 1.0f, 1.4f));
        base.leg[1].flex = -20 + 110 * k;
        base.leg[1].knee = 60 * (1 - k) + 5;
        base.leg[1].ankle = 35 * k;
    }
    base.hip.y += 0.1f * std::sin(kPi * spin);
    return Lerp(Lerp(Stand(), base, Ramp(t, 0, 0.1f)), Stand(), Ramp(t, 1.05f, 1.4f));
}

Clip SpecialPanda()
{
    Clip c;
    c.name = "special_panda";
    c.duration = 1.4f;
    c.contact = 0.85f;
    c.pose = PandaSpin;
    c.ball = BallMode::Point;
    c.ballEnd = c.contact;
    c.ballAt = [](float) { return FootBall(); };
    return c;
}

void AddSpecials(std::vector<Clip>& clips)
{
    clips.push_back(SpecialStart());
    clips.push_back(Loop("specialmove", 0.6f, PowerRun));
    clips.push_back(SpecialEnd());
    clips.push_back(SpecialPanda());
}

// ---------------------------------------------------------------- the referee

// Hands behind the back, looking about.
Pose RefStand(float p)
{
    Pose s = Stand();
    s.arm[0] = {82, -24, 40, 0, 0};
    s.arm[1] = {82, -24, 40, 0, 0};
    s.spine.bend = -3;
    s.head.bend = -4;
    s.head.twist = 12 * std::sin(kTau * p);
    s.chest.bend += 1.2f * std::sin(2 * kTau * p);
    return s;
}

Pose RefRun(float p) { return Stride(p, 0.9f, 9, 80, 34, 80); }

// Right hand to the mouth, k of the way.
Pose Whistle(Pose p, float k)
{
    Arm& a = p.arm[1];
    const Arm to{30, 88, 150, 0, 10};
    a.down += (to.down - a.down) * k;
    a.fwd += (to.fwd - a.fwd) * k;
    a.elbow += (to.elbow - a.elbow) * k;
    a.wrist += (to.wrist - a.wrist) * k;
    p.head.bend -= 6 * k;
    return p;
}

// Whistling with the other arm pointing out.
Pose LongWhistle(float t)
{
    const float k = Ramp(t, 0, 0.3f) * (1 - Ramp(t, 1.2f, 1.6f));
    Pose p = Whistle(RefStand(0), k);
    p.arm[0].down += (-20 - p.arm[0].down) * k;
    p.arm[0].fwd += (40 - p.arm[0].fwd) * k;
    p.arm[0].elbow *= 1 - k;
    p.spine.bend -= 8 * k;
    p.head.bend -= 10 * k;
    return p;
}

Clip Whistling(const char* name, float duration, float contact, std::function<Pose(float)> pose)
{
    Clip c;
    c.name = name;
    c.duration = duration;
    c.contact = contact;
    c.pose = std::move(pose);
    return c;
}

void AddWhistles(std::vector<Clip>& clips)
{
    const auto blow = [](float t) { return Ramp(t, 0, 0.25f) * (1 - Ramp(t, 0.5f, 0.8f)); };
    clips.push_back(Whistling("refwhistleshortstatic", 0.8f, 0.3f, [blow](float t) { return Whistle(RefStand(0), blow(t)); }));
    clips.push_back(Whistling("refwhistleshortmoving", 0.8f, 0.3f, [blow](float t) { return Whistle(Walk(t / 1.1f), blow(t)); }));
    clips.push_back(Whistling("refwhistlelong", 1.6f, 0.35f, LongWhistle));
}

void AddRedCard(std::vector<Clip>& clips)
{
    Pose pocket = RefStand(0);
    pocket.arm[1] = {80, 55, 125, 0, 20};
    Pose show = RefStand(0);
    show.arm[1] = {-78, 20, 5, 0, 0};
    show.arm[0] = {86, 0, 15, 0, 0};
    show.spine.bend = -4;
    show.head.bend = -8;
    show.head.twist = -10;
    Clip present = OneShot("refredcardpresent", {{0, RefStand(0)}, {0.35f, pocket}, {0.8f, show}, {1.6f, show}});
    present.contact = 0.35f;
    clips.push_back(present);
    Clip end = OneShot("refredcardend", {{0, show}, {0.45f, pocket}, {0.9f, RefStand(0)}});
    end.contact = 0.45f;
    clips.push_back(end);
}

void AddReferee(std::vector<Clip>& clips)
{
    clips.push_back(Loop("refstand", 2.8f, RefStand));
    clips.push_back(Loop("refwalk", 1.1f, Walk));
    clips.push_back(Loop("refrun", 0.7f, RefRun));
    // The blends start from each cycle's first pose.
    struct Gait {
        const char* name;
        Pose (*cycle)(float);
    };
    const Gait gaits[] = {{"stand", RefStand}, {"walk", Walk}, {"run", RefRun}};
    const float durations[3][3] = {{0, 0.35f, 0.35f}, {0.4f, 0, 0.3f}, {0.45f, 0.35f, 0}};
    for (int from = 0; from < 3; ++from)
        for (int to = 0; to < 3; ++to)
            if (from != to) {
                const std::string name = std::string("ref") + gaits[from].name + "to" + gaits[to].name;
                const Pose a = gaits[from].cycle(0), b = gaits[to].cycle(0);
                clips.push_back(Blend(name.c_str(), durations[from][to], [a](float) { return a; }, [b](float) { return b; }));
            }
    AddWhistles(clips);
    AddRedCard(clips);
}

// Lifts the pose until no race's flesh reaches into the pitch. The clips are shared, so a
// lying pose rests on the bulkiest race and the slimmer ones lie a little above the grass.
Pose OnThePitch(Pose p)
{
    const float low = LowestFlesh(p);
    if (low < 0)
        p.hip.y -= low;
    return p;
}

std::vector<Clip> MakeClips()
{
    std::vector<Clip> clips;
    AddLocomotion(clips);
    AddFalls(clips);
    AddKicks(clips);
    AddSaves(clips);
    AddSetPieces(clips);
    AddReactions(clips);
    AddSpecials(clips);
    AddReferee(clips);
    for (Clip& c : clips)
        c.pose = [pose = std::move(c.pose)](float t) { return OnThePitch(pose(t)); };
    return clips;
}

}  // namespace

const std::vector<Clip>& Clips()
{
    static const std::vector<Clip> clips = MakeClips();
    return clips;
}

const Clip* FindClip(const std::string& name)
{
    for (const Clip& c : Clips())
        if (c.name == name)
            return &c;
    return nullptr;
}

const std::vector<ActionAnimation>& ActionAnimations()
{
    // Every action plays the clip of its own name but "inactive", which stands.
    static const std::vector<ActionAnimation> table = [] {
        const char* const actions[] = {
            "stand", "run", "startrun", "endrun", "jog", "stepleft", "stepright", "stepforth", "stepback", "idle",
            "slidetackle", "slidegetup", "fallover", "fallgetup",
            "header", "pass", "shoot", "snag", "kickoff", "penaltywait", "penaltyshot",
            "throwinwait", "throwinpass", "throwinshot",
            "savetopleft", "savetopcenter", "savetopright", "savemiddleleft", "savemiddlecenter", "savemiddleright",
            "savebottomleft", "savebottomcenter", "savebottomright", "standwithball", "keeperkickwait",
            "keeperkickpass", "keeperkickshot",
            "standup", "stoodup", "sitdown", "satdown", "cheer", "cheer2", "dismay",
            "specialstart", "specialmove", "specialend", "special_panda",
            "refstand", "refstandtowalk", "refstandtorun", "refwalk", "refwalktostand", "refwalktorun", "refrun",
            "refruntostand", "refruntowalk", "refwhistleshortstatic", "refwhistleshortmoving", "refwhistlelong",
            "refredcardpresent", "refredcardend"};
        std::vector<ActionAnimation> t;
        for (const char* action : actions)
            t.push_back({action, action});
        t.push_back({"inactive", "stand"});
        return t;
    }();
    return table;
}

Vec3 BallInHands(const Pose& pose)
{
    const auto world = PoseToWorld(pose);
    const Vec3 l = world[kHandL].Point({0.08f, 0, 0});
    const Vec3 r = world[kHandR].Point({-0.08f, 0, 0});
    const Vec3 mid = (l + r) * 0.5f;
    // Pushed away from the chest so the ball sits in the palms, not inside the body.
    Vec3 out = mid - world[kChest].pos;
    out.y = 0;
    const float len = Length(out);
    return len > 1e-4f ? mid + out * (0.08f / len) : mid + Vec3{0, 0, 0.08f};
}

namespace {

// Vertices of the races' models in the bind pose that share one set of skin weights, so one
// blended transform places them all, and a sphere around them bounds how low they reach.
struct FleshGroup {
    std::array<uint8_t, 4> bones;
    std::array<float, 4> weights;
    std::vector<Vec3> points;
    Vec3 centre;
    float radius = 0;
};

void Bound(FleshGroup& g)
{
    Vec3 lo = g.points.front(), hi = lo;
    for (const Vec3& p : g.points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    g.centre = (lo + hi) * 0.5f;
    for (const Vec3& p : g.points)
        g.radius = std::max(g.radius, Length(p - g.centre));
}

std::vector<FleshGroup> GroupFlesh()
{
    std::map<std::pair<std::array<uint8_t, 4>, std::array<float, 4>>, FleshGroup> groups;
    for (Race race : kRaces)
        for (const MeshBuilder& mesh : BuildCharacterMeshes(race))
            for (const MeshVertex& v : mesh.Vertices()) {
                const std::array<uint8_t, 4> bones{v.bones[0], v.bones[1], v.bones[2], v.bones[3]};
                const std::array<float, 4> weights{v.weights[0], v.weights[1], v.weights[2], v.weights[3]};
                FleshGroup& g = groups[{bones, weights}];
                g.bones = bones;
                g.weights = weights;
                g.points.push_back(v.pos);
            }
    std::vector<FleshGroup> out;
    for (auto& [key, g] : groups) {
        Bound(g);
        out.push_back(std::move(g));
    }
    // The feet first: the lowest point is found early and most groups are passed over.
    std::sort(out.begin(), out.end(), [](const FleshGroup& a, const FleshGroup& b) { return a.centre.y < b.centre.y; });
    return out;
}

const std::vector<FleshGroup>& Flesh()
{
    static const std::vector<FleshGroup> groups = GroupFlesh();
    return groups;
}

// The height a bind-pose point reaches: one row of a skinning transform.
struct HeightRow {
    Vec3 axis;
    float offset = 0;
    float At(Vec3 p) const { return Dot(axis, p) + offset; }
};

}  // namespace

float LowestFlesh(const Pose& pose)
{
    const auto world = PoseToWorld(pose);
    std::array<HeightRow, kBoneCount> rows;
    for (size_t b = 0; b < rows.size(); ++b) {
        const Frame3& f = world[b];
        rows[b].axis = {f.right.y, f.up.y, f.at.y};
        rows[b].offset = f.pos.y - Dot(rows[b].axis, Bones()[b].bindPos);
    }
    float low = 1e9f;
    for (const FleshGroup& g : Flesh()) {
        HeightRow h;
        for (size_t k = 0; k < 4; ++k) {
            h.axis = h.axis + rows[g.bones[k]].axis * g.weights[k];
            h.offset += rows[g.bones[k]].offset * g.weights[k];
        }
        if (h.At(g.centre) - Length(h.axis) * g.radius >= low)
            continue;
        for (const Vec3& p : g.points)
            low = std::min(low, h.At(p));
    }
    return low;
}

namespace {

int KeyCount(float duration)
{
    return std::max(1, int(std::lround(duration * kSampleRate)));
}

RtAnimKeyFrame MakeKey(float t, const Quat& q, Vec3 p)
{
    RtAnimKeyFrame k{};
    k.time = t;
    k.rot[0] = q.w;
    k.rot[1] = q.x;
    k.rot[2] = q.y;
    k.rot[3] = q.z;
    k.trans[0] = p.x;
    k.trans[1] = p.y;
    k.trans[2] = p.z;
    return k;
}

}  // namespace

RtAnimAnimation* BuildClipAnimation(const Clip& clip)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(kBoneCount, clip.duration);
    if (!anim)
        return nullptr;
    const int n = KeyCount(clip.duration);
    std::array<Quat, kBoneCount> rot;
    std::array<Vec3, kBoneCount> trans;
    Quat previous[kBoneCount];
    for (int k = 0; k <= n; ++k) {
        // The last key of a loop repeats the first exactly, so the seam is invisible.
        const float t = clip.duration * float(k) / float(n);
        PoseToLocal(clip.pose(clip.loops && k == n ? 0.0f : t), rot, trans);
        for (int b = 0; b < kBoneCount; ++b) {
            Quat q = rot[size_t(b)];
            // Keep neighbouring keys in one hemisphere so nothing flips between them.
            if (k > 0 && q.w * previous[b].w + q.x * previous[b].x + q.y * previous[b].y + q.z * previous[b].z < 0)
                q = {-q.w, -q.x, -q.y, -q.z};
            previous[b] = q;
            anim->tracks[size_t(b)].keys.push_back(MakeKey(t, q, trans[size_t(b)]));
        }
    }
    return anim;
}

RtAnimAnimation* BuildLocatorAnimation(float duration, const std::function<Vec3(float)>& at)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(2, duration);
    if (!anim)
        return nullptr;
    anim->tracks[0].keys = {MakeKey(0, {}, {}), MakeKey(duration, {}, {})};
    // A locator that holds one place for an hour needs two keys, not seventy thousand.
    const int n = duration > 60 ? 1 : KeyCount(duration);
    for (int k = 0; k <= n; ++k) {
        const float t = duration * float(k) / float(n);
        anim->tracks[1].keys.push_back(MakeKey(t, {}, at(t)));
    }
    return anim;
}

RtAnimAnimation* BuildBallLocator(const Clip& clip)
{
    switch (clip.ball) {
    case BallMode::None:
        return nullptr;
    case BallMode::Point:
        return BuildLocatorAnimation(clip.ballEnd, clip.ballAt);
    case BallMode::Hands: {
        const auto& pose = clip.pose;
        const float d = clip.duration;
        const bool loops = clip.loops;
        return BuildLocatorAnimation(clip.ballEnd, [&pose, d, loops](float t) {
            Vec3 p = BallInHands(pose(loops ? std::fmod(t, d) : std::min(t, d)));
            p.y = std::max(p.y, kBallRadius);  // hands at the ground hold the ball on it
            return p;
        });
    }
    }
    return nullptr;
}

RtAnimAnimation* BuildMoveLocator(const Clip& clip)
{
    return clip.move ? BuildLocatorAnimation(clip.duration, clip.move) : nullptr;
}

}  // namespace assets::chars
