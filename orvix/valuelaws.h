// The laws between what the user reads (dB, Q, milliseconds, centimetres, inches) and what the
// controls and the processor hold (positions, steps, samples), each written once. The editor, the
// view's control ranges and the tools take them from here.
#pragma once

#include <optional>

// ---- equalizer gain: whole dB on a fader of 25 positions, position 0 at -12 dB ----
constexpr int EQ_GAIN_MIN_DB = -12;
constexpr int EQ_GAIN_MAX_DB = 12;
constexpr int EQ_GAIN_POSITIONS = EQ_GAIN_MAX_DB - EQ_GAIN_MIN_DB + 1;
// What the model accepts from the processor; a typed or stepped gain stays on the fader.
constexpr int EQ_GAIN_STORED_MIN_DB = -15;
constexpr int EQ_GAIN_STORED_MAX_DB = 15;

// A gain kept on the fader's scale.
int ClampEqGain(int nGainDb);
// Whether the fader can show the gain (a stored gain may lie beyond it).
bool EqGainOnFader(int nGainDb);
// The fader position of a gain; a gain beyond the fader takes its nearest end.
int EqGainToPos(int nGainDb);
// The gain of a fader position (any position; the caller checks the range).
int EqGainFromPos(int nPos);

// ---- equalizer bandwidth (Q): 1.0 .. 10.0 in steps of 0.5 on a knob of 19 positions ----
constexpr float EQ_Q_MIN = 1.0f;
constexpr float EQ_Q_MAX = 10.0f;
constexpr float EQ_Q_STEP = 0.5f;
constexpr int EQ_Q_POSITIONS = 19;

float ClampEqQ(float fQ);
double ClampEqQ(double fQ);
// The knob position of a bandwidth: trunc((Q - 1) / 0.5), within the knob's range.
int EqQToPos(float fQ);
// The knob position that shows the bandwidth exactly, or none when it lies between positions or
// beyond the knob.
std::optional<int> EqQExactPos(float fQ);
// The bandwidth of a knob position.
float EqQFromPos(int nPos);

// ---- levels: step v is (v - 128) / 2 dB, 0 .. 128 (-64 dB .. 0 dB) ----
constexpr int LEVEL_MAX_STEP = 128;

double DbFromLevelStep(int nStep);
// The step of a level in dB, truncated toward zero and clamped to 0 .. 128; infinities take the
// nearer end, NaN the lowest step.
int LevelStepFromDb(double fDb);
// The step of a level in dB, or none when it lies outside 0 .. 128 (a typed value outside the
// range leaves the level as it was).
std::optional<int> LevelStepWithin(double fDb);

// ---- input sensitivity: index 0 .. 13 into the volts tables, slider position index + 1 ----
constexpr int SENS_MAX_INDEX = 13;
constexpr int SENS_SLIDER_POSITIONS = SENS_MAX_INDEX + 2;

int SensSliderPos(int nIndex);
// The index of a slider position; position 0 gives index 0 as position 1 does.
int SensIndexFromSliderPos(int nPos);

// ---- crossover frequency: a logarithmic slider of 126 positions from 16 Hz ----
constexpr int XOVER_POSITIONS = 126;

// ---- delay: samples at 48 kHz, 0 .. 8191; milliseconds to centimetres and inches of sound path,
// rounded to three decimals as shown ----
constexpr int DELAY_SAMPLES_PER_MS = 48;
constexpr int DELAY_MAX_SAMPLES = 8191;
constexpr float DELAY_MAX_MS = 22.0f;
constexpr float DELAY_STEP_MS = 0.1f;
// The speaker icons move in whole milliseconds 0 .. 22.
constexpr int DELAY_ICON_POSITIONS = static_cast<int>(DELAY_MAX_MS) + 1;

// Samples of a delay in milliseconds, truncated and clamped to 0 .. 8191.
int MsToSamples(float fMs);
double SamplesToMs(int nSamples);
float MsToCm(float fMs);
float CmToMs(float fCm);
float MsToInch(float fMs);
float InchToMs(float fInch);
// x rounded half up to n decimals.
double RoundTo(double x, int n);
