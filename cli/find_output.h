// What `quobrix find` prints for its explanations.
#pragma once

#include <string>
#include <vector>

#include "workbench/frames/frame_search.h"

// "CRC-16/MODBUS le head=0 tail=0", or for a recovered CRC its parameter
// line with check and residue, then the same words.
std::string FindLine(const FrameMatch& match);

// A JSON array, one object a line: name (null for a recovered CRC), width,
// the CRC's parameters, order, head, tail, recovered.
std::string FindJson(const std::vector<FrameMatch>& matches);
