#include "testing/scripted_winhttp.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/winhttp/url_cracker.h"
#include "platform/winhttp/utf16_text.h"

namespace testing_support {

namespace wh = platform::winhttp;

namespace {

std::string WideArgument(wh::LPCWSTR text) {
  return text == nullptr ? "<null>" : wh::Utf16ToUtf8(wh::NulTerminatedView(text));
}

std::string PointerArgument(const void* pointer) { return pointer == nullptr ? "<null>" : "<set>"; }

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

ScriptedWinHttp::ScriptedWinHttp() : headers_(u"HTTP/1.1 200 OK\r\n\r\n") {}

void ScriptedWinHttp::FailCall(const std::string& function, int occurrence) {
  failures_[function].push_back(occurrence);
}

void ScriptedWinHttp::SetRawHeaders(const std::string& utf8) { headers_ = wh::BytesToUtf16(utf8); }

void ScriptedWinHttp::SetBodyChunks(std::vector<std::string> chunks) {
  chunks_ = std::move(chunks);
  nextChunk_ = 0;
}

void ScriptedWinHttp::FailReadAfterChunks(int chunks) { FailCall("WinHttpReadData", chunks + 1); }

void ScriptedWinHttp::SetHeaderProbeSize(DWORD bytes) {
  probeSizeSet_ = true;
  probeSize_ = bytes;
}

void ScriptedWinHttp::SetReportedAvailable(DWORD bytes) {
  availableSet_ = true;
  available_ = bytes;
}

void ScriptedWinHttp::SetCrackAdjustment(std::function<void(wh::URL_COMPONENTS&)> adjust) {
  adjustCrack_ = std::move(adjust);
}

std::vector<std::string> ScriptedWinHttp::CallNames() const {
  std::vector<std::string> names;
  for (const WinHttpCall& call : calls_) names.push_back(call.function);
  return names;
}

const WinHttpCall* ScriptedWinHttp::Find(const std::string& function, int occurrence) const {
  int seen = 0;
  for (const WinHttpCall& call : calls_) {
    if (call.function == function && ++seen == occurrence) return &call;
  }
  return nullptr;
}

int ScriptedWinHttp::CountOf(const std::string& function) const {
  return static_cast<int>(std::count_if(
      calls_.begin(), calls_.end(), [&](const WinHttpCall& c) { return c.function == function; }));
}

std::vector<std::vector<std::string>> ScriptedWinHttp::ArgumentsOf(
    const std::string& function) const {
  std::vector<std::vector<std::string>> arguments;
  for (const WinHttpCall& call : calls_) {
    if (call.function == function) arguments.push_back(call.arguments);
  }
  return arguments;
}

bool ScriptedWinHttp::Record(const std::string& function, std::vector<std::string> arguments) {
  calls_.push_back({function, std::move(arguments)});
  const int occurrence = ++counts_[function];
  const auto found = failures_.find(function);
  if (found == failures_.end()) return false;
  const std::vector<int>& occurrences = found->second;
  return std::find(occurrences.begin(), occurrences.end(), occurrence) != occurrences.end();
}

std::string ScriptedWinHttp::HandleName(wh::HINTERNET handle) const {
  if (handle == nullptr) return "null";
  if (handle == &session_) return "session";
  if (handle == &connection_) return "connection";
  if (handle == &request_) return "request";
  return "unknown";
}

wh::HINTERNET ScriptedWinHttp::Open(char& role) {
  ++openHandles_;
  return &role;
}

wh::BOOL ScriptedWinHttp::WinHttpCheckPlatform() {
  return Record("WinHttpCheckPlatform", {}) ? wh::kFalse : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpCrackUrl(wh::LPCWSTR url, DWORD urlLength, DWORD flags,
                                          wh::URL_COMPONENTS* components) {
  const std::u16string_view text =
      url == nullptr ? std::u16string_view() : std::u16string_view(url, urlLength);
  std::vector<std::string> arguments = {wh::Utf16ToUtf8(text), Number(urlLength), Number(flags)};
  if (components != nullptr) {
    // Lengths of -1 show as 4294967295.
    for (DWORD field :
         {components->dwStructSize, components->dwSchemeLength, components->dwHostNameLength,
          components->dwUserNameLength, components->dwPasswordLength, components->dwUrlPathLength,
          components->dwExtraInfoLength}) {
      arguments.push_back(Number(field));
    }
  }
  if (Record("WinHttpCrackUrl", std::move(arguments))) return wh::kFalse;
  // The platform's own cracker does the work; the script only records the
  // call, fails it on demand and may bend what comes back.
  if (!wh::CrackUrl(url, urlLength, flags, components)) return wh::kFalse;
  if (adjustCrack_) adjustCrack_(*components);
  return wh::kTrue;
}

wh::HINTERNET ScriptedWinHttp::WinHttpOpen(wh::LPCWSTR userAgent, DWORD accessType,
                                           wh::LPCWSTR proxyName, wh::LPCWSTR proxyBypass,
                                           DWORD flags) {
  if (Record("WinHttpOpen", {WideArgument(userAgent), Number(accessType), WideArgument(proxyName),
                             WideArgument(proxyBypass), Number(flags)})) {
    return nullptr;
  }
  return Open(session_);
}

wh::HINTERNET ScriptedWinHttp::WinHttpConnect(wh::HINTERNET session, wh::LPCWSTR serverName,
                                              wh::INTERNET_PORT serverPort, DWORD reserved) {
  if (Record("WinHttpConnect", {HandleName(session), WideArgument(serverName), Number(serverPort),
                                Number(reserved)})) {
    return nullptr;
  }
  return Open(connection_);
}

wh::HINTERNET ScriptedWinHttp::WinHttpOpenRequest(wh::HINTERNET connection, wh::LPCWSTR verb,
                                                  wh::LPCWSTR objectName, wh::LPCWSTR version,
                                                  wh::LPCWSTR referrer, wh::LPCWSTR* acceptTypes,
                                                  DWORD flags) {
  if (Record("WinHttpOpenRequest",
             {HandleName(connection), WideArgument(verb), WideArgument(objectName),
              WideArgument(version), WideArgument(referrer), PointerArgument(acceptTypes),
              Number(flags)})) {
    return nullptr;
  }
  return Open(request_);
}

wh::BOOL ScriptedWinHttp::WinHttpSetTimeouts(wh::HINTERNET handle, int resolveTimeout,
                                             int connectTimeout, int sendTimeout,
                                             int receiveTimeout) {
  return Record("WinHttpSetTimeouts",
                {HandleName(handle), std::to_string(resolveTimeout), std::to_string(connectTimeout),
                 std::to_string(sendTimeout), std::to_string(receiveTimeout)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpSetCredentials(wh::HINTERNET request, DWORD authTargets,
                                                DWORD authScheme, wh::LPCWSTR userName,
                                                wh::LPCWSTR password, void* authParams) {
  return Record("WinHttpSetCredentials",
                {HandleName(request), Number(authTargets), Number(authScheme),
                 WideArgument(userName), WideArgument(password), PointerArgument(authParams)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpSetOption(wh::HINTERNET handle, DWORD option, void* buffer,
                                           DWORD bufferLength) {
  std::string value = PointerArgument(buffer);
  if (buffer != nullptr && bufferLength == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, buffer, sizeof(number));
    value = Number(number);
  }
  return Record("WinHttpSetOption",
                {HandleName(handle), Number(option), value, Number(bufferLength)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpAddRequestHeaders(wh::HINTERNET request, wh::LPCWSTR headers,
                                                   DWORD headersLength, DWORD modifiers) {
  std::string text = "<null>";
  if (headers != nullptr) {
    text = headersLength == static_cast<DWORD>(-1)
               ? WideArgument(headers)
               : wh::Utf16ToUtf8(std::u16string_view(headers, headersLength));
  }
  return Record("WinHttpAddRequestHeaders",
                {HandleName(request), text, Number(headersLength), Number(modifiers)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpSendRequest(wh::HINTERNET request, wh::LPCWSTR headers,
                                             DWORD headersLength, void* optional,
                                             DWORD optionalLength, DWORD totalLength,
                                             std::uintptr_t context) {
  std::string body = "<null>";
  if (optional != nullptr) body.assign(static_cast<const char*>(optional), optionalLength);
  return Record("WinHttpSendRequest",
                {HandleName(request), WideArgument(headers), Number(headersLength), body,
                 Number(optionalLength), Number(totalLength), Number(context)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpReceiveResponse(wh::HINTERNET request, void* reserved) {
  return Record("WinHttpReceiveResponse", {HandleName(request), PointerArgument(reserved)})
             ? wh::kFalse
             : wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpQueryDataAvailable(wh::HINTERNET request, DWORD* bytesAvailable) {
  if (Record("WinHttpQueryDataAvailable", {HandleName(request)})) return wh::kFalse;
  DWORD available = 0;
  if (nextChunk_ < chunks_.size()) {
    available = availableSet_ ? available_ : static_cast<DWORD>(chunks_[nextChunk_].size());
  }
  if (bytesAvailable != nullptr) *bytesAvailable = available;
  return wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpReadData(wh::HINTERNET request, void* buffer, DWORD bytesToRead,
                                          DWORD* bytesRead) {
  readRequests_.push_back(bytesToRead);
  if (Record("WinHttpReadData",
             {HandleName(request), PointerArgument(buffer), Number(bytesToRead)})) {
    return wh::kFalse;
  }
  DWORD delivered = 0;
  if (nextChunk_ < chunks_.size() && buffer != nullptr) {
    const std::string& chunk = chunks_[nextChunk_++];
    delivered = static_cast<DWORD>(std::min<std::size_t>(chunk.size(), bytesToRead));
    std::memcpy(buffer, chunk.data(), delivered);
  }
  if (bytesRead != nullptr) *bytesRead = delivered;
  return wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpQueryHeaders(wh::HINTERNET request, DWORD infoLevel,
                                              wh::LPCWSTR name, void* buffer, DWORD* bufferLength,
                                              DWORD* index) {
  const bool fails =
      Record("WinHttpQueryHeaders",
             {HandleName(request), Number(infoLevel), WideArgument(name), PointerArgument(buffer),
              bufferLength == nullptr ? "<null>" : Number(*bufferLength),
              index == nullptr ? "<null>" : Number(*index)});
  const DWORD needed = static_cast<DWORD>((headers_.size() + 1) * sizeof(char16_t));
  if (bufferLength == nullptr) return wh::kFalse;
  if (buffer == nullptr || *bufferLength < needed) {
    *bufferLength = probeSizeSet_ ? probeSize_ : needed;
    return wh::kFalse;
  }
  if (fails) return wh::kFalse;
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (std::size_t i = 0; i <= headers_.size(); ++i) {
    const char16_t unit = i < headers_.size() ? headers_[i] : u'\0';
    bytes[2 * i] = static_cast<unsigned char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
  }
  *bufferLength = needed - sizeof(char16_t);
  return wh::kTrue;
}

wh::BOOL ScriptedWinHttp::WinHttpCloseHandle(wh::HINTERNET handle) {
  const std::string name = HandleName(handle);
  if (Record("WinHttpCloseHandle", {name})) return wh::kFalse;
  if (name == "session" || name == "connection" || name == "request") --openHandles_;
  return wh::kTrue;
}

}  // namespace testing_support
