// Which check protects these frames, and over which bytes: every catalogue
// CRC and every sum, the data starting after `head` bytes and the check
// followed by `tail` bytes (the same for every frame), wide checks in both
// byte orders; and, when none of them holds, CRCs of unknown parameters
// recovered from the frames themselves.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/frames/check_method.h"
#include "workbench/frames/recover.h"
#include "workbench/frames/frame_build.h"

// One explanation that holds for every frame, and how far the frames bear
// it out. Any check holds by luck on a frame now and then: of H checks and
// placements tried, about H 2^-(bits) hold on frames that carry `bits` bits
// of check between them. A recovered CRC is fitted to the frames, which
// spends about as many of those bits as its parameters hold; only the rest
// confirm it.
struct FrameMatch {
    CheckMethod method;
    CheckOrder order = CheckOrder::kBigEndian;  // meaningless for one-byte checks
    std::size_t head = 0, tail = 0;
    bool recovered = false;  // parameters found from the frames, not named ones
    // The different frames it holds on (frames alike between head and tail
    // count once), and of them those a recovered CRC's fit takes up.
    std::size_t frames = 0;
    std::size_t fitted = 0;
    // How many explanations of its kind (named checks of its size, or CRCs
    // recovered at its width) the frames would show by luck alone, at most
    // 1: about the chance that it holds by luck.
    double chance = 0;
    // Whether other recovered CRCs fit the frames as well at the same place
    // and differ on other frames: then the frames do not decide.
    bool rivals = false;
    // Whether `chance` is too high to believe it, or it has rivals: listed
    // only when asked.
    bool weak = false;
    // Whether the count of frames alone would believe it but the frames'
    // own shuffles show it holds for their structure (runs of one byte,
    // padding, repeats), not by luck: weak, then.
    bool structural = false;
};

// An explanation is believed when less than this many of its kind would
// hold by luck: several kinds are tried, and together they explain random
// frames less than once in a thousand. A frame's bits count only as far as
// its own shuffles bear them out (check_evidence.h): frames of little
// variety hold many checks for their structure, not by luck.
constexpr double kChanceLimit = 1e-4;

enum class RecoveryMode {
    kAuto,    // when no named check is borne out and recovery is quick
    kAlways,  // --search
    kNever,   // --no-search
};

// By default recovery runs when EstimatedRecoverySeconds is at most this:
// for three frames of one length, up to about 16 KiB each with VPCLMULQDQ
// (9 KiB with PCLMULQDQ alone); for frames that give at most one multiple
// of the polynomial (no three of one length, no two pairs, fewer than
// four lengths), at any length.
constexpr double kAutoRecoverySeconds = 1.0;

// The CRC widths recovery tries, in bits: whole bytes as frames carry them.
constexpr int kRecoveryWidths[] = {8, 16, 24, 32, 64};

using CrcRecoverer = std::function<CrcRecovery(const std::vector<CrcSample>&, int)>;

// What the user knows of the check. Each part given narrows the checks,
// orders and placements tried, named and recovered alike, and so the
// evidence a line needs: the chance counts only what was tried. Parts left
// unset allow everything.
struct FrameScope {
    // The check's width in bits (one of them).
    std::vector<int> widths;
    // The byte order of a check wider than a byte.
    std::optional<CheckOrder> order;
    // Exactly this many bytes before the data, after the check; unset: 0 to
    // max_skip.
    std::optional<std::size_t> head, tail;
    // The named checks tried, as places in NamedCheckMethods() in its order;
    // unset: all of them.
    std::optional<std::vector<std::size_t>> named;
    // The widths recovery tries; unset: kRecoveryWidths, or of `widths`
    // those of whole bytes up to 64 bits. Empty: no recovery.
    std::optional<std::vector<int>> recovery_widths;
};

// Narrows `scope` to the checks `words` name, any case: a named check, or a
// former name of a catalogue CRC, alone; "CRC" every CRC, recovered ones
// too; "CRC-N" the catalogue's CRCs of N bits and CRCs of N bits recovered
// (a family first: CRC-32 is every 32-bit CRC, not the former name of
// CRC-32/ISO-HDLC); any other word that begins names before a "-" ("SUM",
// "XOR") every named check so named. False with the first word that names
// nothing in `unknown`.
bool NarrowToChecksNamed(const std::vector<std::string>& words, FrameScope& scope, std::string& unknown);

// What a scope leaves to try: the named checks (places in
// NamedCheckMethods()) and the widths recovery tries.
std::vector<std::size_t> NamedChecksInScope(const FrameScope& scope);
std::vector<int> RecoveryWidthsInScope(const FrameScope& scope);

struct FrameSearchOptions {
    std::size_t max_skip = 4;  // head and tail each 0 to this
    FrameScope scope;
    RecoveryMode recovery = RecoveryMode::kAuto;
    CrcRecoverer recover;  // none: RecoverCrc
    bool keep_weak = false;  // weak explanations too, after the others
    // Called before a recovery that will likely take more than a second,
    // with about how many seconds.
    std::function<void(double seconds)> before_slow_recovery;
    // Asked before each recovery at a placement and width, for a window
    // whose user may stop a long search: true stops it, and the result says
    // only that (`cancelled`).
    std::function<bool()> cancelled;
};

struct FrameSearchResult {
    // Most plausible first: fewest head and tail bytes, named checks before
    // recovered ones (those of them with the best evidence first), then the
    // catalogue's order (CRCs, then the sums), then fewer head bytes, then be
    // before le. Weak ones only when kept, after all others. A narrower CRC
    // whose polynomial divides a believed wider one at the same place holds
    // because the wider does and is left out, and so is any narrower CRC
    // recovered at the head and tail of a believed wider recovered one.
    std::vector<FrameMatch> matches;
    // The explanations that hold but are weak, best first, whether kept in
    // `matches` or not; and how many more different frames would make the
    // best of them believed (or rule it out).
    std::vector<FrameMatch> weak;
    std::size_t more_frames = 0;
    // The lines of `matches` (from 0) that are recovered CRCs giving the same
    // check for every message, one group each.
    std::vector<std::vector<std::size_t>> equivalent;
    bool recovery_ran = false;
    // What frames would let recovery decide, when it found nothing and could
    // not decide somewhere; "" otherwise. Undecided candidates are not
    // matches: too few frames fit almost any CRC.
    std::string recovery_need;
    // Whether some placement fit several recovered CRCs that these frames
    // cannot tell apart but other frames could (all weak, then).
    bool recovery_ambiguous = false;
    // Whether `equivalent` has a group.
    bool recovery_equivalent = false;
    // Whether `cancelled` stopped the search: then nothing else is set.
    bool cancelled = false;
    // The byte every frame is made of, when they are all one byte value
    // (an idle line, erased flash): -1 otherwise.
    int one_byte_value = -1;
    // Whether every frame follows a pattern to its last byte (a counter, or
    // a short block repeated; see PatternPredicts): such frames carry no
    // evidence for any check.
    bool patterned = false;
};

// About how long recovery takes on these frames, in seconds on this
// processor: it is bound by the GCD of the two shortest multiples of the
// polynomial the frames give, which takes time with the square of their
// length in words, once for every placement and for a few widths, byte
// orders and bit orders.
double EstimatedRecoverySeconds(const std::vector<Bytes>& frames, std::size_t max_skip);
// The same for the placements, widths and orders `options` leave.
double EstimatedRecoverySeconds(const std::vector<Bytes>& frames, const FrameSearchOptions& options);

// `frames` must not be empty.
FrameSearchResult SearchFrames(const std::vector<Bytes>& frames, const FrameSearchOptions& options);

// The named checks `SearchFrames` tries, built once for the process.
const std::vector<CheckMethod>& NamedCheckMethods();
