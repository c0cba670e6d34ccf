#pragma once
// Data.Juxtor: the aligning and zipping interfaces, their implementations and
// the combinators (a re-export of juxtor/internal.hpp).

#include "juxtor/internal.hpp"
