#pragma once
// The one switch between the readers' fast paths and their plain twins.
//
// The build option TAMREL_SIMD (on by default) reaches the code as the macro
// of the same name. With it on, the readers take two kinds of fast path:
//
// - SSE2 (x86-64 only; TAMREL_SSE2): sixteen bytes compared or added in one
//   instruction. Used to find an LF in a line of known length
//   (base/file_io.h), to copy a ticket record while checking it for an LF
//   and to count a stored payout as a hit (detail/detail_file.cpp), and to
//   add a day slot's fourteen amounts digit by digit (ledger/ledger_records.h).
// - Byte lanes in a 64-bit word (TAMREL_BYTE_LANES): eight bytes tested or
//   combined with plain integer arithmetic. Used to read a stored ten-digit
//   amount and to tell whether a stored payout is above zero
//   (base/amount.h), and to find an LF where SSE2 is not there.
//
// With it off both are 0 and every reader takes its plain path: byte by
// byte, each amount through the exact parser. CI builds the core that way
// too and runs the core tests on it, so both paths are held against the same
// rule on every change.

#ifndef TAMREL_SIMD
#error "TAMREL_SIMD is set by the build (CMake option TAMREL_SIMD)"
#endif

#if TAMREL_SIMD
#define TAMREL_BYTE_LANES 1
#else
#define TAMREL_BYTE_LANES 0
#endif

#if TAMREL_SIMD && defined(__SSE2__) && defined(__x86_64__)
#define TAMREL_SSE2 1
#include <emmintrin.h>
#else
#define TAMREL_SSE2 0
#endif
