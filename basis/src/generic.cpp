#include "basis/generic.hpp"

namespace basis::generic {

namespace {

[[noreturn]] void notAlgebraic(const std::string& typeName) {
  throw ErrorCall("Data.Data.dataTypeConstrs is not supported for " + typeName +
                  ", as it is not an algebraic data type.");
}

}  // namespace

DataType mkDataType(std::string name, std::vector<ConstrSpec> constrs) {
  auto* node = new DataType::Node;
  node->name = std::move(name);
  node->rep = DataRep::AlgRep;
  std::int64_t index = 0;
  for (ConstrSpec& c : constrs) {
    auto* cn = new Constr::Node;
    cn->name = Lazy<std::string>(std::move(c.name));
    cn->fields = std::move(c.fields);
    cn->fixity = Lazy<Fixity>(c.fixity);
    cn->index = Lazy<std::int64_t>(++index);
    node->constrs.emplace_back(cn);
  }
  return DataType(Ref<const DataType::Node>(node));
}

DataType mkNoRepType(std::string name) {
  auto* node = new DataType::Node;
  node->name = std::move(name);
  node->rep = DataRep::NoRep;
  return DataType(Ref<const DataType::Node>(node));
}

const std::string& DataType::name() const noexcept { return node_->name; }
DataRep DataType::rep() const noexcept { return node_->rep; }

std::vector<Constr> DataType::constrs() const {
  if (node_->rep != DataRep::AlgRep) notAlgebraic(node_->name);
  std::vector<Constr> out;
  out.reserve(node_->constrs.size());
  for (const auto& c : node_->constrs) out.push_back(Constr(c, node_));
  return out;
}

Constr DataType::indexConstr(std::int64_t i) const {
  if (node_->rep != DataRep::AlgRep) notAlgebraic(node_->name);
  if (i < 1) throw ErrorCall("Prelude.!!: negative index");
  if (static_cast<std::uint64_t>(i) > node_->constrs.size()) {
    throw ErrorCall("Prelude.!!: index too large");
  }
  return Constr(node_->constrs[static_cast<std::size_t>(i - 1)], node_);
}

Constr mkConstr(const DataType& type, Lazy<std::string> name, std::vector<std::string> fields,
                Lazy<Fixity> fixity) {
  auto* node = new Constr::Node;
  node->name = name;
  node->fields = std::move(fields);
  node->fixity = std::move(fixity);
  // The index is found by name among the type's constructors, when asked.
  node->index = Lazy<std::int64_t>::defer([type, name]() -> std::int64_t {
    const std::vector<Constr> cs = type.constrs();
    for (std::size_t i = 0; i < cs.size(); ++i) {
      if (cs[i].showConstr() == name.force()) return static_cast<std::int64_t>(i + 1);
    }
    throw ErrorCall("Data.Data.mkConstr: couldn't find constructor " + name.force());
  });
  return Constr(Ref<const Constr::Node>(node), type.node_);
}

const std::string& Constr::showConstr() const { return node_->name.force(); }
const std::vector<std::string>& Constr::constrFields() const noexcept { return node_->fields; }
Fixity Constr::constrFixity() const { return node_->fixity.force(); }
std::int64_t Constr::constrIndex() const { return node_->index.force(); }
DataType Constr::constrType() const { return DataType(type_); }

const FromJustNothing& gmapQiError() {
  static const FromJustNothing error(CallStack{
      {CallSite{"fromJust", "base", "Data.Data", "libraries/base/Data/Data", 369, 51, 369, 59}},
      false});
  return error;
}

ErrorCall gunfoldError(std::string package, std::string module, std::string file, int line,
                       int startColumn, int endColumn) {
  return ErrorCall("gunfold", CallStack{{CallSite{"error", std::move(package), std::move(module),
                                                  std::move(file), line, startColumn, line,
                                                  endColumn}},
                                        false});
}

}  // namespace basis::generic
