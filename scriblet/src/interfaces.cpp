#include "scriblet/internal/interfaces.hpp"

#include <basis/error.hpp>

#include "scriblet/internal/slicing.hpp"

namespace scriblet {

std::string formatArg(const ShortText& t, const FieldFormat& format) {
  if (format.conversion != U's' && format.conversion != U'v') {
    std::string message = "printf: bad formatting char ";
    basis::showCharLiteral(format.conversion, message);
    throw basis::ErrorCall(std::move(message));
  }
  // At most `precision` characters: cut at a code-point boundary.
  ShortText shown = t;
  if (format.precision && *format.precision >= 0) shown = splitAt(*format.precision, t).first;
  std::string out;
  const std::int64_t width = format.width.value_or(0);
  const std::int64_t have = width > 0 ? length(shown) : 0;
  const std::size_t pad = width > have ? static_cast<std::size_t>(width - have) : 0;
  out.reserve(shown.size() + pad);
  if (!format.leftAdjust) out.append(pad, ' ');
  out.append(shown.bytes());
  if (format.leftAdjust) out.append(pad, ' ');
  return out;
}

std::pair<FieldFormat, std::u32string> parseFormat(const ShortText&, std::u32string_view format) {
  if (format.empty()) throw basis::ErrorCall("printf: formatting string ended prematurely");
  FieldFormat f;
  f.conversion = format[0];
  return {f, std::u32string(format.substr(1))};
}

const basis::generic::DataType& shortTextDataType() {
  static const basis::generic::DataType type = basis::generic::mkDataType(
      "Data.Scriblet", {basis::generic::ConstrSpec{"fromString", {}, basis::generic::Fixity::Prefix}});
  return type;
}

const basis::generic::Constr& packConstr() {
  static const basis::generic::Constr c = shortTextDataType().indexConstr(1);
  return c;
}

}  // namespace scriblet
