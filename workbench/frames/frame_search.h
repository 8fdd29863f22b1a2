// Which check protects these frames, and over which bytes: every catalogue
// CRC and every sum, the data starting after `head` bytes and the check
// followed by `tail` bytes (the same for every frame), wide checks in both
// byte orders; and, when none of them holds, CRCs of unknown parameters
// recovered from the frames themselves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workbench/frames/check_method.h"
#include "workbench/frames/recover.h"
#include "workbench/frames/frame_build.h"

// One explanation that holds for every frame.
struct FrameMatch {
    CheckMethod method;
    CheckOrder order = CheckOrder::kBigEndian;  // meaningless for one-byte checks
    std::size_t head = 0, tail = 0;
    bool recovered = false;  // parameters found from the frames, not named ones
};

enum class RecoveryMode {
    kAuto,    // when no named check holds and the frames are few and short
    kAlways,  // --search
    kNever,   // --no-search
};

// By default recovery runs for at most this many frames of at most this
// many bytes each: beyond them it may no longer be quick.
constexpr std::size_t kAutoRecoveryMaxFrames = 16;
constexpr std::size_t kAutoRecoveryMaxFrameBytes = 256;

// The CRC widths recovery tries, in bits: whole bytes as frames carry them.
constexpr int kRecoveryWidths[] = {8, 16, 24, 32, 64};

using CrcRecoverer = std::function<CrcRecovery(const std::vector<CrcSample>&, int)>;

struct FrameSearchOptions {
    std::size_t max_skip = 4;  // head and tail each 0 to this
    RecoveryMode recovery = RecoveryMode::kAuto;
    CrcRecoverer recover = RecoverCrc;
};

struct FrameSearchResult {
    // Most plausible first: fewest head and tail bytes, named checks before
    // recovered ones, then the catalogue's order (CRCs, then the sums), then
    // fewer head bytes, then be before le.
    std::vector<FrameMatch> matches;
    bool recovery_ran = false;
    // What frames would let recovery decide, when it found nothing and could
    // not decide somewhere; "" otherwise. Undecided candidates are not
    // matches: too few frames fit almost any CRC.
    std::string recovery_need;
    // Whether some placement fit several recovered CRCs that these frames
    // cannot tell apart but other frames could.
    bool recovery_ambiguous = false;
    // Whether some placement fit several recovered CRCs that give the same
    // check for every message.
    bool recovery_equivalent = false;
};

// `frames` must not be empty.
FrameSearchResult SearchFrames(const std::vector<Bytes>& frames, const FrameSearchOptions& options);

// The named checks `SearchFrames` tries, built once for the process.
const std::vector<CheckMethod>& NamedCheckMethods();
