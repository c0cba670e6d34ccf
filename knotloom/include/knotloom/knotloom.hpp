#pragma once
// knotloom: fixed points of functors and their recursion schemes.
//
// A recursive structure is tied out of a non-recursive layer type: a functor
// tag F (see basis/functor.hpp) whose `apply<A>` is one layer with children
// of type A. Fix<F> holds the layers, Mu<F> the structure's fold, Nu<F> a
// seed and a step. foldFix / unfoldFix / refold (cata / ana / hylo) consume
// and produce them one layer at a time; foldFixM / unfoldFixM / refoldM run
// the steps in a monad.
//
//   using Nat = knotloom::Fix<basis::OptionalTag>;   // Nothing is zero, Just n is n + 1
//   auto pred = [](int n) { return n == 0 ? std::nullopt : std::optional<int>(n - 1); };
//   Nat three = knotloom::unfoldFix(pred, 3);           // built as it is read
//   int n = knotloom::foldFix([](const std::optional<int>& l) -> int { return l ? *l + 1 : 0; }, three);
//   basis::show(three);  // "Fix (Just (Fix (Just (Fix (Just (Fix Nothing))))))"
//
// How deep each operation goes:
// - freeing any Fix, Mu or Nu: any depth (no nested destructors);
// - foldFix, refold, foldNu, and foldMu of a Mu made by unfoldMu or from a
//   Fix, with an algebra over folded children: any depth (own stack) for a
//   layer whose fmap applies its function during the call (see below for
//   one whose fmap defers it, like basis::List);
// - unfoldFix, hoistFix, hoistFix_, hoistNu, unwrapNu, the Nu-to-Fix
//   conversion: any depth (each layer is built when read, alone);
// - showing, comparing, hashing and deep evaluation of Fix and Nu, and of a
//   Mu whose fold goes to any depth (above): any depth (see interfaces.hpp);
//   a Mu is folded to a Fix first;
// - algebras over deferred children, folds of Mu values made by wrapMu, and
//   the monadic forms: a few C++ frames per layer, so a few thousand layers
//   (5,000 is safe with the default 8 MiB stack even in sanitizer builds);
// - algebras over folded children of a layer whose fmap defers its function
//   (basis::List): each child is folded as the algebra reads it, nesting,
//   so about 5,000 levels (2,000 in sanitizer builds);
// - parsing: nesting beyond a fixed cap yields no parse.

#include "knotloom/fixpoints.hpp"
#include "knotloom/generic.hpp"
#include "knotloom/interfaces.hpp"
#include "knotloom/monadic.hpp"
#include "knotloom/schemes.hpp"
