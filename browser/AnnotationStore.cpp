#include "browser/AnnotationStore.h"

namespace {

// Reads a 16-bit little-endian length at `at`; false when fewer than 2 bytes are left.
bool ReadLength(std::string_view bytes, size_t at, size_t& length) {
  if (bytes.size() < 2 || at > bytes.size() - 2) return false;
  length = static_cast<size_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  return true;
}

void PutLength(std::string& out, size_t length) {
  out.push_back(static_cast<char>(length & 0xFF));
  out.push_back(static_cast<char>((length >> 8) & 0xFF));
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t extra = 0;
    uint32_t value = 0;
    if (lead < 0x80) {
      ++at;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      value = lead & 0x07u;
    } else {
      return false;
    }
    if (extra > text.size() - at - 1) return false;
    for (size_t i = 1; i <= extra; ++i) {
      const auto c = static_cast<unsigned char>(text[at + i]);
      if ((c & 0xC0) != 0x80) return false;
      value = (value << 6) | (c & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 2 && value < 0x800) || (extra == 3 && (value < 0x10000 || value > 0x10FFFF)) ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    at += extra + 1;
  }
  return true;
}

AnnotationParse ParseAnnotations(std::string_view bytes, AnnotationMap& map, LegacyTextConverter fromLegacy) {
  AnnotationParse parse;
  size_t at = 0;
  for (;;) {
    size_t nameLength = 0;
    size_t textLength = 0;
    if (!ReadLength(bytes, at, nameLength)) break;
    const size_t nameAt = at + 2;
    if (nameLength > bytes.size() - nameAt) break;
    if (!ReadLength(bytes, nameAt + nameLength, textLength)) break;
    const size_t textAt = nameAt + nameLength + 2;
    if (textLength > bytes.size() - textAt) break;
    at = textAt + textLength;
    parse.completeEnd = at;
    ++parse.records;
    if (nameLength > kMaxAnnotationPart || textLength > kMaxAnnotationPart) {
      ++parse.refused;
      continue;
    }
    std::string_view name = bytes.substr(nameAt, nameLength);
    std::string_view text = bytes.substr(textAt, textLength);
    if (fromLegacy && !(IsValidUtf8(name) && IsValidUtf8(text))) {
      map[IsValidUtf8(name) ? std::string(name) : fromLegacy(name)] =
          IsValidUtf8(text) ? std::string(text) : fromLegacy(text);
    } else {
      map[std::string(name)] = std::string(text);
    }
  }
  return parse;
}

bool IsRecordBeginning(std::string_view tail) {
  size_t nameLength = 0;
  if (!ReadLength(tail, 0, nameLength)) return true;
  if (nameLength > kMaxAnnotationPart) return false;
  size_t textLength = 0;
  if (!ReadLength(tail, 2 + nameLength, textLength)) return true;
  // A complete record is no beginning; the parse would have taken it.
  return textLength <= kMaxAnnotationPart && tail.size() < 4 + nameLength + textLength;
}

std::string CutAnnotationPart(std::string_view part, bool (*isLeadByte)(unsigned char)) {
  if (part.size() <= kMaxAnnotationPart) return std::string(part);
  size_t keep = 0;
  if (!isLeadByte) {
    // UTF-8: back off the continuation bytes of a character the limit would split.
    keep = kMaxAnnotationPart;
    while (keep > 0 && (static_cast<unsigned char>(part[keep]) & 0xC0) == 0x80) --keep;
    return std::string(part.substr(0, keep));
  }
  // Walk whole characters so that a trail byte that looks like a lead byte is never mistaken.
  while (keep < kMaxAnnotationPart) {
    const size_t width = isLeadByte(static_cast<unsigned char>(part[keep])) ? 2 : 1;
    if (keep + width > kMaxAnnotationPart) break;
    keep += width;
  }
  return std::string(part.substr(0, keep));
}

void AppendAnnotationRecord(std::string& out, std::string_view name, std::string_view text) {
  PutLength(out, name.size());
  out.append(name);
  PutLength(out, text.size());
  out.append(text);
}
