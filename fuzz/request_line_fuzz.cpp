// The request lines another program sends to the database's socket, on any bytes cut into lines
// as the server cuts them (at most 64 bytes each): only the four requests are understood, each
// exactly, and nothing else is taken for one.
#include <algorithm>
#include <string>

#include "core/ipc/database_request.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    constexpr std::size_t kMaxLine = 64;
    std::string_view bytes = fuzz::bytesOf(data, size);
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        end = std::min(end, kMaxLine);
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end);
        if (const std::optional<core::DatabaseRequest> r = core::parseRequestLine(line)) {
            const std::string_view word = core::requestLine(*r);
            fuzz::require(line.find(word) != std::string_view::npos,
                          "a request taken from a line without its word");
            for (char c : line) {
                fuzz::require(word.find(c) != std::string_view::npos || c == ' ' || c == '\t' ||
                                  c == '\r' || c == '\n',
                              "a line with more than its request was taken for it");
            }
        }
    }
    return 0;
}
