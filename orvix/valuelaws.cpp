#include "orvix/valuelaws.h"

#include "orvix/settingsmodel.h"

#include <algorithm>
#include <cmath>

static_assert(LEVEL_MAX_STEP == MLB8_MAX_VOLUME);
static_assert(DELAY_MAX_SAMPLES == MLB8_MAX_DELAY);
static_assert(SENS_MAX_INDEX == MLB8_MAX_SENSITIVITY);
static_assert(EQ_Q_POSITIONS == static_cast<int>((EQ_Q_MAX - EQ_Q_MIN) / EQ_Q_STEP) + 1);

namespace {
constexpr float kCmPerMs = 34.32f;
constexpr float kInchPerMs = 13.511784f;
} // namespace

// ---- equalizer gain ----

int ClampEqGain(int nGainDb) {
    return std::clamp(nGainDb, EQ_GAIN_MIN_DB, EQ_GAIN_MAX_DB);
}

bool EqGainOnFader(int nGainDb) {
    return nGainDb >= EQ_GAIN_MIN_DB && nGainDb <= EQ_GAIN_MAX_DB;
}

int EqGainToPos(int nGainDb) {
    return std::clamp(nGainDb - EQ_GAIN_MIN_DB, 0, EQ_GAIN_POSITIONS - 1);
}

int EqGainFromPos(int nPos) {
    return nPos + EQ_GAIN_MIN_DB;
}

// ---- equalizer bandwidth ----

float ClampEqQ(float fQ) {
    return std::clamp(fQ, EQ_Q_MIN, EQ_Q_MAX);
}

double ClampEqQ(double fQ) {
    return std::clamp(fQ, static_cast<double>(EQ_Q_MIN), static_cast<double>(EQ_Q_MAX));
}

int EqQToPos(float fQ) {
    const float fPos = (fQ - EQ_Q_MIN) / EQ_Q_STEP;
    if (std::isnan(fPos)) return 0;
    return static_cast<int>(std::clamp(fPos, 0.0f, static_cast<float>(EQ_Q_POSITIONS - 1)));
}

std::optional<int> EqQExactPos(float fQ) {
    const float fPos = (fQ - EQ_Q_MIN) / EQ_Q_STEP;
    if (fPos >= 0 && fPos < EQ_Q_POSITIONS && fPos == std::floor(fPos)) return static_cast<int>(fPos);
    return std::nullopt;
}

float EqQFromPos(int nPos) {
    return EQ_Q_MIN + EQ_Q_STEP * static_cast<float>(nPos);
}

// ---- levels ----

double DbFromLevelStep(int nStep) {
    return (nStep - 128) / 2.0;
}

int LevelStepFromDb(double fDb) {
    if (!std::isfinite(fDb)) return fDb > 0 ? LEVEL_MAX_STEP : 0;
    const double fStep = std::trunc(fDb * 2 + 128);
    return static_cast<int>(std::clamp(fStep, 0.0, static_cast<double>(LEVEL_MAX_STEP)));
}

std::optional<int> LevelStepWithin(double fDb) {
    const double fStep = std::trunc(std::clamp(fDb, -1e6, 1e6) * 2 + 128);
    if (fStep >= 0 && fStep <= LEVEL_MAX_STEP) return static_cast<int>(fStep);
    return std::nullopt;
}

// ---- input sensitivity ----

int SensSliderPos(int nIndex) {
    return nIndex + 1;
}

int SensIndexFromSliderPos(int nPos) {
    return std::clamp(nPos - 1, 0, SENS_MAX_INDEX);
}

// ---- delay ----

int MsToSamples(float fMs) {
    const double fSamples = std::trunc(static_cast<double>(fMs) * DELAY_SAMPLES_PER_MS);
    if (std::isnan(fSamples)) return 0;
    return static_cast<int>(std::clamp(fSamples, 0.0, static_cast<double>(DELAY_MAX_SAMPLES)));
}

double SamplesToMs(int nSamples) {
    return nSamples / static_cast<double>(DELAY_SAMPLES_PER_MS);
}

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
