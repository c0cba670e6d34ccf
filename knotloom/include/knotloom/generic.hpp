#pragma once
// The generic representation and the generic data interface of Fix.
//
// Fix<F> has one constructor, Fix, with one field, unFix, holding the layer.
// - basis::Generic<Fix<F>>: the representation is the layer as held (a
//   basis::Lazy), so `from` and `to` neither copy a layer nor compute one.
// - basis::Data<Fix<F>>: the one-layer operations see the layer as the one
//   child, read with the layer's own basis::Data; needs basis::Data of
//   `Apply<F, Fix<F>>`. gmapQi with an index other than 0 throws
//   basis::generic::gmapQiError() (the platform's fromJust failure raised
//   from Data.Data). dataCast1 and dataCast2 are always absent.
// - basis::generic::Typeable<Fix<F>>: `Fix` of module Knotloom applied to the
//   type identity of F (basis::generic::Typeable<F>, which the layer's owner
//   supplies for the tag).

#include <array>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include <basis/generic.hpp>

#include "knotloom/fixpoints.hpp"

template <class F>
struct basis::Generic<knotloom::Fix<F>> {
  using Rep = basis::Lazy<typename knotloom::Fix<F>::Layer>;
  static constexpr std::string_view datatypeName = "Fix";
  static constexpr std::string_view constructorName = "Fix";
  static constexpr std::array<std::string_view, 1> fieldNames{"unFix"};

  // The layer as held. O(1); computes nothing.
  static Rep from(const knotloom::Fix<F>& x) { return x.lazyLayer(); }
  // The Fix holding the layer. O(1); computes nothing.
  static knotloom::Fix<F> to(Rep rep) { return knotloom::Fix<F>(std::move(rep)); }
};

template <class F>
struct basis::generic::Typeable<knotloom::Fix<F>> {
  static TypeRep typeRep() { return mkTyConApp("Fix", "Knotloom", {Typeable<F>::typeRep()}); }
};

template <class F>
struct basis::Data<knotloom::Fix<F>> : basis::DataDefaults<knotloom::Fix<F>> {
  using Layer = typename knotloom::Fix<F>::Layer;

  // "Knotloom.Fix", algebraic, with the one constructor Fix {unFix}.
  static const generic::DataType& type() {
    static const generic::DataType t =
        generic::mkDataType("Knotloom.Fix", {{"Fix", {"unFix"}, generic::Fixity::Prefix}});
    return t;
  }
  static generic::DataType dataTypeOf(const knotloom::Fix<F>&) { return type(); }
  static generic::Constr toConstr(const knotloom::Fix<F>&) { return type().indexConstr(1); }

  // The one child: the layer (computed if it was deferred).
  static std::tuple<Layer> fields(const knotloom::Fix<F>& x) { return std::tuple<Layer>(x.unFix()); }
  static knotloom::Fix<F> fromFields(Layer layer) { return knotloom::Fix<F>(std::move(layer)); }

  // k applied to z(Fix); the constructor description is not looked at.
  template <class K, class Z>
  static auto gunfold(K&& k, Z&& z, const generic::Constr&) {
    return basis::DataDefaults<knotloom::Fix<F>>::gunfoldWith(std::forward<K>(k), std::forward<Z>(z));
  }

  // Fix is not a type constructor of one or two type arguments over data:
  // the casts are always absent.
  template <class... Args>
  static std::nullopt_t dataCast1(Args&&...) noexcept {
    return std::nullopt;
  }
  template <class... Args>
  static std::nullopt_t dataCast2(Args&&...) noexcept {
    return std::nullopt;
  }
};
