// What libscriblet.so exports: the twelve scanning routines under their plain
// names, and otherwise only what the library marks for export (names in its
// own namespace); everything else stays hidden.

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kRoutines[] = {
    "hs_scriblet_length",        "hs_scriblet_index_ofs",    "hs_scriblet_index_ofs_rev",
    "hs_scriblet_ofs_cp",        "hs_scriblet_ofs_cp_rev",   "hs_scriblet_index_cp",
    "hs_scriblet_index_cp_rev",  "hs_scriblet_is_valid_utf8", "hs_scriblet_ascii_length",
    "hs_scriblet_is_ascii",      "hs_scriblet_mutf8_strlen", "hs_scriblet_mutf8_trans",
};

struct Symbol {
  std::string name;
  unsigned type;
};

// The defined, globally visible symbols of the dynamic symbol table.
std::vector<Symbol> exportedSymbols(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Symbol> out;
  if (file.size() < sizeof(Elf64_Ehdr)) return out;
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return out;
  auto section = [&](std::size_t i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, file.data() + eh.e_shoff + i * eh.e_shentsize, sizeof sh);
    return sh;
  };
  for (std::size_t i = 0; i < eh.e_shnum; ++i) {
    const Elf64_Shdr sh = section(i);
    if (sh.sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr strings = section(sh.sh_link);
    for (std::size_t k = 1; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + sh.sh_offset + k * sizeof sym, sizeof sym);
      const unsigned bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
      if (ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT) continue;
      out.push_back({file.data() + strings.sh_offset + sym.st_name, static_cast<unsigned>(ELF64_ST_TYPE(sym.st_info))});
    }
  }
  return out;
}

TEST(LibraryExports, TheTwelveRoutinesAreExportedAsPlainFunctions) {
  const auto symbols = exportedSymbols(SCRIBLET_LIBRARY_FILE);
  ASSERT_FALSE(symbols.empty()) << "cannot read " << SCRIBLET_LIBRARY_FILE;
  for (const char* name : kRoutines) {
    const auto it = std::find_if(symbols.begin(), symbols.end(),
                                 [&](const Symbol& s) { return s.name == name; });
    ASSERT_NE(it, symbols.end()) << name;
    EXPECT_EQ(it->type, STT_FUNC) << name;
  }
}

TEST(LibraryExports, NothingOutsideTheLibrarysOwnNamesIsExported) {
  const std::set<std::string> routines(std::begin(kRoutines), std::end(kRoutines));
  for (const Symbol& s : exportedSymbols(SCRIBLET_LIBRARY_FILE)) {
    const bool routine = routines.count(s.name) != 0;
    // Mangled C++ names of namespace scriblet: _ZN8scriblet..., _ZNK8scriblet...,
    // typeinfo and vtables _ZT?N8scriblet... (and AddressSanitizer's
    // one-definition markers of exported data, __odr_asan._ZN8scriblet...).
    const std::string mangled =
        s.name.rfind("__odr_asan.", 0) == 0 ? s.name.substr(11) : s.name;
    const bool ownCxx =
        mangled.rfind("_Z", 0) == 0 && mangled.find("8scriblet") != std::string::npos;
    EXPECT_TRUE(routine || ownCxx) << "unexpected export " << s.name;
    if (s.name.rfind("hs_scriblet_", 0) == 0) {
      EXPECT_TRUE(routine) << s.name;
    }
  }
}

TEST(LibraryExports, RoutinesResolveByTheirPlainNamesAtRunTime) {
  void* lib = dlopen(SCRIBLET_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const char* name : kRoutines) EXPECT_NE(dlsym(lib, name), nullptr) << name;
  // Internal kernels are not reachable.
  EXPECT_EQ(dlsym(lib, "_ZN8scriblet4scan12validateFromEPKhmm"), nullptr);
  using Length = std::uint64_t (*)(const void*, std::uint64_t);
  auto length = reinterpret_cast<Length>(dlsym(lib, "hs_scriblet_length"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("a\xC3\xA9", 3), 2u);
  dlclose(lib);
}

}  // namespace
