#include "core/ipc/database_request.h"

namespace core {

std::string databaseServerName(unsigned userId) { return "DalmirClass." + std::to_string(userId); }

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
