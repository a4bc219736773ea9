// The circle constants the game's angles are measured with, in single precision like
// every angle the game computes.
#pragma once

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717958f;
