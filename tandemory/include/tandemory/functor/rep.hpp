#pragma once
// Representable functors: functors whose values are complete tables over a
// fixed type of positions (Rep<F>), so that an F A carries the same
// information as a function from Rep<F> to A.
//
//   Representable<F>    the interface: Rep, tabulate(h), index(w, k)
//   tabulate<F>(h)      the F whose value at k is h(k)
//   index(w, k)         the value w holds at k; index(w) awaits the position
//   gtabulate, gindex   the defaults over a basis::Generic1 form (GTabulate,
//                       GIndex over the generic blocks; GenericRepresentable)
//   WrappedRep, unwrapRep
//   the derived operations: tabulated, fmapRep, pureRep, bindRep, mfixRep,
//     mzipWithRep, mzipRep, askRep, localRep, apRep, distributeRep,
//     collectRep, duplicateRepBy, duplicatedRep, duplicateRep, extendRepBy,
//     extendedRep, extendRep, extractRepBy, extractRep, imapRep, ifoldMapRep,
//     itraverseRep, liftR2, liftR3
//   the implementations for Proxy, Identity, Tagged, functions, IdentityT,
//     the outside ReaderT, Compose, the functor Product, Cofree, Backwards,
//     Reverse, Complex, the generic blocks, TracedT and Co
//   Co<F, A>            an F A with F's reader monad and (over a monoid of
//                       positions) comonad
//
// Everything is in namespace tandemory; the interfaces over type constructors
// are basis's (basis::Functor, basis::Monad, ...) specialised for the tags
// here.

#include "tandemory/internal/rep_core.hpp"
#include "tandemory/internal/rep_derived.hpp"
#include "tandemory/internal/rep_instances.hpp"
#include "tandemory/internal/co.hpp"
