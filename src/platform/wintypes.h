#pragma once
// The scalar types and constants of the Windows calls this program's code is written against.
// Our own declarations, sized as the callers expect them.
#include <cstdint>

using BOOL = std::int32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using HWND = std::int32_t;   // a window number, unique across the user's processes of ours
using HKEY = std::int32_t;   // predefined root keys and opened keys
using HANDLE = std::int32_t; // kernel object handles (mutexes)

constexpr BOOL TRUE_ = 1;
constexpr BOOL FALSE_ = 0;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_ALREADY_EXISTS = 183;
constexpr LONG ERROR_CANTWRITE = 1013;

// Records whose text fields are C strings use the program's single-byte texts as UTF-8.
