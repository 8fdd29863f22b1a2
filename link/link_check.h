// The check a link appends to each frame it sends and verifies on each
// frame it receives, named as quobrix frame and quobrix find name it:
// "CRC-16/MODBUS le", "SUM-8 - head=1 tail=1", a CRC parameter line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/framer.h"
#include "workbench/frames/frame_build.h"

struct LinkCheck {
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    CheckOrder order = CheckOrder::kBigEndian;
    // Around the data: exactly these bytes, or on receiving, with head=N and
    // no bytes given, any N bytes (an address, a start byte).
    FrameEnd head, tail;
};

// `text` is CHECK as quobrix frame takes it; `head` and `tail` the bytes of
// --head and --tail, if given. False with why in `error` (one line or more);
// `note` gets a line to show (a former name's new name) or "".
bool ReadLinkCheck(const std::string& text, const std::optional<LinkBytes>& head,
                   const std::optional<LinkBytes>& tail, LinkCheck& check, std::string& note, std::string& error);

// Head, data, the check over the data, tail. Head and tail must be bytes,
// not counts: ReadLinkCheck's `sending` check guarantees that.
LinkBytes BuildLinkFrame(const LinkCheck& check, const LinkBytes& data);

// True when the check can build frames: no head=N or tail=N without bytes.
bool CanSend(const LinkCheck& check, std::string& error);

// "ok", or why `frame` fails the check, one line.
std::string CheckVerdict(const LinkCheck& check, const LinkBytes& frame, bool& ok);

// The check that explains every frame of `frames`, named as quobrix find
// names it ("CRC-16/MODBUS le head=0 tail=0"), when the frames bear one out
// beyond chance; "" while they do not (yet).
std::string IdentifyCheck(const std::vector<LinkBytes>& frames);
