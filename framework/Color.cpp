#include "framework/Color.h"

namespace {
constexpr float kInv255 = 1.0f / 255.0f;
}

void Color::Set255(int r_, int g_, int b_, int a_)
{
    Set(r_ * kInv255, g_ * kInv255, b_ * kInv255, a_ * kInv255);
}

void Color::SetRGB255(int r_, int g_, int b_)
{
    SetRGB(r_ * kInv255, g_ * kInv255, b_ * kInv255);
}
