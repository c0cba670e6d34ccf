#pragma once
// A UUID's representation and every operation on it: words, bytes, version
// stamping, the canonical text, hashing, and the standard interfaces.

#include "stampwell/internal/binary_form.hpp"
#include "stampwell/internal/builder.hpp"
#include "stampwell/internal/canonical_text.hpp"
#include "stampwell/internal/deep_evaluation.hpp"
#include "stampwell/internal/expression.hpp"
#include "stampwell/internal/generic.hpp"
#include "stampwell/internal/hashing.hpp"
#include "stampwell/internal/memory_layout.hpp"
#include "stampwell/internal/random.hpp"
#include "stampwell/internal/record_text.hpp"
#include "stampwell/internal/representation.hpp"
