// Metadata chunk bodies built from fields, and chunk layouts of written bytes as short comparable texts: "fmt16
// LIST/INFO bext@5100 data cue[2@0 3@400] adtl[labl3 ltxt2/400] smpl[0-399]" (cue: id@offset, ltxt: id/length, loops:
// start-end).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace chunklayout {

using testsupport::Bytes;
using testsupport::Le32At;
using testsupport::Put16;
using testsupport::Put32;
using testsupport::PutId;

// Bodies of metadata chunks, assembled from fields.
inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes List(const char* type, const Bytes& entries) {
  Bytes b;
  PutId(b, type);
  b.insert(b.end(), entries.begin(), entries.end());
  return b;
}

inline Bytes Entry(const char* id, const Bytes& body) { return testsupport::ChunkBytes(id, body); }

inline Bytes Bext(uint64_t timeReference, size_t size = 602) {
  Bytes b(size, 0);
  for (int i = 0; i < 8 && 338 + i < static_cast<int>(size); ++i)
    b[338 + i] = static_cast<uint8_t>(timeReference >> (8 * i));
  return b;
}

inline Bytes Cue(const std::vector<std::pair<uint32_t, uint32_t>>& points, uint32_t declared = 0) {
  Bytes b;
  Put32(b, declared != 0 ? declared : static_cast<uint32_t>(points.size()));
  for (const auto& [id, offset] : points) {
    Put32(b, id);
    Put32(b, offset);
    PutId(b, "data");
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, offset);
  }
  return b;
}

inline Bytes Label(const char* kind, uint32_t id, uint32_t length = 0) {
  Bytes b;
  Put32(b, id);
  if (std::strcmp(kind, "ltxt") == 0) {
    Put32(b, length);
    PutId(b, "rgn ");
    for (int i = 0; i < 4; ++i) Put16(b, 0);
  }
  const Bytes text = {'m', 0};
  b.insert(b.end(), text.begin(), text.end());
  return Entry(kind, b);
}

inline Bytes Smpl(const std::vector<std::pair<uint32_t, uint32_t>>& loops, uint32_t declared = 0) {
  Bytes b;
  for (int i = 0; i < 7; ++i) Put32(b, i == 3 ? 60 : 0);  // unity note 60
  Put32(b, declared != 0 ? declared : static_cast<uint32_t>(loops.size()));
  Put32(b, 0);
  for (const auto& [start, end] : loops) {
    for (uint32_t v : {0u, 0u, start, end, 0u, 0u}) Put32(b, v);
  }
  return b;
}

inline std::string Ixml(const std::string& low, const std::string& high) {
  return "<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>" + low + "</BWF_TIME_REFERENCE_LOW><BWF_TIME_REFERENCE_HIGH>" + high +
         "</BWF_TIME_REFERENCE_HIGH></BEXT></BWFXML>";
}

// "id" or a summary of the positions a chunk holds, e.g. "cue[2@0 3@400]", "bext@5100".
inline std::string Describe(const char* id, const Bytes& body) {
  std::string d(id, 4);
  if (d == "fmt ") {
    char mask[16];
    std::snprintf(mask, sizeof mask, "/0x%X", body.size() >= 24 ? Le32At(body, 20) : 0);
    return "fmt" + std::to_string(body.size()) + (body.size() >= 24 ? mask : "");
  }
  if (d == "bext") return "bext@" + std::to_string(Le32At(body, 338) | uint64_t{Le32At(body, 342)} << 32);
  if (d == "iXML") {
    const std::string xml(body.begin(), body.end());
    const size_t at = xml.find("_LOW>") + 5;
    const size_t hi = xml.find("_HIGH>") + 6;
    return "iXML@" + xml.substr(at, xml.find('<', at) - at) + "/" + xml.substr(hi, xml.find('<', hi) - hi);
  }
  std::string parts;
  if (d == "cue ") {
    for (uint32_t i = 0; i < Le32At(body, 0); ++i) {
      const size_t p = 4 + 24 * i;
      parts.append(" ")
          .append(std::to_string(Le32At(body, p)))
          .append("@")
          .append(std::to_string(Le32At(body, p + 20)));
      if (Le32At(body, p + 4) != Le32At(body, p + 20)) parts += "!position";
    }
    return "cue[" + parts.substr(parts.empty() ? 0 : 1) + "]";
  }
  if (d == "smpl") {
    for (uint32_t i = 0; i < Le32At(body, 28); ++i)
      parts += " " + std::to_string(Le32At(body, 44 + 24 * i)) + "-" + std::to_string(Le32At(body, 48 + 24 * i));
    return "smpl[" + parts.substr(parts.empty() ? 0 : 1) + "]";
  }
  if (d == "LIST") {
    const std::string type(body.begin(), body.begin() + 4);
    if (type != "adtl") return "LIST/" + type;
    for (size_t at = 4; at + 8 <= body.size();) {
      const uint32_t size = Le32At(body, at + 4);
      parts += " " + std::string(body.begin() + at, body.begin() + at + 4) + std::to_string(Le32At(body, at + 8));
      if (std::string(body.begin() + at, body.begin() + at + 4) == "ltxt")
        parts += "/" + std::to_string(Le32At(body, at + 12));
      at += 8 + size + (size & 1);
    }
    return "adtl[" + parts.substr(1) + "]";
  }
  return d;
}

// The chunks of written bytes, described one by one, separated by blanks.
inline std::string Layout(const Bytes& bytes) {
  std::string out;
  for (size_t at = 0; at + 8 <= bytes.size();) {
    const uint32_t size = Le32At(bytes, at + 4);
    const size_t end = std::min<size_t>(at + 8 + size, bytes.size());
    const Bytes body(bytes.begin() + static_cast<long>(at) + 8, bytes.begin() + static_cast<long>(end));
    if (!out.empty()) out += ' ';
    out += Describe(reinterpret_cast<const char*>(bytes.data() + at), body);
    at += 8 + size + (size & 1);
  }
  return out;
}

inline std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += ", ";
    out += n;
  }
  return out;
}

}  // namespace chunklayout
