#pragma once
// Data.Juxtor.Internal: the aligning interfaces with their defaults, the
// merging and padding combinators, and the implementations for lists, zip
// lists, non-empty lists, rose trees, optional values, Identity, Tagged,
// Proxy, functions, sequences, integer and ordered maps, vectors, streams and
// bundles, products and compositions, and hashgrove's hash maps.

#include "juxtor/internal/classes.hpp"
#include "juxtor/internal/combinators.hpp"
#include "juxtor/internal/containers.hpp"
#include "juxtor/internal/errors.hpp"
#include "juxtor/internal/functor.hpp"
#include "juxtor/internal/hash_map.hpp"
#include "juxtor/internal/list.hpp"
#include "juxtor/internal/simple.hpp"
#include "juxtor/internal/stream.hpp"
#include "juxtor/internal/vector.hpp"
