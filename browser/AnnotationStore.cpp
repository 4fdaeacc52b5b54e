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

AnnotationParse ParseAnnotations(std::string_view bytes, AnnotationMap& map) {
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
    map[std::string(bytes.substr(nameAt, nameLength))] = std::string(bytes.substr(textAt, textLength));
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
  // Walk whole characters so that a trail byte that looks like a lead byte is never mistaken.
  while (keep < kMaxAnnotationPart) {
    const size_t width = isLeadByte && isLeadByte(static_cast<unsigned char>(part[keep])) ? 2 : 1;
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
