#include "basis/error.hpp"

namespace basis {

std::string prettyCallStack(const CallStack& stack) {
  std::string out = "CallStack (from HasCallStack):";
  for (const CallSite& s : stack.entries) {
    out += "\n  ";
    out += s.function;
    out += ", called at ";
    out += s.file;
    out += ':';
    out += std::to_string(s.startLine);
    out += ':';
    out += std::to_string(s.startColumn);
    out += " in ";
    out += s.package;
    out += ':';
    out += s.module;
  }
  return out;
}

std::string ErrorCall::displayException() const {
  if (stack_.entries.empty()) return message_;
  return message_ + "\n" + prettyCallStack(stack_);
}

void throwErrorCall(const ErrorCall& e) { throw e; }
void throwPatternMatchFail(const PatternMatchFail& e) { throw e; }

}  // namespace basis
