#pragma once
// Runs deep work in isolation: in a forked child, on the main thread's
// default stack or on a thread with a small stack, so that a stack overflow
// fails one test with its signal instead of ending the test program.

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "basis/sanitizer.hpp"

namespace depth_check {

enum class Stack { Default, Small };

inline const char* name(Stack s) { return s == Stack::Default ? "default stack" : "256 KiB thread"; }

// What a check reports: empty when it held, else what went wrong.
using Check = std::function<std::string()>;

namespace detail {
inline std::string runGuarded(const Check& check) {
  try {
    return check();
  } catch (const std::exception& e) {
    return std::string("uncaught exception: ") + e.what();
  } catch (...) {
    return "uncaught exception";
  }
}

struct ThreadRun {
  const Check* check;
  std::string result;
};

inline void* threadMain(void* p) {
  auto* run = static_cast<ThreadRun*>(p);
  run->result = runGuarded(*run->check);
  return nullptr;
}

inline std::string onSmallStack(const Check& check) {
  ThreadRun run{&check, {}};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, std::size_t{256} << 10);
  pthread_t thread;
  if (pthread_create(&thread, &attr, &threadMain, &run) != 0) return "pthread_create failed";
  pthread_attr_destroy(&attr);
  pthread_join(thread, nullptr);
  return run.result;
}
// Everything a child writes to `fd` until it closes it.
inline std::string readAll(int fd) {
  std::string out;
  char buf[512];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  return out;
}

}  // namespace detail

// Runs `check` in a forked child on the chosen stack; returns its report, or
// the signal or exit status that ended the child.
inline std::string isolated(Stack stack, const Check& check) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(fds[0]);
    const std::string report =
        stack == Stack::Default ? detail::runGuarded(check) : detail::onSmallStack(check);
    const char* p = report.data();
    std::size_t left = report.size();
    while (left > 0) {
      const ssize_t n = write(fds[1], p, left);
      if (n <= 0) break;
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    close(fds[1]);
    std::_Exit(report.empty() ? 0 : 1);
  }
  close(fds[1]);
  const std::string report = detail::readAll(fds[0]);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return std::string("killed by signal ") + strsignal(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && report.empty()) {
    return "exit status " + std::to_string(WEXITSTATUS(status));
  }
  return report;
}

// A table row: a name and the check to run at depth.
struct Case {
  const char* name;
  Check check;
};

// Runs every case isolated on each stack; what failed, a line per case and
// stack ("" when every case held).
inline std::string failuresOnEveryStack(const std::vector<Case>& cases) {
  std::string failures;
  for (Stack stack : {Stack::Default, Stack::Small}) {
    for (const Case& c : cases) {
      const std::string report = isolated(stack, c.check);
      if (!report.empty()) failures += std::string(c.name) + " on the " + name(stack) + ": " + report + "\n";
    }
  }
  return failures;
}

// What a check reports for a value: empty when `got` is `want`.
inline std::string expectEq(std::int64_t got, std::int64_t want) {
  return got == want ? "" : "got " + std::to_string(got) + ", want " + std::to_string(want);
}

// A check that `run` throws std::runtime_error("bottom") each of two times
// it runs (a value that failed once fails again the same way).
template <class Run>
std::string expectBottom(Run run) {
  for (int demand = 0; demand < 2; ++demand) {
    try {
      run();
      return "no exception";
    } catch (const std::runtime_error& e) {
      if (std::string(e.what()) != "bottom") return std::string("message ") + e.what();
    }
  }
  return "";
}

// Whether a sanitizer build runs: deep cases then take a tenth of the depth
// where the plain build's depth would take more than a few seconds.
constexpr bool kSanitized =
#if defined(BASIS_ASAN) || defined(BASIS_TSAN)
    true;
#else
    false;
#endif

}  // namespace depth_check
