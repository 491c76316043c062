#pragma once
// The instrument's scale record and scale-list entry as the programs build
// and read them. The emulator keeps its own reading of these bytes, so that
// it checks this one rather than repeating it.
#include "link/protocol.h"

#include <array>
#include <cstdint>

inline constexpr int ScaleRecordSize = 256; // the buffer the programs keep
inline constexpr int ScaleSendLength = 250; // bytes a write sends
inline constexpr int ScaleReadLength = 255; // bytes a load receives
inline constexpr int MaxScales = 25;        // list entries a list reply may hold
inline constexpr int ScaleListEntrySize = 16;
inline constexpr int ScaleRecordMaxPoints = 50;

// Offsets and widths within the record; multi-byte values are little-endian.
namespace scalerec {
inline constexpr int Marker = 0;       // RecordMarker
inline constexpr int Name = 1;         // Windows-1251, padded with blanks
inline constexpr int NameWidth = 8;
inline constexpr int Units = 9;
inline constexpr int UnitsWidth = 4;
inline constexpr int Tag = 14;         // ScaleRecordTag
inline constexpr int Decimals = 15;    // of the y values, 0..3
inline constexpr int PointCount = 49;
inline constexpr int Points = 50;      // PointSize bytes per point: x, then y * 10^decimals
inline constexpr int PointSize = 4;    // two unsigned 16-bit halves
} // namespace scalerec

// Offsets within a list entry (the address byte follows it on the wire).
namespace scaleentry {
inline constexpr int Name = 0;
inline constexpr int Units = 8;
} // namespace scaleentry

using ScaleRecord = std::array<std::uint8_t, ScaleRecordSize>;
using ScaleListEntry = std::array<std::uint8_t, ScaleListEntrySize>;

inline void PutWord16(std::uint8_t *at, std::uint16_t v)
{
    at[0] = static_cast<std::uint8_t>(v & 0xFFu);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::uint16_t GetWord16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

// Point i of a record: the low halves of x and of the scaled y.
inline void PutRecordPoint(ScaleRecord &r, int i, std::uint16_t x, std::uint16_t y)
{
    std::uint8_t *p = &r[static_cast<std::size_t>(scalerec::Points + scalerec::PointSize * i)];
    PutWord16(p, x);
    PutWord16(p + 2, y);
}

inline std::uint16_t RecordPointX(const ScaleRecord &r, int i)
{
    return GetWord16(&r[static_cast<std::size_t>(scalerec::Points + scalerec::PointSize * i)]);
}

inline std::uint16_t RecordPointY(const ScaleRecord &r, int i)
{
    return GetWord16(&r[static_cast<std::size_t>(scalerec::Points + scalerec::PointSize * i + 2)]);
}
