#include "web/fetch_errors.h"

#include "text/utf8_literal.h"

Text FetchErrorText(FetchError error) {
  switch (error) {
    case FetchError::kNoPlatform:
      return Utf8Literal("700 当前系统不支持WinHttp服务!");
    case FetchError::kCrackUrl:
      return Utf8Literal("701 解析URL地址失败!");
    case FetchError::kOpenSession:
      return Utf8Literal("702 创建WinHttp会话失败!");
    case FetchError::kConnect:
      return Utf8Literal("703 创建WinHttp连接失败!");
    case FetchError::kOpenRequest:
      return Utf8Literal("704 创建WinHttp请求失败!");
    case FetchError::kSetTimeouts:
      return Utf8Literal("705 设置超时时间失败!");
    case FetchError::kSetCredentials:
      return Utf8Literal("707 设置代理凭证失败!");
    case FetchError::kCookieOption:
      return Utf8Literal("708 禁止自动设置Cookies失败!");
    case FetchError::kRedirectOption:
      return Utf8Literal("709 重定向设置失败!");
    case FetchError::kAddHeaders:
      return Utf8Literal("710 设置协议头失败!");
    case FetchError::kSendRequest:
      return Utf8Literal("711 发送请求失败!");
    case FetchError::kReceiveResponse:
      return Utf8Literal("712 服务器未响应!");
    case FetchError::kReadData:
      return Utf8Literal("713 读取数据失败!");
  }
  return Text();
}
