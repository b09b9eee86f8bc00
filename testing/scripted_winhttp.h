#pragma once
// A WinHTTP-style call set for tests: it records every call with its
// arguments rendered as text, fails a chosen call on demand, and plays back
// scripted response headers and body chunks. No network is touched. URLs
// are cracked by the platform's own cracker.
//
// Argument rendering: strings as UTF-8 ("<null>" for a null pointer), numbers
// in decimal, handles by role ("session", "connection", "request", "null" or
// "unknown"), other pointers as "<null>" or "<set>".

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/winhttp/winhttp_api.h"

namespace testing_support {

struct WinHttpCall {
  std::string function;                // "WinHttpOpen", ...
  std::vector<std::string> arguments;  // in the order of the signature
};

class ScriptedWinHttp : public platform::winhttp::WinHttpApi {
 public:
  using DWORD = platform::winhttp::DWORD;

  ScriptedWinHttp();

  // --- the script ---
  // The `occurrence`-th call (1-based) of `function` fails: false, or a null
  // handle for the open calls.
  void FailCall(const std::string& function, int occurrence = 1);
  // The raw response header text (UTF-8 here, served as UTF-16).
  // Default: "HTTP/1.1 200 OK\r\n\r\n".
  void SetRawHeaders(const std::string& utf8);
  // The body, served one chunk per WinHttpQueryDataAvailable / WinHttpReadData.
  void SetBodyChunks(std::vector<std::string> chunks);
  // Reading fails once `chunks` chunks have been delivered.
  void FailReadAfterChunks(int chunks);
  // The size the header probe reports instead of the real one.
  void SetHeaderProbeSize(DWORD bytes);
  // The amount WinHttpQueryDataAvailable reports for every chunk instead of
  // its real size (the read still delivers at most the chunk).
  void SetReportedAvailable(DWORD bytes);
  // Called with the cracked components before WinHttpCrackUrl returns, so a
  // test can hand back odd components.
  void SetCrackAdjustment(std::function<void(platform::winhttp::URL_COMPONENTS&)> adjust);

  // --- what happened ---
  const std::vector<WinHttpCall>& Calls() const { return calls_; }
  // The function names of all calls, in order.
  std::vector<std::string> CallNames() const;
  // The `occurrence`-th call of `function`; null when there is none.
  const WinHttpCall* Find(const std::string& function, int occurrence = 1) const;
  int CountOf(const std::string& function) const;
  // The arguments of every call of `function`, in order.
  std::vector<std::vector<std::string>> ArgumentsOf(const std::string& function) const;
  // Handles opened and not yet closed.
  int OpenHandles() const { return openHandles_; }
  // The byte size of every buffer handed to WinHttpReadData, in order.
  const std::vector<DWORD>& ReadRequests() const { return readRequests_; }

  // --- the call set ---
  platform::winhttp::BOOL WinHttpCheckPlatform() override;
  platform::winhttp::BOOL WinHttpCrackUrl(platform::winhttp::LPCWSTR url, DWORD urlLength,
                                          DWORD flags,
                                          platform::winhttp::URL_COMPONENTS* components) override;
  platform::winhttp::HINTERNET WinHttpOpen(platform::winhttp::LPCWSTR userAgent, DWORD accessType,
                                           platform::winhttp::LPCWSTR proxyName,
                                           platform::winhttp::LPCWSTR proxyBypass,
                                           DWORD flags) override;
  platform::winhttp::HINTERNET WinHttpConnect(platform::winhttp::HINTERNET session,
                                              platform::winhttp::LPCWSTR serverName,
                                              platform::winhttp::INTERNET_PORT serverPort,
                                              DWORD reserved) override;
  platform::winhttp::HINTERNET WinHttpOpenRequest(platform::winhttp::HINTERNET connection,
                                                  platform::winhttp::LPCWSTR verb,
                                                  platform::winhttp::LPCWSTR objectName,
                                                  platform::winhttp::LPCWSTR version,
                                                  platform::winhttp::LPCWSTR referrer,
                                                  platform::winhttp::LPCWSTR* acceptTypes,
                                                  DWORD flags) override;
  platform::winhttp::BOOL WinHttpSetTimeouts(platform::winhttp::HINTERNET handle,
                                             int resolveTimeout, int connectTimeout,
                                             int sendTimeout, int receiveTimeout) override;
  platform::winhttp::BOOL WinHttpSetCredentials(platform::winhttp::HINTERNET request,
                                                DWORD authTargets, DWORD authScheme,
                                                platform::winhttp::LPCWSTR userName,
                                                platform::winhttp::LPCWSTR password,
                                                void* authParams) override;
  platform::winhttp::BOOL WinHttpSetOption(platform::winhttp::HINTERNET handle, DWORD option,
                                           void* buffer, DWORD bufferLength) override;
  platform::winhttp::BOOL WinHttpAddRequestHeaders(platform::winhttp::HINTERNET request,
                                                   platform::winhttp::LPCWSTR headers,
                                                   DWORD headersLength, DWORD modifiers) override;
  platform::winhttp::BOOL WinHttpSendRequest(platform::winhttp::HINTERNET request,
                                             platform::winhttp::LPCWSTR headers,
                                             DWORD headersLength, void* optional,
                                             DWORD optionalLength, DWORD totalLength,
                                             std::uintptr_t context) override;
  platform::winhttp::BOOL WinHttpReceiveResponse(platform::winhttp::HINTERNET request,
                                                 void* reserved) override;
  platform::winhttp::BOOL WinHttpQueryDataAvailable(platform::winhttp::HINTERNET request,
                                                    DWORD* bytesAvailable) override;
  platform::winhttp::BOOL WinHttpReadData(platform::winhttp::HINTERNET request, void* buffer,
                                          DWORD bytesToRead, DWORD* bytesRead) override;
  platform::winhttp::BOOL WinHttpQueryHeaders(platform::winhttp::HINTERNET request, DWORD infoLevel,
                                              platform::winhttp::LPCWSTR name, void* buffer,
                                              DWORD* bufferLength, DWORD* index) override;
  platform::winhttp::BOOL WinHttpCloseHandle(platform::winhttp::HINTERNET handle) override;

 private:
  // Records the call and tells whether the script makes it fail.
  bool Record(const std::string& function, std::vector<std::string> arguments);
  std::string HandleName(platform::winhttp::HINTERNET handle) const;
  platform::winhttp::HINTERNET Open(char& role);

  std::vector<WinHttpCall> calls_;
  std::map<std::string, std::vector<int>> failures_;  // function -> occurrences
  std::map<std::string, int> counts_;

  std::u16string headers_;
  bool probeSizeSet_ = false;
  DWORD probeSize_ = 0;
  bool availableSet_ = false;
  DWORD available_ = 0;
  std::vector<std::string> chunks_;
  std::size_t nextChunk_ = 0;
  std::vector<DWORD> readRequests_;
  std::function<void(platform::winhttp::URL_COMPONENTS&)> adjustCrack_;

  // The handles are the addresses of these roles.
  char session_ = 's';
  char connection_ = 'c';
  char request_ = 'r';
  int openHandles_ = 0;
};

}  // namespace testing_support
