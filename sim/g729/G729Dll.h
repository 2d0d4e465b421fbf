// The speech codec library's calls as the voice broadcast uses them.
#pragma once

#ifdef G729DLL_BUILD
#define G729DLL_API extern "C" __declspec(dllexport)
#else
#define G729DLL_API extern "C" __declspec(dllimport)
#endif

// Results are not used by the callers.
G729DLL_API int __stdcall G729InitEncoder();
G729DLL_API int __stdcall G729InitDecoder();
// 960 PCM bytes in, *outLength coded bytes (60) out; 0 on success.
G729DLL_API int __stdcall G729Encode(const void* pcm, int length, void* out, int* outLength);
// 60 coded bytes in, *outLength PCM bytes (960) out; 0 on success.
G729DLL_API int __stdcall G729Decode(const void* code, int length, void* out, int* outLength);
