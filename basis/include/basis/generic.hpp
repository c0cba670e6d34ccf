#pragma once
// basis::generic: what generic code sees of a value.
//
//  - DataType and Constr: descriptions of a type (name; algebraic with its
//    constructors, or not algebraic) and of a constructor (name, field
//    names, fixity, index 1.. within its type). A constructor's name and
//    fixity may be deferred: they are computed, and may throw, only when
//    asked for.
//  - TypeRep: a type's identity, a type constructor applied to arguments.
//  - Data<T>: the one-layer generic operations (toConstr, dataTypeOf,
//    gfoldl, gunfold, gmapT, gmapQ, gmapQl, gmapQr, gmapQi, gmapM, gmapMp,
//    gmapMo). A specialisation supplies `dataTypeOf`, `toConstr`, `fields(x)`
//    (its children as a std::tuple) and `fromFields(children...)`, plus
//    `gunfold`, and inherits DataDefaults<T> for the rest. The operations are
//    templates over the caller's function, which is called with each child at
//    the child's own type (write it as a generic lambda).
//  - Generic<T>: a value's representation (`from`, `to`) with the names of
//    its constructor and fields.

#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/error.hpp"
#include "basis/lazy.hpp"
#include "basis/monad.hpp"
#include "basis/monad_plus.hpp"
#include "basis/ref.hpp"
#include "basis/types.hpp"

namespace basis {
template <class T>
struct Data;
template <class T>
struct Generic;
template <class T>
struct DataDefaults;
}  // namespace basis

namespace basis::generic {

enum class Fixity : unsigned char { Prefix, Infix };
enum class DataRep : unsigned char { AlgRep, NoRep };

class Constr;

// A constructor as a type describes it when it is made.
struct ConstrSpec {
  std::string name;
  std::vector<std::string> fields;
  Fixity fixity = Fixity::Prefix;
};

// The description of a type. Copies share one description; it lives as long
// as a copy or one of its constructors does.
class DataType {
 public:
  // dataTypeName.
  const std::string& name() const noexcept;
  DataRep rep() const noexcept;
  bool isAlgType() const noexcept { return rep() == DataRep::AlgRep; }
  // dataTypeConstrs: the constructors in order. Throws ErrorCall "Data.Data.
  // dataTypeConstrs is not supported for NAME, as it is not an algebraic
  // data type." for a type that is not algebraic.
  std::vector<Constr> constrs() const;
  // indexConstr: the constructor with index i (from 1). Throws ErrorCall for
  // an index out of range or a type that is not algebraic.
  Constr indexConstr(std::int64_t i) const;
  // The same description (identity, not equality of contents).
  friend bool operator==(const DataType& a, const DataType& b) noexcept {
    return a.node_ == b.node_;
  }

  struct Node;

 private:
  friend DataType mkDataType(std::string, std::vector<ConstrSpec>);
  friend DataType mkNoRepType(std::string);
  friend class Constr;
  friend Constr mkConstr(const DataType&, Lazy<std::string>, std::vector<std::string>,
                         Lazy<Fixity>);
  explicit DataType(Ref<const Node> n) noexcept;
  Ref<const Node> node_;
};

// An algebraic type with these constructors, indexed from 1. O(constructors).
DataType mkDataType(std::string name, std::vector<ConstrSpec> constrs);
// A type with no constructor view (an atomic value).
DataType mkNoRepType(std::string name);

class Constr {
 public:
  // showConstr: the name (computing a deferred name; what that throws
  // passes through).
  const std::string& showConstr() const;
  // constrFields: the field names (empty for a constructor without records).
  const std::vector<std::string>& constrFields() const noexcept;
  // constrFixity (computing a deferred fixity; what that throws passes
  // through).
  Fixity constrFixity() const;
  // constrIndex: the index from 1 within its type. A constructor made by
  // mkConstr finds its index by name among its type's constructors: for a
  // type that is not algebraic this throws the dataTypeConstrs error, for a
  // name the type lacks ErrorCall "Data.Data.mkConstr: couldn't find
  // constructor NAME".
  std::int64_t constrIndex() const;
  // constrType: the type it belongs to.
  DataType constrType() const;
  // Equal when their indices are (as the platform compares constructors).
  friend bool operator==(const Constr& a, const Constr& b) {
    return a.constrIndex() == b.constrIndex();
  }

  struct Node;

 private:
  friend DataType mkDataType(std::string, std::vector<ConstrSpec>);
  friend Constr mkConstr(const DataType&, Lazy<std::string>, std::vector<std::string>,
                         Lazy<Fixity>);
  friend class DataType;
  Constr(Ref<const Node> n, Ref<const DataType::Node> type) noexcept;
  Ref<const Node> node_;
  Ref<const DataType::Node> type_;  // keeps the type alive
};

struct DataType::Node : RefCounted {
  std::string name;
  DataRep rep = DataRep::NoRep;
  std::vector<Ref<const Constr::Node>> constrs;
};

struct Constr::Node : RefCounted {
  Lazy<std::string> name;
  std::vector<std::string> fields;
  Lazy<Fixity> fixity;
  Lazy<std::int64_t> index;
};

inline DataType::DataType(Ref<const Node> n) noexcept : node_(std::move(n)) {}
inline Constr::Constr(Ref<const Node> n, Ref<const DataType::Node> type) noexcept
    : node_(std::move(n)), type_(std::move(type)) {}

// A constructor of `type` made after the type, possibly per value: its name
// and fixity may be deferred values, computed when first asked for.
Constr mkConstr(const DataType& type, Lazy<std::string> name, std::vector<std::string> fields,
                Lazy<Fixity> fixity);

// ---------------------------------------------------------------------------
// Type identities.

// A type constructor (with its module) applied to argument types.
struct TypeRep {
  std::string tyCon;
  std::string module;
  std::vector<TypeRep> args;
  friend bool operator==(const TypeRep&, const TypeRep&) = default;
};
inline TypeRep mkTyConApp(std::string tyCon, std::string module, std::vector<TypeRep> args = {}) {
  return TypeRep{std::move(tyCon), std::move(module), std::move(args)};
}

// Typeable<T>: `static TypeRep typeRep()` names T's type.
template <class T>
struct Typeable;
template <class T>
TypeRep typeRep() {
  return Typeable<T>::typeRep();
}

// The platform's names of the standard types.
template <class T>
  requires(std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t> ||
           std::is_same_v<T, bool> || std::is_same_v<T, char32_t> || std::is_same_v<T, double>)
struct Typeable<T> {
  static TypeRep typeRep() {
    const char* name = std::is_same_v<T, std::int64_t>    ? "Int"
                       : std::is_same_v<T, std::uint64_t> ? "Word"
                       : std::is_same_v<T, bool>          ? "Bool"
                       : std::is_same_v<T, char32_t>      ? "Char"
                                                          : "Double";
    return mkTyConApp(name, "GHC.Types");
  }
};
template <>
struct Typeable<Unit> {
  static TypeRep typeRep() { return mkTyConApp("()", "GHC.Tuple"); }
};
template <class T>
struct Typeable<std::vector<T>> {
  static TypeRep typeRep() { return mkTyConApp("[]", "GHC.Types", {generic::typeRep<T>()}); }
};
template <>
struct Typeable<std::u32string> {
  static TypeRep typeRep() { return generic::typeRep<std::vector<char32_t>>(); }
};
template <class A, class B>
struct Typeable<std::pair<A, B>> {
  static TypeRep typeRep() {
    return mkTyConApp("(,)", "GHC.Tuple", {generic::typeRep<A>(), generic::typeRep<B>()});
  }
};
template <class T>
struct Typeable<std::optional<T>> {
  static TypeRep typeRep() { return mkTyConApp("Maybe", "GHC.Maybe", {generic::typeRep<T>()}); }
};

// The type constructors behind basis's own tags (a tag with parameters is the
// constructor applied to them), so that a type built over a tag, such as a
// fixed point of a layer, has a type identity. The tags are only named here:
// their headers need not be included.
}  // namespace basis::generic
namespace basis {
struct OptionalTag;
struct VectorTag;
struct ListTag;
struct IdentityTag;
struct ProxyTag;
struct PredicateTag;
struct IOTag;
struct Par1Tag;
struct U1Tag;
struct V1Tag;
struct TreeTag;
struct ComplexTag;
struct BoxedVectorTag;
struct SeqTag;
struct NonEmptyTag;
struct ZipListTag;
struct IntMapTag;
struct DualTag;
struct SumTag;
struct ProductTag;
struct EitherTag;
struct TheseTag;
struct PairTag;
struct ConstTag;
template <class A>
struct EitherOf;
template <class A>
struct TheseOf;
template <class A>
struct PairOf;
template <class A>
struct FunctionFrom;
template <class A>
struct OpOf;
template <class A>
struct TaggedOf;
template <class A>
struct ConstOf;
template <class A>
struct Rec1Of;
template <class A>
struct M1Of;
template <class A>
struct StreamOf;
template <class A>
struct BundleOf;
template <class A>
struct IdentityTOf;
template <class A>
struct BackwardsOf;
template <class A>
struct ReverseOf;
template <class A>
struct CofreeOf;
template <class A>
struct FreeOf;
template <class A>
struct MapOf;
template <class A, class B>
struct ComposeOf;
template <class A, class B>
struct SumOf;
template <class A, class B>
struct ProductOf;
template <class A, class B>
struct GProductOf;
template <class A, class B>
struct GSumOf;
template <class A, class B>
struct GComposeOf;
template <class A, class B>
struct ReaderTOf;
template <class A, class B>
struct WriterTOf;
template <class A, class B>
struct EnvTOf;
template <class A, class B>
struct TracedTOf;
}  // namespace basis
namespace basis::generic {
namespace detail {
// A tag's constructor and module, and its parameters' identities.
template <class... Params>
TypeRep tagTypeRep(const char* tyCon, const char* module) {
  return mkTyConApp(tyCon, module, {generic::typeRep<Params>()...});
}
}  // namespace detail
template <>
struct Typeable<OptionalTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Maybe", "GHC.Maybe"); }
};
template <>
struct Typeable<VectorTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("[]", "GHC.Types"); }
};
template <>
struct Typeable<ListTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("[]", "GHC.Types"); }
};
template <>
struct Typeable<IdentityTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Identity", "Data.Functor.Identity"); }
};
template <>
struct Typeable<ProxyTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Proxy", "Data.Proxy"); }
};
template <>
struct Typeable<PredicateTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Predicate", "Data.Functor.Contravariant"); }
};
template <>
struct Typeable<IOTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("IO", "GHC.Types"); }
};
template <>
struct Typeable<Par1Tag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Par1", "GHC.Generics"); }
};
template <>
struct Typeable<U1Tag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("U1", "GHC.Generics"); }
};
template <>
struct Typeable<V1Tag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("V1", "GHC.Generics"); }
};
template <>
struct Typeable<TreeTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Tree", "Data.Tree"); }
};
template <>
struct Typeable<ComplexTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Complex", "Data.Complex"); }
};
template <>
struct Typeable<BoxedVectorTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Vector", "Data.Vector"); }
};
template <>
struct Typeable<SeqTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Seq", "Data.Sequence.Internal"); }
};
template <>
struct Typeable<NonEmptyTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("NonEmpty", "GHC.Base"); }
};
template <>
struct Typeable<ZipListTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("ZipList", "Control.Applicative"); }
};
template <>
struct Typeable<IntMapTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("IntMap", "Data.IntMap.Internal"); }
};
template <>
struct Typeable<DualTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Dual", "Data.Semigroup.Internal"); }
};
template <>
struct Typeable<SumTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Sum", "Data.Semigroup.Internal"); }
};
template <>
struct Typeable<ProductTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Product", "Data.Semigroup.Internal"); }
};
template <>
struct Typeable<EitherTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Either", "Data.Either"); }
};
template <>
struct Typeable<TheseTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("These", "Data.These"); }
};
template <>
struct Typeable<PairTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("(,)", "GHC.Tuple"); }
};
template <>
struct Typeable<ConstTag> {
  static TypeRep typeRep() { return detail::tagTypeRep<>("Const", "Data.Functor.Const"); }
};
template <class A>
struct Typeable<EitherOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Either", "Data.Either"); }
};
template <class A>
struct Typeable<TheseOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("These", "Data.These"); }
};
template <class A>
struct Typeable<PairOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("(,)", "GHC.Tuple"); }
};
template <class A>
struct Typeable<FunctionFrom<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("FUN", "GHC.Prim"); }
};
template <class A>
struct Typeable<OpOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Op", "Data.Functor.Contravariant"); }
};
template <class A>
struct Typeable<TaggedOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Tagged", "Data.Tagged"); }
};
template <class A>
struct Typeable<ConstOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Const", "Data.Functor.Const"); }
};
template <class A>
struct Typeable<Rec1Of<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Rec1", "GHC.Generics"); }
};
template <class A>
struct Typeable<M1Of<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("M1", "GHC.Generics"); }
};
template <class A>
struct Typeable<StreamOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Stream", "Data.Vector.Fusion.Stream.Monadic"); }
};
template <class A>
struct Typeable<BundleOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Bundle", "Data.Vector.Fusion.Bundle.Monadic"); }
};
template <class A>
struct Typeable<IdentityTOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("IdentityT", "Control.Monad.Trans.Identity"); }
};
template <class A>
struct Typeable<BackwardsOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Backwards", "Control.Applicative.Backwards"); }
};
template <class A>
struct Typeable<ReverseOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Reverse", "Data.Functor.Reverse"); }
};
template <class A>
struct Typeable<CofreeOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Cofree", "Control.Comonad.Cofree"); }
};
template <class A>
struct Typeable<FreeOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Free", "Control.Monad.Free"); }
};
template <class A>
struct Typeable<MapOf<A>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A>("Map", "Data.Map.Internal"); }
};
template <class A, class B>
struct Typeable<ComposeOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("Compose", "Data.Functor.Compose"); }
};
template <class A, class B>
struct Typeable<SumOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("Sum", "Data.Functor.Sum"); }
};
template <class A, class B>
struct Typeable<ProductOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("Product", "Data.Functor.Product"); }
};
template <class A, class B>
struct Typeable<GProductOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>(":*:", "GHC.Generics"); }
};
template <class A, class B>
struct Typeable<GSumOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>(":+:", "GHC.Generics"); }
};
template <class A, class B>
struct Typeable<GComposeOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>(":.:", "GHC.Generics"); }
};
template <class A, class B>
struct Typeable<ReaderTOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("ReaderT", "Control.Monad.Trans.Reader"); }
};
template <class A, class B>
struct Typeable<WriterTOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("WriterT", "Control.Monad.Trans.Writer.Lazy"); }
};
template <class A, class B>
struct Typeable<EnvTOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("EnvT", "Control.Comonad.Trans.Env"); }
};
template <class A, class B>
struct Typeable<TracedTOf<A, B>> {
  static TypeRep typeRep() { return detail::tagTypeRep<A, B>("TracedT", "Control.Comonad.Trans.Traced"); }
};

// ---------------------------------------------------------------------------
// Errors of the one-layer operations.

// The error `gmapQi` raises for an index without a child: the platform's
// fromJust failure raised from Data.Data (a constant).
const FromJustNothing& gmapQiError();
// The error `gunfold` raises for a constructor index the type lacks: an
// ErrorCall "gunfold" raised by `error` at the given site.
ErrorCall gunfoldError(std::string package, std::string module, std::string file, int line,
                       int startColumn, int endColumn);

// ---------------------------------------------------------------------------
// Data<T> and its defaults.

// The children of a T, as a std::tuple.
template <class T>
using FieldsOf = std::remove_cvref_t<decltype(Data<T>::fields(std::declval<const T&>()))>;

namespace detail {

// The constructor of T as a curried function of its children.
template <class T, class Done, class... Rest>
struct Curried;
template <class T, class... Done>
struct Curried<T, std::tuple<Done...>> {
  static auto make(std::tuple<Done...> done) {
    return std::apply([](auto&&... xs) { return Data<T>::fromFields(std::move(xs)...); },
                      std::move(done));
  }
};
template <class T, class... Done, class Next, class... Rest>
struct Curried<T, std::tuple<Done...>, Next, Rest...> {
  static auto make(std::tuple<Done...> done) {
    return [done = std::move(done)](Next next) {
      return Curried<T, std::tuple<Done..., Next>, Rest...>::make(
          std::tuple_cat(done, std::tuple<Next>(std::move(next))));
    };
  }
};
template <class T, class Fields>
struct ConstructorOf;
template <class T, class... Fs>
struct ConstructorOf<T, std::tuple<Fs...>> {
  static auto make() { return Curried<T, std::tuple<>, Fs...>::make(std::tuple<>()); }
};

template <class F, class Tuple>
struct QueryResult;
template <class F, class F0, class... Fs>
struct QueryResult<F, std::tuple<F0, Fs...>> {
  using type = std::common_type_t<std::invoke_result_t<F&, const F0&>,
                                  std::invoke_result_t<F&, const Fs&>...>;
};

// A marker: deduce the result type from the children.
struct Deduced {};
template <class R, class F, class Fields>
struct ResultOr {
  using type = R;
};
template <class F, class Fields>
struct ResultOr<Deduced, F, Fields> {
  static_assert(std::tuple_size_v<Fields> > 0,
                "a value without children cannot tell the result type: name it");
  using type = typename QueryResult<F, Fields>::type;
};

}  // namespace detail

}  // namespace basis::generic

namespace basis {

// The one-layer operations, from `fields`, `fromFields`, `toConstr`.
template <class T>
struct DataDefaults {
  // The children's types, known once Data<T> is complete.
  template <class U = T>
  using Fields = generic::FieldsOf<U>;
  template <class U = T>
  static constexpr std::size_t arity = std::tuple_size_v<generic::FieldsOf<U>>;

  // k(...k(z(c), d1)..., dn): z gets the constructor as a curried function
  // of the children (the value itself when there are none), k the
  // accumulated result and each child in order.
  template <class K, class Z>
  static auto gfoldl(K&& k, Z&& z, const T& x) {
    if constexpr (arity<> == 0) {
      return std::forward<Z>(z)(x);
    } else {
      Fields<> fs = Data<T>::fields(x);
      return std::apply(
          [&](auto&... children) {
            auto acc = z(generic::detail::ConstructorOf<T, Fields<>>::make());
            return foldChildren(k, std::move(acc), children...);
          },
          fs);
    }
  }

  // k(...k(z(c)...)) once per child, k given the accumulated result and
  // std::type_identity of the child's type (which it must build).
  template <class K, class Z>
  static auto gunfoldWith(K&& k, Z&& z) {
    auto acc = std::forward<Z>(z)(generic::detail::ConstructorOf<T, Fields<>>::make());
    return unfoldChildren<0>(k, std::move(acc));
  }

  // The value rebuilt from f applied to each child; a value without
  // children comes back unchanged and f is not called.
  template <class F>
  static T gmapT(F&& f, const T& x) {
    if constexpr (arity<> == 0) {
      return x;
    } else {
      return std::apply([&](const auto&... cs) { return Data<T>::fromFields(f(cs)...); },
                        Data<T>::fields(x));
    }
  }

  // f applied to each child, in order. R names the result type when T has no
  // children.
  template <class R = generic::detail::Deduced, class F>
  static auto gmapQ(F&& f, const T& x) {
    using Out = typename generic::detail::ResultOr<R, F, Fields<>>::type;
    std::vector<Out> out;
    out.reserve(arity<>);
    std::apply([&](const auto&... cs) { (out.push_back(f(cs)), ...); }, Data<T>::fields(x));
    return out;
  }

  // o(...o(o(r, f(d1)), f(d2))..., f(dn)).
  template <class O, class R, class F>
  static R gmapQl(O&& o, R r, F&& f, const T& x) {
    std::apply([&](const auto&... cs) { ((r = o(std::move(r), f(cs))), ...); },
               Data<T>::fields(x));
    return r;
  }
  // o(f(d1), o(f(d2), ... o(f(dn), r))).
  template <class O, class R, class F>
  static R gmapQr(O&& o, R r, F&& f, const T& x) {
    Fields<> fs = Data<T>::fields(x);
    return foldRight<arity<>>(o, std::move(r), f, fs);
  }

  // f applied to child i (from 0); throws gmapQiError() when there is none.
  template <class R = generic::detail::Deduced, class F>
  static auto gmapQi(std::int64_t i, F&& f, const T& x) {
    using Out = typename generic::detail::ResultOr<R, F, Fields<>>::type;
    std::optional<Out> out;
    std::int64_t at = 0;
    std::apply(
        [&](const auto&... cs) {
          ((at++ == i ? (void)out.emplace(f(cs)) : (void)0), ...);
        },
        Data<T>::fields(x));
    if (!out) throw generic::gmapQiError();
    return std::move(*out);
  }

  // In the monad M: f applied to each child in order, then the value rebuilt
  // from the results; a value without children is returned as it is.
  template <class M, class F>
  static auto gmapM(F&& f, const T& x) {
    if constexpr (arity<> == 0) {
      return Monad<M>::return_(x);
    } else {
      Fields<> fs = Data<T>::fields(x);
      return bindChildren<M, 0>(f, fs, std::tuple<>());
    }
  }

  // In the monad with choice M: every way of transforming at least one child
  // by f (a child f fails on stays as it was); failure when none.
  template <class M, class F>
  static auto gmapMp(F&& f, const T& x) {
    return transformSome<M, false>(f, x);
  }
  // The same, transforming exactly one child: the first one f succeeds on.
  template <class M, class F>
  static auto gmapMo(F&& f, const T& x) {
    return transformSome<M, true>(f, x);
  }

 private:
  template <class K, class Acc>
  static auto foldChildren(K&, Acc acc) {
    return acc;
  }
  template <class K, class Acc, class C, class... Cs>
  static auto foldChildren(K& k, Acc acc, C& c, Cs&... cs) {
    return foldChildren(k, k(std::move(acc), c), cs...);
  }

  template <std::size_t I, class K, class Acc>
  static auto unfoldChildren(K& k, Acc acc) {
    if constexpr (I == arity<>) {
      return acc;
    } else {
      using Child = std::tuple_element_t<I, Fields<>>;
      return unfoldChildren<I + 1>(k, k(std::move(acc), std::type_identity<Child>{}));
    }
  }

  template <std::size_t N, class O, class R, class F, class Fs>
  static R foldRight(O& o, R r, F& f, const Fs& fs) {
    if constexpr (N == 0) {
      return r;
    } else {
      R inner = foldRight<N - 1>(o, std::move(r), f, fs);
      return o(f(std::get<arity<> - N>(fs)), std::move(inner));
    }
  }
  // foldRight<N> folds the last N children; written so that the first child
  // is the outermost application.

  template <class M, std::size_t I, class F, class Fs, class Done>
  static auto bindChildren(F& f, const Fs& fs, Done done) {
    if constexpr (I == arity<>) {
      return Monad<M>::return_(
          std::apply([](auto&&... xs) { return Data<T>::fromFields(std::move(xs)...); },
                     std::move(done)));
    } else {
      return Monad<M>::bind(f(std::get<I>(fs)), [&f, &fs, done](const auto& y) {
        return bindChildren<M, I + 1>(f, fs, std::tuple_cat(done, std::make_tuple(y)));
      });
    }
  }

  template <class M, bool once, class F>
  static auto transformSome(F& f, const T& x) {
    if constexpr (arity<> == 0) {
      // (x, unchanged), then failure: f is never called.
      auto start = Monad<M>::return_(std::make_pair(x, false));
      return Monad<M>::bind(start, [](const std::pair<T, bool>&) {
        return MonadPlus<M>::template mzero<T>();
      });
    } else {
      Fields<> fs = Data<T>::fields(x);
      auto start = Monad<M>::return_(std::make_pair(std::tuple<>(), false));
      auto all = stepChildren<M, once, 0>(f, fs, std::move(start));
      return Monad<M>::bind(all, [](const auto& state) {
        if (!state.second) return MonadPlus<M>::template mzero<T>();
        return Monad<M>::return_(std::apply(
            [](const auto&... xs) { return Data<T>::fromFields(xs...); }, state.first));
      });
    }
  }

  // Threads (children so far, changed?) through the children: each child
  // is either f's result (marked changed) or itself (mark kept), combined by
  // mplus; with `once`, a state already changed keeps the child as it is.
  template <class M, bool once, std::size_t I, class F, class Fs, class State>
  static auto stepChildren(F& f, const Fs& fs, State states) {
    if constexpr (I == arity<>) {
      return states;
    } else {
      using Child = std::tuple_element_t<I, Fields<>>;
      auto next = Monad<M>::bind(states, [&f, &fs](const auto& state) {
        const Child& child = std::get<I>(fs);
        auto keep = [&] {
          return Monad<M>::return_(
              std::make_pair(std::tuple_cat(state.first, std::tuple<Child>(child)), state.second));
        };
        using Next = decltype(std::make_pair(
            std::tuple_cat(state.first, std::tuple<Child>(child)), false));
        if (once && state.second) return keep();
        auto changed = Monad<M>::bind(f(child), [&state](const Child& y) {
          return Monad<M>::return_(Next(std::tuple_cat(state.first, std::tuple<Child>(y)), true));
        });
        return MonadPlus<M>::mplus(std::move(changed), keep());
      });
      return stepChildren<M, once, I + 1>(f, fs, std::move(next));
    }
  }
};

}  // namespace basis

namespace basis::generic {

// The free forms of the operations.
template <class T>
DataType dataTypeOf(const T& x) {
  return Data<T>::dataTypeOf(x);
}
template <class T>
Constr toConstr(const T& x) {
  return Data<T>::toConstr(x);
}
template <class F, class T>
T gmapT(F&& f, const T& x) {
  return Data<T>::gmapT(std::forward<F>(f), x);
}
template <class R = detail::Deduced, class F, class T>
auto gmapQ(F&& f, const T& x) {
  return Data<T>::template gmapQ<R>(std::forward<F>(f), x);
}
template <class R = detail::Deduced, class F, class T>
auto gmapQi(std::int64_t i, F&& f, const T& x) {
  return Data<T>::template gmapQi<R>(i, std::forward<F>(f), x);
}

// ---------------------------------------------------------------------------
// Generic<T>: a value's representation.
//
// A specialisation supplies `using Rep = ...;`, `static Rep from(const T&)`,
// `static T to(Rep)`, and the constants `datatypeName`, `constructorName`
// and `fieldNames` (an array of field names, empty for a constructor
// without records).

template <class T>
concept GenericType = requires(const T& x) {
  typename Generic<T>::Rep;
  { Generic<T>::from(x) } -> std::same_as<typename Generic<T>::Rep>;
  { Generic<T>::to(Generic<T>::from(x)) } -> std::same_as<T>;
};

template <class T>
auto from(const T& x) {
  return Generic<T>::from(x);
}
template <class T>
T to(typename Generic<T>::Rep rep) {
  return Generic<T>::to(std::move(rep));
}

}  // namespace basis::generic
