// libbasis loaded by dlopen (through a module that uses it) and closed while
// a thread that used it still runs. This program does not link libbasis.

#include <gtest/gtest.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <pthread.h>
#include <semaphore.h>

#include <cstdint>
#include <string>

#include "depth_check.hpp"

namespace {

constexpr std::int64_t kDepth = 100'000;

struct Run {
  std::int64_t (*force)(std::int64_t);
  std::int64_t result;
  sem_t used;
  sem_t end;
};

// Whether the loaded object's dynamic section asks the loader to keep it.
bool asksToStayLoaded(void* handle) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return false;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
    if (d->d_tag == DT_FLAGS_1 && (d->d_un.d_val & DF_1_NODELETE) != 0) return true;
  }
  return false;
}

// Loads the module, forces through it on a thread, closes the module while
// the thread waits, then lets the thread end (it runs libbasis's thread-end
// work): what went wrong, or "".
std::string closeWhileAUserThreadLives() {
  void* module = dlopen(BASIS_UNLOAD_MODULE, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return std::string("dlopen: ") + dlerror();
  Run run{reinterpret_cast<std::int64_t (*)(std::int64_t)>(dlsym(module, "basis_unload_force")), 0, {}, {}};
  if (run.force == nullptr) return "no basis_unload_force";
  sem_init(&run.used, 0, 0);
  sem_init(&run.end, 0, 0);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, std::size_t{256} << 10);
  pthread_t thread;
  if (pthread_create(&thread, &attr, [](void* p) -> void* {
        auto* r = static_cast<Run*>(p);
        r->result = r->force(kDepth);
        sem_post(&r->used);
        sem_wait(&r->end);
        return nullptr;
      }, &run) != 0) {
    return "pthread_create failed";
  }
  pthread_attr_destroy(&attr);
  sem_wait(&run.used);
  dlclose(module);
  sem_post(&run.end);
  pthread_join(thread, nullptr);
  if (run.result != kDepth) return "forced " + std::to_string(run.result);
  void* basis = dlopen(BASIS_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (basis == nullptr) return "libbasis was unloaded";
  // The loader may also keep a library for reasons of its own (GCC's unique
  // symbols in it, which clang does not make): libbasis asks for it.
  if (!asksToStayLoaded(basis)) return "libbasis does not ask to stay loaded";
  return "";
}

TEST(Unloading, LibbasisStaysLoadedForTheThreadsThatUsedIt) {
  EXPECT_EQ(depth_check::isolated(depth_check::Stack::Default, closeWhileAUserThreadLives), "");
}

}  // namespace
