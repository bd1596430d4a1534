#pragma once

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVPacket;

// What a decoder learns only at the start of a stream: the encoder's identification, user data
// in the first picture (for H.264 an SEI), by which it chooses its workarounds for known encoder
// bugs. A decoder that starts at a later key frame never sees it and would decode those pictures
// otherwise; the units are kept from the first packet and put before the first packet after a
// seek. (MPEG-4 Part 2 sets its workarounds from the identification once per picture and keeps
// them: putting the text before a picture that names a newer encoder would not do there.)
namespace EncoderIdentity {
using Nal = std::vector<uint8_t>; // one unit, its header byte first, no start code or length

// The user-data SEI units of an H.264 packet (none for other codecs).
std::vector<Nal> userData(const AVCodecContext* codec, const AVPacket* packet);
// Puts the units before the packet's own, in its framing (length prefixes or start codes).
// False when the packet could not be grown; it is then as it was.
bool prepend(const AVCodecContext* codec, AVPacket* packet, const std::vector<Nal>& units);
} // namespace EncoderIdentity
