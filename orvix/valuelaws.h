// The laws between what the user reads and what the processor stores, each written once.
#pragma once

// Delay: milliseconds to centimetres and inches of sound path, rounded to three decimals as shown.
float MsToCm(float fMs);
float CmToMs(float fCm);
float MsToInch(float fMs);
float InchToMs(float fInch);
// x rounded half up to n decimals.
double RoundTo(double x, int n);
