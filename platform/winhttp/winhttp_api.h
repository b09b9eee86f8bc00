#pragma once
// The synchronous WinHTTP-style call set that FetchPage drives. The program
// talks to it only through this interface, so a Windows build can put the
// real service behind it and tests can put scripted calls behind it.
// Strings are UTF-16 (char16_t), NUL-terminated unless a length is given.

#include <cstdint>

namespace platform::winhttp {

using HINTERNET = void*;
using BOOL = int;
using DWORD = std::uint32_t;
using INTERNET_PORT = std::uint16_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;

inline constexpr BOOL kTrue = 1;
inline constexpr BOOL kFalse = 0;

inline constexpr int INTERNET_SCHEME_HTTP = 1;
inline constexpr int INTERNET_SCHEME_HTTPS = 2;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
inline constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;

inline constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
inline constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 1;

inline constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;
inline constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;
inline constexpr DWORD WINHTTP_DISABLE_COOKIES = 1;
inline constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 2;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 1;

inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;

// A length of DWORD(-1) with a null pointer asks the cracker for a pointer
// into the caller's URL and the component's length in code units; a length
// of 0 leaves the component unrequested.
struct URL_COMPONENTS {
  DWORD dwStructSize = 0;
  LPWSTR lpszScheme = nullptr;
  DWORD dwSchemeLength = 0;
  int nScheme = 0;
  LPWSTR lpszHostName = nullptr;
  DWORD dwHostNameLength = 0;
  INTERNET_PORT nPort = 0;
  LPWSTR lpszUserName = nullptr;
  DWORD dwUserNameLength = 0;
  LPWSTR lpszPassword = nullptr;
  DWORD dwPasswordLength = 0;
  LPWSTR lpszUrlPath = nullptr;
  DWORD dwUrlPathLength = 0;
  LPWSTR lpszExtraInfo = nullptr;
  DWORD dwExtraInfoLength = 0;
};

class WinHttpApi {
 public:
  virtual ~WinHttpApi() = default;

  virtual BOOL WinHttpCheckPlatform() = 0;
  virtual BOOL WinHttpCrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags,
                               URL_COMPONENTS* components) = 0;
  virtual HINTERNET WinHttpOpen(LPCWSTR userAgent, DWORD accessType, LPCWSTR proxyName,
                                LPCWSTR proxyBypass, DWORD flags) = 0;
  virtual HINTERNET WinHttpConnect(HINTERNET session, LPCWSTR serverName, INTERNET_PORT serverPort,
                                   DWORD reserved) = 0;
  virtual HINTERNET WinHttpOpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                       LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes,
                                       DWORD flags) = 0;
  virtual BOOL WinHttpSetTimeouts(HINTERNET handle, int resolveTimeout, int connectTimeout,
                                  int sendTimeout, int receiveTimeout) = 0;
  virtual BOOL WinHttpSetCredentials(HINTERNET request, DWORD authTargets, DWORD authScheme,
                                     LPCWSTR userName, LPCWSTR password, void* authParams) = 0;
  virtual BOOL WinHttpSetOption(HINTERNET handle, DWORD option, void* buffer,
                                DWORD bufferLength) = 0;
  virtual BOOL WinHttpAddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD headersLength,
                                        DWORD modifiers) = 0;
  virtual BOOL WinHttpSendRequest(HINTERNET request, LPCWSTR headers, DWORD headersLength,
                                  void* optional, DWORD optionalLength, DWORD totalLength,
                                  std::uintptr_t context) = 0;
  virtual BOOL WinHttpReceiveResponse(HINTERNET request, void* reserved) = 0;
  // Blocks until body bytes are buffered or the body ends (0). When the
  // transfer broke, the bytes that did arrive are reported and read first;
  // after them 1 byte is reported pending so that the next read call fails
  // and the caller learns of the break instead of taking a cut body whole.
  virtual BOOL WinHttpQueryDataAvailable(HINTERNET request, DWORD* bytesAvailable) = 0;
  // Fails only once every byte that arrived has been read.
  virtual BOOL WinHttpReadData(HINTERNET request, void* buffer, DWORD bytesToRead,
                               DWORD* bytesRead) = 0;
  // With a null buffer or too small a length: fails and sets *bufferLength to
  // the bytes needed, the terminating NUL included.
  virtual BOOL WinHttpQueryHeaders(HINTERNET request, DWORD infoLevel, LPCWSTR name, void* buffer,
                                   DWORD* bufferLength, DWORD* index) = 0;
  virtual BOOL WinHttpCloseHandle(HINTERNET handle) = 0;
};

// The implementation on libcurl, one per process, stateless between requests.
WinHttpApi& SystemWinHttp();

}  // namespace platform::winhttp
