#pragma once
// A small reader of raw deflate streams (RFC 1951), so the game and its
// browser build read level codes without a compression library of their own.
#include <cstddef>
#include <cstdint>
#include <string>

enum class InflateResult { Done, Broken, TooLarge };

// Inflates the stream at the start of data into out, never letting out grow
// past cap bytes. used receives the bytes the stream took (to find what
// follows it).
InflateResult inflateRaw(const uint8_t* data, size_t size, size_t cap, std::string& out, size_t& used);
