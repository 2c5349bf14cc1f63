#include "core/ipc/database_request.h"

#include <cstdlib>

#include "core/ipc/user_sockets.h"

namespace core {

std::string databaseServerPath(const std::string& socketFolder) {
    return socketFolder + "/DalmirClass";
}

std::string databaseServerName(unsigned userId) {
    std::optional<std::string> folder = userSocketFolder(userId, std::getenv("XDG_RUNTIME_DIR"));
    return folder ? databaseServerPath(*folder) : std::string();
}

std::string_view requestLine(DatabaseRequest request) {
    switch (request) {
        case DatabaseRequest::Show:
            return "SHOW";
        case DatabaseRequest::OpenRecent:
            return "F4";
        case DatabaseRequest::SearchPosition:
            return "F5";
        case DatabaseRequest::RegisterRecord:
            return "1324";
    }
    return {};
}

std::optional<DatabaseRequest> parseRequestLine(std::string_view line) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    for (DatabaseRequest r : {DatabaseRequest::Show, DatabaseRequest::OpenRecent,
                              DatabaseRequest::SearchPosition, DatabaseRequest::RegisterRecord}) {
        if (line == requestLine(r)) return r;
    }
    return std::nullopt;
}

}  // namespace core
