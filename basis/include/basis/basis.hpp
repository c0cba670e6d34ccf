#pragma once
// The whole basis layer.

#include "basis/error.hpp"
#include "basis/hashable.hpp"
#include "basis/lazy.hpp"
#include "basis/ref.hpp"
#include "basis/semigroup.hpp"
#include "basis/types.hpp"
#include "basis/show.hpp"
#include "basis/functor.hpp"
#include "basis/foldable.hpp"
#include "basis/applicative.hpp"
#include "basis/monad.hpp"
#include "basis/traversable.hpp"
#include "basis/const.hpp"
#include "basis/compose.hpp"
#include "basis/product.hpp"
