#include "platform/winhttp/header_block.h"

#include "platform/winhttp/utf16_text.h"

namespace platform::winhttp {
namespace {

bool ParseLine(std::string_view line, HeaderLine& out) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view name = TrimBlanks(line.substr(0, colon));
  std::string_view value = TrimBlanks(line.substr(colon + 1));
  if (name.empty()) return false;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) return false;
  }
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) return false;
  }
  out.name = std::string(name);
  out.value = std::string(value);
  return true;
}

}  // namespace

bool HeaderNameEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool HeaderBlock::Add(std::u16string_view block, DWORD modifiers) {
  constexpr DWORD kAdd = WINHTTP_ADDREQ_FLAG_ADD;
  constexpr DWORD kReplace = WINHTTP_ADDREQ_FLAG_REPLACE;
  constexpr DWORD kAddIfNew = WINHTTP_ADDREQ_FLAG_ADD_IF_NEW;
  if (modifiers != 0 && modifiers != kAdd && modifiers != (kAdd | kReplace) &&
      modifiers != kReplace && modifiers != kAddIfNew) {
    return false;
  }
  // Parse and check every line first, so a bad block adds nothing.
  std::string text = Utf16ToUtf8(block);
  std::vector<HeaderLine> parsed;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(pos, end - pos);
    if (!line.empty()) {
      HeaderLine header;
      if (!ParseLine(line, header)) return false;
      parsed.push_back(std::move(header));
    }
    pos = end + 2;
  }

  std::vector<HeaderLine> result = lines_;
  auto find = [&](const std::string& name) {
    for (std::size_t i = 0; i < result.size(); ++i) {
      if (HeaderNameEquals(result[i].name, name)) return i;
    }
    return result.size();
  };
  for (HeaderLine& header : parsed) {
    std::size_t found = find(header.name);
    if (modifiers == kAddIfNew) {
      if (found != result.size()) return false;
      result.push_back(std::move(header));
    } else if (modifiers == kReplace) {
      if (found == result.size()) return false;
      if (header.value.empty()) {
        std::erase_if(result, [&](const HeaderLine& line) {
          return HeaderNameEquals(line.name, header.name);
        });
      } else {
        result[found] = std::move(header);
      }
    } else if (modifiers == (kAdd | kReplace) && found != result.size()) {
      result[found] = std::move(header);
    } else {
      result.push_back(std::move(header));
    }
  }
  lines_ = std::move(result);
  return true;
}

}  // namespace platform::winhttp
