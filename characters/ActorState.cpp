#include "characters/ActorState.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace ActorNodes {
ActorStateNode stand, standwithball, startrun, run, endrun, jog, slidetackle, slidegetup, fallover, fallgetup,
    shoot, pass, snag, header, stepleft, stepright, stepforth, stepback, savetopleft, savetopcenter, savetopright,
    savemiddleleft, savemiddlecenter, savemiddleright, savebottomleft, savebottomcenter, savebottomright, kickoff,
    inactive, penaltywait, penaltyshot, throwinwait, throwinpass, throwinshot, refstand, refstandtowalk,
    refstandtorun, refwalk, refwalktostand, refwalktorun, refrun, refruntostand, refruntowalk,
    refwhistleshortstatic, refwhistleshortmoving, refwhistlelong, refredcardpresent, refredcardend, standup,
    stoodup, sitdown, satdown, cheer, dismay, specialstart, specialmove, specialend, special_panda, idle, cheer2,
    keeperkickwait, keeperkickshot, keeperkickpass;
}  // namespace ActorNodes

namespace {

using namespace ActorNodes;
using Edges = std::vector<std::pair<int32_t, ActorStateNode*>>;

// Flags in node order: hold the ball, steer, enter at once, keep the ball.
enum Flag : unsigned { kHold = 1, kSteer = 2, kAtOnce = 4, kKeep = 8 };

int s_buildCount = 0;

Edges Join(std::initializer_list<Edges> parts)
{
    Edges all;
    for (const Edges& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

void Define(ActorStateNode& node, const char* name, ActorStateNode& next, unsigned flags, const Edges& edges)
{
    node.name = name;
    node.defaultNext = &next;
    node.canHoldBall = (flags & kHold) != 0;
    node.steerable = (flags & kSteer) != 0;
    node.entersAtOnce = (flags & kAtOnce) != 0;
    node.keepsBall = (flags & kKeep) != 0;
    for (const auto& [code, target] : edges)
        node.transitions.emplace(code, target);
}

using I = ActorInput;

const Edges& Saves()
{
    static const Edges edges = {{I::SaveTopLeft, &savetopleft},       {I::SaveTopCenter, &savetopcenter},
                                {I::SaveTopRight, &savetopright},     {I::SaveMiddleLeft, &savemiddleleft},
                                {I::SaveMiddleCenter, &savemiddlecenter}, {I::SaveMiddleRight, &savemiddleright},
                                {I::SaveBottomLeft, &savebottomleft}, {I::SaveBottomCenter, &savebottomcenter},
                                {I::SaveBottomRight, &savebottomright}};
    return edges;
}

const Edges& Steps()
{
    static const Edges edges = {{I::StepLeft, &stepleft}, {I::StepRight, &stepright}, {I::StepForth, &stepforth},
                                {I::StepBack, &stepback}};
    return edges;
}

const Edges& Specials()
{
    static const Edges edges = {{I::SpecialStart, &specialstart}, {I::SpecialPanda, &special_panda}};
    return edges;
}

// What a player may do from any of the running nodes.
const Edges& PlayOn()
{
    static const Edges edges = {{I::FallOver, &fallover}, {I::Shoot, &shoot}, {I::Pass, &pass},
                                {I::Snag, &snag},         {I::Header, &header}};
    return edges;
}

void DefinePlayers()
{
    Define(stand, "stand", stand, kHold,
           Join({{{I::Tackle, &startrun}, {I::Run, &startrun}, {I::Jog, &jog}}, PlayOn(), Steps(), Saves(),
                 Specials()}));
    Define(standwithball, "standwithball", standwithball, kHold,
           Join({{{I::Run, &run}, {I::FallOver, &fallover}, {I::Shoot, &shoot}, {I::Pass, &pass}}, Specials()}));
    Define(startrun, "startrun", endrun, kHold | kSteer,
           Join({{{I::Tackle, &slidetackle}, {I::Run, &run}}, PlayOn(), Saves(),
                 {{I::WhistleShort, &refwhistleshortmoving}}, Specials()}));
    Define(run, "run", endrun, kHold | kSteer,
           Join({{{I::Tackle, &slidetackle}, {I::Run, &run}}, PlayOn(),
                 {{I::StepLeft, &stepleft}, {I::StepRight, &stepright}, {I::StepForth, &run}, {I::StepBack, &stepback}},
                 Saves(), Specials()}));
    Define(endrun, "endrun", stand, kHold | kSteer, Join({PlayOn(), Saves(), Specials()}));
    Define(jog, "jog", stand, kHold | kSteer, Join({{{I::Run, &run}, {I::Jog, &jog}}, PlayOn(), Specials()}));
    Define(slidetackle, "slidetackle", slidegetup, kAtOnce, {{I::FallOver, &fallover}});
    Define(slidegetup, "slidegetup", stand, 0, {});
    Define(fallover, "fallover", fallgetup, kAtOnce, {});
    Define(fallgetup, "fallgetup", stand, 0, {});
    const Edges kickOn = {{I::Run, &run}, {I::FallOver, &fallover}, {I::Snag, &snag}};
    Define(shoot, "shoot", endrun, kHold | kAtOnce, kickOn);
    Define(pass, "pass", endrun, kHold | kAtOnce, kickOn);
    Define(snag, "snag", stand, kHold | kAtOnce, {{I::Run, &startrun}, {I::Jog, &jog}});
    Define(header, "header", stand, kAtOnce, {});
    const Edges stepOn = Join({Steps(), Saves()});
    Define(stepleft, "stepleft", stand, kHold, stepOn);
    Define(stepright, "stepright", stand, kHold, stepOn);
    Define(stepforth, "stepforth", stand, kHold, stepOn);
    Define(stepback, "stepback", stand, kHold, stepOn);
}

void DefineKeepersAndSetPieces()
{
    const std::pair<ActorStateNode*, const char*> saves[] = {
        {&savetopleft, "savetopleft"},       {&savetopcenter, "savetopcenter"},
        {&savetopright, "savetopright"},     {&savemiddleleft, "savemiddleleft"},
        {&savemiddlecenter, "savemiddlecenter"}, {&savemiddleright, "savemiddleright"},
        {&savebottomleft, "savebottomleft"}, {&savebottomcenter, "savebottomcenter"},
        {&savebottomright, "savebottomright"}};
    for (const auto& [node, name] : saves)
        Define(*node, name, stand, kHold | kAtOnce | kKeep, {});
    Define(kickoff, "kickoff", kickoff, kHold, {{I::Shoot, &shoot}, {I::Pass, &pass}});
    Define(inactive, "inactive", inactive, kHold, {});
    Define(penaltywait, "penaltywait", penaltywait, kHold, {{I::PenaltyShot, &penaltyshot}});
    Define(penaltyshot, "penaltyshot", stand, kHold, {});
    Define(throwinwait, "throwinwait", throwinwait, kHold | kSteer,
           {{I::Shoot, &throwinshot}, {I::Pass, &throwinpass}});
    Define(throwinpass, "throwinpass", stand, kHold | kAtOnce, {});
    Define(throwinshot, "throwinshot", stand, kHold | kAtOnce, {});
}

void DefineReferee()
{
    const Edges whistleMoving = {{I::WhistleShort, &refwhistleshortmoving}};
    Define(refstand, "refstand", refstand, kSteer,
           {{I::Run, &refstandtorun}, {I::Walk, &refstandtowalk}, {I::WhistleShort, &refwhistleshortstatic},
            {I::WhistleLong, &refwhistlelong}, {I::RedCard, &refredcardpresent}});
    Define(refstandtowalk, "refstandtowalk", refwalk, kSteer, whistleMoving);
    Define(refstandtorun, "refstandtorun", refrun, kSteer, whistleMoving);
    Define(refwalk, "refwalk", refwalktostand, kSteer,
           {{I::Run, &refwalktorun}, {I::Walk, &refwalk}, {I::WhistleShort, &refwhistleshortmoving},
            {I::RedCard, &refredcardpresent}});
    Define(refwalktostand, "refwalktostand", refstand, kSteer, {});
    Define(refwalktorun, "refwalktorun", refrun, kSteer, whistleMoving);
    Define(refrun, "refrun", refruntostand, kSteer,
           {{I::Run, &refrun}, {I::Walk, &refruntowalk}, {I::WhistleShort, &refwhistleshortmoving},
            {I::RedCard, &refredcardpresent}});
    Define(refruntostand, "refruntostand", refstand, kSteer, {});
    Define(refruntowalk, "refruntowalk", refwalk, kSteer, {});
    Define(refwhistleshortstatic, "refwhistleshortstatic", refstand, 0, {});
    Define(refwhistleshortmoving, "refwhistleshortmoving", refrun, 0, {});
    Define(refwhistlelong, "refwhistlelong", refstand, 0, {});
    Define(refredcardpresent, "refredcardpresent", refredcardend, 0, {});
    Define(refredcardend, "refredcardend", refstand, 0, {});
}

void DefineOthers()
{
    Define(standup, "standup", stoodup, kAtOnce, {});
    Define(stoodup, "stoodup", stoodup, 0, {{I::SitDown, &sitdown}});
    Define(sitdown, "sitdown", satdown, kAtOnce, {});
    Define(satdown, "satdown", satdown, 0, {{I::StandUp, &standup}});
    Define(cheer, "cheer", stand, 0, {});
    Define(dismay, "dismay", stand, 0, {});
    Define(specialstart, "specialstart", specialmove, kHold | kSteer | kAtOnce, {{I::Pass, &pass}});
    Define(specialmove, "specialmove", specialend, kHold | kSteer, {{I::Pass, &pass}});
    Define(specialend, "specialend", stand, kHold | kSteer, {{I::Pass, &pass}});
    Define(special_panda, "special_panda", stand, kHold | kSteer | kAtOnce, {});
    Define(idle, "idle", stand, kHold, {});
    Define(cheer2, "cheer2", stand, 0, {});
    Define(keeperkickwait, "keeperkickwait", keeperkickwait, kHold | kSteer,
           {{I::Shoot, &keeperkickshot}, {I::Pass, &keeperkickpass}});
    Define(keeperkickshot, "keeperkickshot", stand, kHold | kAtOnce, {});
    Define(keeperkickpass, "keeperkickpass", stand, kHold | kAtOnce, {});
}

}  // namespace

ActorState::ActorState(const ActorStateNode& node) : m_node(&node)
{
    BuildStateTable();
}

void ActorState::BuildStateTable()
{
    if (s_buildCount > 0)
        return;
    DefinePlayers();
    DefineKeepersAndSetPieces();
    DefineReferee();
    DefineOthers();
    ++s_buildCount;
}

int ActorState::GetBuildCount() { return s_buildCount; }

bool ActorState::HasFired(int32_t type) const
{
    const auto found = m_firedEvents.find(type);
    return found != m_firedEvents.end() && found->second;
}

State* ActorState::Update(float)
{
    const ActorStateNode* target = m_node->Next(m_command.code);
    const bool ended = HasFired(0);
    m_firedEvents.clear();
    if (target->entersAtOnce || ended)
        return new ActorState(*target);
    return this;
}
