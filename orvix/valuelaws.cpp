#include "orvix/valuelaws.h"

#include <cmath>

namespace {
constexpr float kCmPerMs = 34.32f;
constexpr float kInchPerMs = 13.511784f;
} // namespace

double RoundTo(double x, int n) {
    const double fScale = std::pow(10.0, n);
    return std::floor(x * fScale + 0.5) / fScale;
}

float MsToCm(float fMs) {
    return static_cast<float>(RoundTo(fMs * static_cast<double>(kCmPerMs), 3));
}
float CmToMs(float fCm) {
    return static_cast<float>(RoundTo(fCm / static_cast<double>(kCmPerMs), 3));
}
float MsToInch(float fMs) {
    return static_cast<float>(RoundTo(fMs * static_cast<double>(kInchPerMs), 3));
}
float InchToMs(float fInch) {
    return static_cast<float>(RoundTo(fInch / static_cast<double>(kInchPerMs), 3));
}
