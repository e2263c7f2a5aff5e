// Regions of a source file compiled for an instruction set beyond the build's baseline; the
// caller makes sure the processor has it before any function of the region runs. Functions
// outside a region (header inlines included) stay baseline code.
#pragma once

#if defined(__GNUC__) && defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define TACETIX_TARGET_REGIONS 1
#if defined(__clang__)
#define TACETIX_BEGIN_SSSE3 _Pragma("clang attribute push(__attribute__((target(\"ssse3\"))), apply_to = function)")
#define TACETIX_BEGIN_AVX2 _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define TACETIX_END_TARGET _Pragma("clang attribute pop")
#else
#define TACETIX_BEGIN_SSSE3 _Pragma("GCC push_options") _Pragma("GCC target(\"ssse3\")")
#define TACETIX_BEGIN_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define TACETIX_END_TARGET _Pragma("GCC pop_options")
#endif
#endif
