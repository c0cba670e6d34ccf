#include "scriblet/internal/errors.hpp"

#include <basis/generic.hpp>

namespace scriblet::detail {
namespace {

constexpr const char* kInternalModule = "Data.Scriblet.Internal";
constexpr const char* kInternalFile = "src/Data/Scriblet/Internal";
constexpr const char* kPartialModule = "Data.Scriblet.Partial";
constexpr const char* kPartialFile = "src/Data/Scriblet/Partial";

basis::CallStack site(const char* function, const char* package, const char* module,
                      const char* file, int line, int startColumn, int endColumn) {
  return basis::CallStack{
      {basis::CallSite{function, package, module, file, line, startColumn, line, endColumn}},
      false};
}

basis::ErrorCall internalError(const char* message, int line, int from, int to) {
  return basis::ErrorCall(message,
                          site("error", kPackage, kInternalModule, kInternalFile, line, from, to));
}
basis::ErrorCall partialError(const char* message, int line, int from, int to) {
  return basis::ErrorCall(message,
                          site("error", kPackage, kPartialModule, kPartialFile, line, from, to));
}

}  // namespace

const basis::ErrorCall& errorValue(ErrorSite s) {
  switch (s) {
    case ErrorSite::InvalidOffset: {
      static const basis::ErrorCall e = internalError("invalid offset", 1238, 18, 23);
      return e;
    }
    case ErrorSite::InvalidLength: {
      static const basis::ErrorCall e = internalError("invalid length", 1239, 18, 23);
      return e;
    }
    case ErrorSite::FromLitAsciiAddr: {
      static const basis::ErrorCall e = internalError("fromLitAsciiAddr#", 1590, 19, 24);
      return e;
    }
    case ErrorSite::Foldl1: {
      static const basis::ErrorCall e = internalError("foldl1: empty ShortText", 559, 18, 23);
      return e;
    }
    case ErrorSite::Foldl1Strict: {
      static const basis::ErrorCall e = internalError("foldl1: empty ShortText", 587, 18, 23);
      return e;
    }
    case ErrorSite::Foldr1: {
      static const basis::ErrorCall e = internalError("foldr1: empty ShortText", 634, 18, 23);
      return e;
    }
    case ErrorSite::DropAround: {
      static const basis::ErrorCall e =
          internalError("dropAround: the impossible happened", 1225, 30, 35);
      return e;
    }
    case ErrorSite::Gunfold: {
      static const basis::ErrorCall e =
          basis::generic::gunfoldError(kPackage, kInternalModule, kInternalFile, 187, 10, 15);
      return e;
    }
    case ErrorSite::PartialHead: {
      static const basis::ErrorCall e = partialError("head: empty ShortText", 45, 15, 20);
      return e;
    }
    case ErrorSite::PartialTail: {
      static const basis::ErrorCall e = partialError("tail: empty ShortText", 57, 15, 20);
      return e;
    }
    case ErrorSite::PartialInit: {
      static const basis::ErrorCall e = partialError("init: empty ShortText", 69, 15, 20);
      return e;
    }
    case ErrorSite::PartialLast: {
      static const basis::ErrorCall e = partialError("last: empty ShortText", 82, 15, 20);
      return e;
    }
    case ErrorSite::PartialIndex: {
      static const basis::ErrorCall e = partialError("index: not within ShortText", 96, 27, 32);
      return e;
    }
  }
  __builtin_unreachable();
}

void raise(ErrorSite s) { throw errorValue(s); }

const basis::Undefined& filterUndefined() {
  static const basis::Undefined e(
      site("undefined", kPackage, kInternalModule, kInternalFile, 1511, 21, 30));
  return e;
}
void raiseFilterUndefined() { throw filterUndefined(); }

}  // namespace scriblet::detail
