#pragma once
// The record text form of UnpackedUUID, each field in unsigned decimal:
// «UnpackedUUID {time_low = 0, time_mid = 0, ..., node_5 = 0}», in
// parentheses above precedence 10, and its parser.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <basis/read.hpp>
#include <basis/show.hpp>

#include "stampwell/internal/representation.hpp"

// Each field is evaluated when its part of the text is written; a field whose
// evaluation throws lets that pass through, with the text so far appended.
template <>
struct basis::Show<stampwell::UnpackedUUID> : basis::ShowDefaults<stampwell::UnpackedUUID> {
  static void showsPrec(int d, const stampwell::UnpackedUUID& r, std::string& out) {
    basis::showRecord(d, out, "UnpackedUUID", [&](basis::RecordFields& f) {
      f.field("time_low", r.time_low)
          .field("time_mid", r.time_mid)
          .field("time_hi_and_version", r.time_hi_and_version)
          .field("clock_seq_hi_res", r.clock_seq_hi_res)
          .field("clock_seq_low", r.clock_seq_low)
          .field("node_0", r.node_0)
          .field("node_1", r.node_1)
          .field("node_2", r.node_2)
          .field("node_3", r.node_3)
          .field("node_4", r.node_4)
          .field("node_5", r.node_5);
    });
  }
};

// Reads the record form with every field present, in declaration order, each
// value an unsigned number in the field's range; blanks between any two
// lexemes; any number of enclosing parentheses; without them only at
// precedence 11 or below. The fields of a parsed record are evaluated.
template <>
struct basis::Read<stampwell::UnpackedUUID> : basis::ReadDefaults<stampwell::UnpackedUUID> {
  static basis::Parses<stampwell::UnpackedUUID> readsPrec(int d, std::string_view in) {
    using std::uint16_t, std::uint32_t, std::uint8_t;
    static constexpr std::array<std::string_view, 11> names = {
        "time_low", "time_mid", "time_hi_and_version", "clock_seq_hi_res", "clock_seq_low",
        "node_0",   "node_1",   "node_2",              "node_3",           "node_4",
        "node_5"};
    auto record = [](int p, std::string_view s) {
      return basis::readRecord<stampwell::UnpackedUUID, uint32_t, uint16_t, uint16_t, uint8_t,
                               uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t>(
          p, s, "UnpackedUUID", names,
          [](uint32_t a, uint16_t b, uint16_t c, uint8_t e, uint8_t f, uint8_t n0, uint8_t n1,
             uint8_t n2, uint8_t n3, uint8_t n4, uint8_t n5) {
            return stampwell::UnpackedUUID{a, b, c, e, f, n0, n1, n2, n3, n4, n5};
          });
    };
    return basis::runParens(record, d, in);
  }
};
