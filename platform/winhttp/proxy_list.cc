#include "platform/winhttp/proxy_list.h"

#include "platform/winhttp/utf16_text.h"

namespace platform::winhttp {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::optional<ProxyEntry> ParseEntry(std::string_view entry) {
  ProxyEntry result;
  std::size_t equals = entry.find('=');
  if (equals != std::string_view::npos) {
    result.scheme = LowerAscii(entry.substr(0, equals));
    if (result.scheme.empty()) return std::nullopt;
    entry.remove_prefix(equals + 1);
  }
  std::size_t schemeEnd = entry.find("://");
  if (schemeEnd != std::string_view::npos) {
    if (LowerAscii(entry.substr(0, schemeEnd)) != "http") return std::nullopt;
    entry.remove_prefix(schemeEnd + 3);
  }
  if (!entry.empty() && entry.back() == '/') entry.remove_suffix(1);

  std::string_view host = entry;
  std::string_view port;
  if (!entry.empty() && entry.front() == '[') {
    std::size_t close = entry.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = entry.substr(0, close + 1);
    std::string_view rest = entry.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else {
    std::size_t colon = entry.rfind(':');
    if (colon != std::string_view::npos) {
      host = entry.substr(0, colon);
      port = entry.substr(colon + 1);
    }
  }
  if (host.empty()) return std::nullopt;
  for (char c : host) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == '/' || c == '@' || c == '?' || c == '#' || c == '=' ||
        c == '\\') {
      return std::nullopt;
    }
  }
  result.host = std::string(host);
  if (!port.empty()) {
    std::uint32_t value = 0;
    for (char c : port) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (value > 65535) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    result.port = static_cast<std::uint16_t>(value);
  }
  return result;
}

}  // namespace

std::optional<std::vector<ProxyEntry>> ParseProxyList(std::u16string_view list) {
  std::string text = Utf16ToUtf8(list);
  std::vector<ProxyEntry> entries;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("; \t\r\n", pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) {
      std::optional<ProxyEntry> entry = ParseEntry(std::string_view(text).substr(pos, end - pos));
      if (!entry) return std::nullopt;
      entries.push_back(std::move(*entry));
    }
    pos = end + 1;
  }
  if (entries.empty()) return std::nullopt;
  return entries;
}

const ProxyEntry* ChooseProxy(const std::vector<ProxyEntry>& entries, bool secure) {
  const char* scheme = secure ? "https" : "http";
  for (const ProxyEntry& entry : entries) {
    if (entry.scheme == scheme) return &entry;
  }
  for (const ProxyEntry& entry : entries) {
    if (entry.scheme.empty()) return &entry;
  }
  return nullptr;
}

}  // namespace platform::winhttp
