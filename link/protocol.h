#pragma once
// The instrument's command bytes and status replies, shared by the programs'
// command layer and the instrument emulator.
#include <cstdint>

inline constexpr std::uint8_t CmdConnect = 0x81;
inline constexpr std::uint8_t PollByte = 0x00;
inline constexpr std::uint8_t CmdDisconnect = 0x84;
inline constexpr std::uint8_t CmdWriteScale = 0x85;
inline constexpr std::uint8_t CmdReadScaleList = 0x87;
inline constexpr std::uint8_t CmdDeleteScale = 0x89;
inline constexpr std::uint8_t CmdReadVersion = 0x8B;
inline constexpr std::uint8_t CmdReadResultFile = 0x8C;
inline constexpr std::uint8_t CmdReadScale = 0x92;
inline constexpr std::uint8_t ReplyPrefix1 = 0xC3;
inline constexpr std::uint8_t ReplyPrefix2 = 0x66;
inline constexpr std::uint8_t ReplyErrScale = 0xE0;
inline constexpr std::uint8_t ReplyErrTimeout = 0xE3;
inline constexpr std::uint8_t ReplyErrMemoryFull = 0xE4;
inline constexpr std::uint8_t RecordMarker = 0xC0;
inline constexpr std::uint8_t ScaleRecordTag = 0xBD;

