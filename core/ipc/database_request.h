// The requests the viewer sends to a running database program through the per-user local
// socket: come to the front (SHOW), open the most recent database (F4), search the position on the
// clipboard (F5), and register the record file whose path is on the clipboard (1324). Each request
// is one line of ASCII text; the clipboard carries the data, as the two programs have always
// exchanged it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

enum class DatabaseRequest : int {
    Show = 0,               // "SHOW": only bring the window to the front
    OpenRecent = 4,         // "F4"
    SearchPosition = 5,     // "F5"
    RegisterRecord = 1324,  // "1324"
};

// The local socket of the user's database program: "DalmirClass" in the user's socket folder
// (see user_sockets.h), so that each user's copy answers only that user's viewer and no other
// user can take the name. Empty when the user has no safe socket folder.
std::string databaseServerName(unsigned userId);
// The same in a given socket folder.
std::string databaseServerPath(const std::string& socketFolder);

// The line that carries a request, without its line end.
std::string_view requestLine(DatabaseRequest request);
// A received line (surrounding blanks and the line end ignored); nullopt for anything else.
std::optional<DatabaseRequest> parseRequestLine(std::string_view line);

}  // namespace core
