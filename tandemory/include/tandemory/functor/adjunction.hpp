#pragma once
// Adjoint pairs of functors: a left adjoint F and a right adjoint U (always
// representable) such that functions from F A to B correspond one to one with
// functions from A to U B.
//
//   Adjunction<F>           the interface, keyed by the left adjoint, with
//                           `Right`, unit, counit, leftAdjunct, rightAdjunct
//                           and the AdjunctionDefaults<F> mixin
//   unit<F>(a), counit(x), leftAdjunct<F>(h[, a]), rightAdjunct<F>(h[, x])
//   the derived operations: adjuncted, tabulateAdjunction, indexAdjunction,
//     zapWithAdjunction, splitL, extractL, unsplitL, duplicateL, zipR, unzipR,
//     absurdL, unabsurdL, cozipL, uncozipL
//   the implementations for pairs / functions, Identity, Par1, V1 / U1,
//     IdentityT, EnvT / ReaderT, WriterT / TracedT, Compose, Sum / Product,
//     Free / Cofree, Rec1, GCompose and GSum / GProduct
//
// Laws every implementation keeps: rightAdjunct(leftAdjunct(h)) is h and
// leftAdjunct(rightAdjunct(k)) is k; unit and counit are leftAdjunct and
// rightAdjunct of the identity. Nothing here raises of its own; the caller's
// functions run when the results that need them are read.

#include "tandemory/internal/adjunction_core.hpp"
#include "tandemory/internal/adjunction_instances.hpp"
