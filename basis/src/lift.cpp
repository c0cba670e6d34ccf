#include "basis/lift.hpp"

namespace basis::detail {

// A constructor reference built once and shared.
#define BASIS_CONSTRUCTOR(fn, package, module, occ)                               \
  expr::Exp fn() {                                                                \
    static const expr::Exp e = expr::ConE(expr::mkNameG_d(package, module, occ)); \
    return e;                                                                     \
  }

BASIS_CONSTRUCTOR(conTrue, "ghc-prim", "GHC.Types", "True")
BASIS_CONSTRUCTOR(conFalse, "ghc-prim", "GHC.Types", "False")
BASIS_CONSTRUCTOR(conUnit, "ghc-prim", "GHC.Tuple", "()")
BASIS_CONSTRUCTOR(conNothing, "base", "GHC.Maybe", "Nothing")
BASIS_CONSTRUCTOR(conJust, "base", "GHC.Maybe", "Just")
BASIS_CONSTRUCTOR(conLeft, "base", "Data.Either", "Left")
BASIS_CONSTRUCTOR(conRight, "base", "Data.Either", "Right")
BASIS_CONSTRUCTOR(conThis, "these", "Data.These", "This")
BASIS_CONSTRUCTOR(conThat, "these", "Data.These", "That")
BASIS_CONSTRUCTOR(conThese, "these", "Data.These", "These")
BASIS_CONSTRUCTOR(conIdentity, "base", "Data.Functor.Identity", "Identity")
expr::Exp conLT();
expr::Exp conEQ();
expr::Exp conGT();

BASIS_CONSTRUCTOR(conLT, "ghc-prim", "GHC.Types", "LT")
BASIS_CONSTRUCTOR(conEQ, "ghc-prim", "GHC.Types", "EQ")
BASIS_CONSTRUCTOR(conGT, "ghc-prim", "GHC.Types", "GT")

#undef BASIS_CONSTRUCTOR

expr::Exp conOrdering(Ordering o) { return o == LT ? conLT() : (o == EQ ? conEQ() : conGT()); }

}  // namespace basis::detail
