#pragma once
// The error values raised by the libraries: ErrorCall with the raising site,
// pattern-match failures, and the platform's small errors.

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace basis {

// One entry of a call stack: the function called and where it was called.
struct CallSite {
  std::string function;
  std::string package;
  std::string module;
  std::string file;
  int startLine = 0;
  int startColumn = 0;
  int endLine = 0;
  int endColumn = 0;

  friend bool operator==(const CallSite&, const CallSite&) = default;
};

// The raising site of an error, innermost call first. A frozen stack takes no
// further entries.
struct CallStack {
  std::vector<CallSite> entries;
  bool frozen = false;

  friend bool operator==(const CallStack&, const CallStack&) = default;
};

// The platform's rendering of a call stack:
// "CallStack (from HasCallStack):\n  error, called at F:L:C in P:M" per entry.
std::string prettyCallStack(const CallStack& stack);

// Misuse of an operation: `what()` is exactly the message; the call stack
// names the raising site.
class ErrorCall : public std::exception {
 public:
  explicit ErrorCall(std::string message, CallStack stack = {})
      : message_(std::move(message)), stack_(std::move(stack)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }
  const CallStack& callStack() const noexcept { return stack_; }
  // The message followed by the rendered call stack, as the platform prints it.
  std::string displayException() const;

 private:
  std::string message_;
  CallStack stack_;
};

// A pattern that failed to match; `what()` is the message.
class PatternMatchFail : public std::exception {
 public:
  explicit PatternMatchFail(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// `undefined` was evaluated: an ErrorCall with the message "Prelude.undefined".
class Undefined : public ErrorCall {
 public:
  explicit Undefined(CallStack stack = {}) : ErrorCall("Prelude.undefined", std::move(stack)) {}
};

// `fromJust` of nothing: "Maybe.fromJust: Nothing".
class FromJustNothing : public ErrorCall {
 public:
  explicit FromJustNothing(CallStack stack = {})
      : ErrorCall("Maybe.fromJust: Nothing", std::move(stack)) {}
};

// A deferred value that demanded itself while being computed: "<<loop>>".
class NonTermination : public std::exception {
 public:
  const char* what() const noexcept override { return "<<loop>>"; }
};

// Throws the given error value; a small out-of-line helper keeps throw sites
// off hot paths.
[[noreturn]] void throwErrorCall(const ErrorCall& e);
[[noreturn]] void throwPatternMatchFail(const PatternMatchFail& e);

}  // namespace basis
