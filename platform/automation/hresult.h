#pragma once
// Result codes of the automation stand-in, in the style of COM's HRESULT:
// zero or positive is success, negative is failure.

#include <cstdint>

namespace platform::com {

using HResult = std::int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;  // success, but "already so" (CoInitialize)
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult kPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kMemberNotFound = static_cast<HResult>(0x80020003u);
inline constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005u);
inline constexpr HResult kUnknownName = static_cast<HResult>(0x80020006u);
inline constexpr HResult kException = static_cast<HResult>(0x80020009u);
inline constexpr HResult kOverflow = static_cast<HResult>(0x8002000Au);
inline constexpr HResult kBadIndex = static_cast<HResult>(0x8002000Bu);
inline constexpr HResult kBadParamCount = static_cast<HResult>(0x8002000Eu);
inline constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);
inline constexpr HResult kNotInitialized = static_cast<HResult>(0x800401F0u);
inline constexpr HResult kInvalidClassString = static_cast<HResult>(0x800401F3u);
// Raised by the regular-expression object for a pattern it cannot compile,
// and by the stream for an operation its current state does not allow.
inline constexpr HResult kRegExpSyntax = static_cast<HResult>(0x800A1399u);
inline constexpr HResult kStreamNotAllowed = static_cast<HResult>(0x800A0C93u);

constexpr bool Succeeded(HResult result) { return result >= 0; }
constexpr bool Failed(HResult result) { return result < 0; }

}  // namespace platform::com
