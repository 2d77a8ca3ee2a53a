#pragma once
// The raw deflate (no header, no checksum) a level code's body is: zlib's on
// a desktop, the page's own in the browser (tools/web/WebDeflate.cpp).
#include <string>

std::string deflateRaw(const std::string& text);
