// How many bits of evidence frames give a check that holds on every one of
// them. Counting each frame's check bits as evidence assumes the check bytes
// are random; captures are full of frames where they are not (idle lines
// of 00, erased flash of FF, zero padding, repeated blocks), and a check
// that holds on such frames holds for their structure, not by luck. Three
// things count instead:
//
// - An empirical null drawn from the frames themselves: the check's bytes
//   replaced by bytes of the same frame's data. A check drawn so holds on
//   varied frames about as seldom as a random one, as its bytes are seldom
//   among the data; on a run of one byte, zero padding, or blocks that
//   repeat, the bytes a check needs are the data's own, and it holds often.
//   When the frames' check bytes are among their data far more often than
//   luck would put them there (less than once in a million), each frame
//   counts only the bits that such drawn checks leave (none for a run of one
//   byte value). The chance is worked out exactly, not sampled: the same
//   frames always give the same answer.
// - A second null, for CRCs, moves every byte of a frame by the same
//   amount, each of the 255: counters stay counters and runs stay runs,
//   and a CRC that holds for their steps holds on many of the moved frames,
//   a true one on varied frames on about 2^-b of them (beyond the amounts
//   it holds for on any data). Judged the same way. Sums and XOR-8 follow
//   moved bytes through their carries frame by frame, so that on varied
//   frames too they hold on many: they have no such null.
// - A frame whose own pattern (a counter, a run, a short block repeated)
//   continues into its check bytes counts nothing: the pattern explains
//   them as well as any check.
// - For checks linear over GF(2) (CRCs and XOR-8), frames of one length that
//   are XORs of others add nothing: only a basis of them counts.
#pragma once

#include <cstddef>
#include <vector>

#include "workbench/frames/frame_build.h"

// The bits of evidence `frames` give `method` stored in `order` after `head`
// bytes and before `tail` bytes; the check must hold on every frame (frames
// alike between head and tail count once). At most the frames' count times
// the check's bits.
double CheckEvidenceBits(const CheckMethod& method, CheckOrder order, std::size_t head, std::size_t tail,
                         const std::vector<Bytes>& frames);

// Whether `bytes` from `known` on are what its first `known` bytes' own
// pattern says they are: all of it a counter (bytes a fixed step apart, a
// run the step 0) with at least two bytes known, or a block of up to 16
// bytes repeated, held twice in the bytes known. Check bytes a pattern
// says are as likely from the pattern as from any check: XOR-8 over
// 18 1A 1C is 1E, the counter's next step, and neither null shows it.
bool PatternPredicts(const Bytes& bytes, std::size_t known);
