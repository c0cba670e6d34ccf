#pragma once
// The record text form of UnpackedUUID, each field in unsigned decimal:
// «UnpackedUUID {time_low = 0, time_mid = 0, ..., node_5 = 0}», in
// parentheses above precedence 10.

#include <string>

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
