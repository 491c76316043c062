#pragma once
// Windows-1251, the code page of the instrument's wire bytes and of the files
// on disk. Every one of the 256 bytes maps to one character and back (0x98,
// unassigned in the code page, maps to U+0098 so that no byte is ever lost).
#include <QByteArray>
#include <QString>
#include <string>

namespace cp1251 {

// The character a byte stands for.
char16_t ByteToChar(unsigned char byte);
// The byte for a character; false when the code page cannot hold it.
bool CharToByte(char16_t ch, unsigned char &byte);

QString Decode(const QByteArray &bytes);
QString Decode(const std::string &bytes);
QString Decode(const char *bytes, qsizetype length);

// Encodes text. A character the code page cannot hold makes ok false and is
// written as '?', so the caller always learns of it (nothing is dropped).
QByteArray Encode(const QString &text, bool *ok = nullptr);
std::string EncodeStd(const QString &text, bool *ok = nullptr);

// True when every character of text has a Windows-1251 byte.
bool CanEncode(const QString &text);
// Length in Windows-1251 bytes (one per UTF-16 unit that encodes, surrogate
// pairs count as one unencodable character).
qsizetype ByteLength(const QString &text);

} // namespace cp1251
