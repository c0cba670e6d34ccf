#pragma once
// Data.Juxtor.Indexed: the indexed forms JuxtorWithIndex, ZipWithIndex and
// RepeatWithIndex with basis::FunctorWithIndex (a re-export of
// juxtor/internal.hpp).

#include <basis/functor_with_index.hpp>

#include "juxtor/internal.hpp"
