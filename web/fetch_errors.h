#pragma once
// The numbered error texts FetchPage leaves in its status output: a
// three-digit code, a blank and a message in code page 936.

#include "text/text_types.h"

enum class FetchError {
  kNoPlatform = 700,
  kCrackUrl = 701,
  kOpenSession = 702,
  kConnect = 703,
  kOpenRequest = 704,
  kSetTimeouts = 705,
  kSetCredentials = 707,
  kCookieOption = 708,
  kRedirectOption = 709,
  kAddHeaders = 710,
  kSendRequest = 711,
  kReceiveResponse = 712,
  kReadData = 713,
};

Text FetchErrorText(FetchError error);
