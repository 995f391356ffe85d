#include "characters/Statistic.h"

#include "framework/Serializer.h"

#include <algorithm>

Statistic& Statistic::operator=(const Statistic& other)
{
    level = other.level;
    current = other.current;
    return *this;
}

void Statistic::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Statistic", descriptor);
    serializer.SerializeFloat("Training level (50 - 100)", &level);
    serializer.EndSection();
    SetLevel(level);
}

void Statistic::SetLevel(float value)
{
    // Written as comparisons so that a NaN from a damaged file lands on the minimum.
    level = value >= kMaxLevel ? kMaxLevel : (value > kMinLevel ? value : kMinLevel);
    current = level;
}

void Statistic::RaiseLevel(float d)
{
    if (d > 0.0f)
        level = std::min(level + d, kMaxLevel);
}

void Statistic::AddCurrent(float d)
{
    if (d > 0.0f)
        current = std::min(current + d, level);
    else if (d < 0.0f)
        SubtractCurrent(-d);
}

void Statistic::SubtractCurrent(float d)
{
    if (d > 0.0f)
        current = std::max(current - d, 0.0f);
    else if (d < 0.0f)
        AddCurrent(-d);
}
