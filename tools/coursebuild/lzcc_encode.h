// The LZCC encoder for the hole maps coursebuild writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A whole H2O file (header and payload) whose decoding gives back `output` exactly: 307,200 to 309,200 bytes,
// the map being the last 307,200. Empty when the length is outside that range or the payload would not fit
// in the 20,000 bytes the game reads.
std::vector<uint8_t> EncodeLzcc(const std::vector<uint8_t>& output);

// The payload size (literals, tokens and distances) of a file EncodeLzcc made; 0 for anything shorter than
// a header.
size_t LzccPayloadSize(const std::vector<uint8_t>& file);
