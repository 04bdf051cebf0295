#pragma once

#include "numeric/approx_model.h"

namespace quorvel {

// Whether this processor's own instructions give exactly a maker's model's results, so that
// frames drawn with the model can use them at full speed: on a processor of that maker they
// do. Checked once per model, over every input the fingerprint covers (each mantissa of
// [1, 4), which holds every table entry) and every sign and exponent with zeros, denormals,
// infinities and NaNs; a few milliseconds.
bool nativeGivesModel(const ApproxModel& model);

// Whether the eight-lane reciprocal square root computed from this processor's estimate
// (Intel's rounding of 1/sqrt at each bucket's middle) gives exactly a model's results here:
// checked for every bucket of every normal exponent, a few milliseconds.
bool computedGivesModel(const ApproxModel& model);

// `model`, or this processor's own instructions where they give exactly its results, or else
// `model` with its reciprocal square root computed where that does.
const ApproxModel& fastestEquivalent(const ApproxModel& model);

}  // namespace quorvel
