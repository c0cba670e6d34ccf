#pragma once
// stampwell: 128-bit UUID values with their canonical text, word, byte,
// binary and memory-layout forms, version stamping and random generation.

#include "stampwell/internal.hpp"
